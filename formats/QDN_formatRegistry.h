#pragma once

// Enters the text formats (every format but native XML) into the format
// table of the network layer, with their names and extensions. Calling it
// again does no harm.
void QDN_RegisterTextFormats();
