#pragma once

#include <CLI/CLI.hpp>

// A whole-number option checked as the options sheets check theirs, so that
// a bad value is refused with a readable message and bounds:
// "--port: Please enter an integer between 0 and 65535.", never the parser's
// own limits of its number types.
CLI::Validator WholeNumber(int nMin, int nMax);
