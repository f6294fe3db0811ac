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

// A size limit cell, in K bytes: an unsigned field from 0 to INT_MAX, with
// white space around the digits allowed, and an empty cell read as 0 (no
// limit). " 64 " -> 64, "" -> 0; "64K", "-1" and "none" are refused.
std::string CheckLimitText(std::string_view text, int& nValue);
