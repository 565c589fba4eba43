#pragma once

// Makes every model-file format of the engine available to QDN_network's
// ReadFile and WriteFile, to FormatName and to FormatFromExtension: the text
// formats (formats/QDN_formatRegistry.h) and the native XML format. The
// network layer knows the formats only through this registration. Call it
// once before reading or writing; calling it again does no harm.
void QDN_RegisterFormats();
