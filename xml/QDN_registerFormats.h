#pragma once

// Makes every model-file format of the engine available to QDN_network's
// ReadFile and WriteFile. The text formats are built in; the native XML format
// (8) lives above the network layer and is reached through a factory slot,
// which this fills. Call it once before reading or writing; calling it again
// does no harm.
void QDN_RegisterFormats();
