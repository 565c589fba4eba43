#pragma once

#include <string>

// The whole file into out (cleared first): 0, or -103 with "OPEN FILE
// FAILED" logged when the file can't be opened or read.
int QDN_ReadFile(const char* fileName, std::string& out);
