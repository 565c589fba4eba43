#pragma once

#include <string>
#include <string_view>

struct QDN_rectangle;

// Value forms shared by the native XML reader and writer.
// "rrggbb" to a colour with red in the low byte; false when malformed.
bool QDN_ParseColor(std::string_view text, int& color);
std::string QDN_FormatColor(int color);
// "left top right bottom" to centre and size.
bool QDN_ParsePosition(std::string_view text, QDN_rectangle& rectangle);
std::string QDN_FormatPosition(const QDN_rectangle& rectangle);
// Reals: the default stream form (6 significant digits) and precision 16.
std::string QDN_FormatShortReal(double value);
std::string QDN_FormatLongReal(double value);
