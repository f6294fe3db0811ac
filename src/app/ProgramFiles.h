#pragma once

#include <string>

// Files that travel with the programs (the user manual, the demo's web):
// beside the executable in a build folder, or in PREFIX/share/quobrix once
// installed with the executable in PREFIX/bin.

// The folder of the running executable ("/usr/local/bin"); empty when unknown.
std::string ProgramFolder();

// name ("UserManual", "demo-site") beside the executable, else in
// ../share/quobrix/ from it; empty when neither exists.
std::string FindProgramFile(const std::string& name);
