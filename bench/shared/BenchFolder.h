#pragma once

#include <functional>
#include <string>

// A new private folder for one run of a bench, below TMPDIR (or /tmp):
// "/tmp/quobrix-bench-Ab12Cd". Empty, with errno set, when none was made.
std::string MakeBenchFolder();

// Runs run in a new bench folder, removed afterwards unless bKeep: its
// status, or nNoFolder when no folder could be made.
int RunInBenchFolder(bool bKeep, int nNoFolder, const std::function<int(const std::string&)>& run);

// The settings, data and caches of the programs the bench starts go below
// strFolder (XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME), never the user's.
void UseOwnHome(const std::string& strFolder);

// "0.52, 0.61, 0.70": the load of the last 1, 5 and 15 minutes.
std::string LoadAverage();
