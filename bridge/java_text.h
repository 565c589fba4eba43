#pragma once

#include <string>
#include <string_view>

// Converts stored text to the modified UTF-8 that NewStringUTF needs. Valid
// UTF-8 keeps its characters (NUL becomes C0 80, characters beyond the Basic
// Multilingual Plane become surrogate pairs); any other text is taken as
// ISO-8859-1, one character per byte. The result is always valid for the VM.
std::string ToModifiedUtf8(std::string_view text);
