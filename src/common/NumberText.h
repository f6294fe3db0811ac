#pragma once

#include <string>
#include <string_view>

// The number fields of the options sheets and of the command line that edits
// the same values: what they accept and the message for what they refuse.

// An unsigned field: decimal digits only, within [nMin, nMax] (nMin >= 0).
// Empty when accepted (the value is in nValue); otherwise the message to
// show: "Please enter a positive integer." for anything but digits, "Please
// enter an integer between 10 and 1000." for a number out of range (also one
// too long for an int).
std::string CheckUnsignedText(std::string_view text, int nMin, int nMax, int& nValue);

// A signed field: an optional "+" or "-", then decimal digits, fitting an
// int. Empty when accepted; otherwise "Please enter an integer.".
std::string CheckSignedText(std::string_view text, int& nValue);

// A size limit cell: the decimal number at its start, after any white space;
// text without leading digits reads as 0 (no limit). Saturates at INT_MAX.
// "120" -> 120, " 64K" -> 64, "none" -> 0.
int LimitFromText(std::string_view text);
