#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// UTF-8, the one codec of the library: the XML readers and writers, the XML
// character references and the Java bridge all encode and decode here.

inline constexpr uint32_t kMaxCodePoint = 0x10FFFF;

inline bool QDN_IsSurrogate(uint32_t code) { return code >= 0xD800 && code <= 0xDFFF; }

// Decodes the code point at the front of text into code: the length of its
// sequence (1 to 4), or 0 (code unchanged) when the bytes there are not the
// shortest encoding of a code point up to U+10FFFF, or the sequence is cut
// off. Encoded surrogate halves (U+D800 to U+DFFF, three bytes each) are
// decoded like other code points; callers that refuse them check
// QDN_IsSurrogate.
size_t QDN_DecodeUtf8(std::string_view text, uint32_t& code);

// Appends code (at most U+10FFFF) in 1 to 4 bytes. A surrogate half is
// encoded alone in three bytes, as any other code point of its range.
void QDN_AppendUtf8(std::string& out, uint32_t code);

// UTF-8 to ISO-8859-1: characters above U+00FF become "?", and so does
// every byte that starts no valid sequence (one "?" per such byte).
std::string QDN_Utf8ToLatin1(std::string_view utf8);
