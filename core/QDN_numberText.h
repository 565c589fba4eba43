#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Numbers as the model files and equations write them: conversion from text
// and the exact text the writers give. The reserved values
// (core/QDN_reservedValues.h) have texts of their own both ways.

// Reserved texts give the reserved values; other texts convert as strtod
// does, without locale (leading blanks and one "+" allowed, the leading
// number counts). -2 when nothing converts.
int QDN_ParseReal(std::string_view text, double& value);
// The fast path of QDN_ParseReal for number lists: converts the plain
// decimal number ("0.125", "-3", "12e5") at the front of text when its
// digits fit in 53 bits and its power of ten is at most 22, and returns how
// many characters it takes; 0 when text does not start with such a number
// (or with a reserved text). The value is the one QDN_ParseReal gives for
// those characters; a caller that finds no separator after them takes the
// whole word to QDN_ParseReal.
size_t QDN_ParsePlainDecimal(std::string_view text, double& value);
// atoi-like (leading digits, optional sign); -2 when out of range or no digits.
int QDN_ParseInt(std::string_view text, int& value);
// A real truncated toward zero to an int; -2 for a value outside the int
// range (or not a number).
int QDN_TruncateToInt(double value, int& out);
// Reserved values as their texts; others as "%.8f" when that reads back to
// the same double, else the shortest text that does.
std::string QDN_FormatReal(double value);
