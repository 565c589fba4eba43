#pragma once

#include <string>
#include <string_view>

// Converts stored text to the modified UTF-8 that NewStringUTF needs. Valid
// UTF-8 keeps its characters (NUL becomes C0 80, characters beyond the Basic
// Multilingual Plane become surrogate pairs); any other text is taken as
// ISO-8859-1, one character per byte. The result is always valid for the VM.
// Text stored with encoded surrogates (what FromModifiedUtf8 leaves of a lone
// half, or C0 80 for NUL) keeps them, so that Java gets back what it gave.
std::string ToModifiedUtf8(std::string_view text);

// The modified UTF-8 of NUL-terminated stored text, for NewStringUTF: text
// itself when it is plain ASCII (the same in both encodings, and C text has
// no NUL), otherwise its conversion kept in storage.
const char* ToModifiedUtf8(const char* text, std::string& storage);

// Converts the modified UTF-8 of a Java string to the standard UTF-8 the
// library stores and the file system sees: a surrogate pair, which Java
// encodes as two 3-byte sequences, becomes one 4-byte sequence. Everything
// else (a lone surrogate half, C0 80 for NUL) is kept as it is.
std::string FromModifiedUtf8(std::string_view text);
