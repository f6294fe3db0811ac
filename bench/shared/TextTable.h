#pragma once

#include <ostream>
#include <string>
#include <vector>

// Rows of cells in columns as wide as their widest cell, two spaces apart;
// the first row is the heading.
void PrintTextTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows);
