#include "BenchFolder.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

std::string MakeBenchFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string folder =
        std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/quobrix-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        return {};
    }
    return folder;
}

int RunInBenchFolder(bool bKeep, int nNoFolder, const std::function<int(const std::string&)>& run) {
    const std::string folder = MakeBenchFolder();
    if (folder.empty()) {
        std::perror("mkdtemp");
        return nNoFolder;
    }
    const int status = run(folder);
    if (!bKeep) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return status;
}

void UseOwnHome(const std::string& strFolder) {
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const std::string path = strFolder + "/" + name;
        std::error_code ignored;  // a folder that cannot be made shows when it is written
        std::filesystem::create_directories(path, ignored);
        setenv(name, path.c_str(), 1);
    }
}

std::string LoadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one;
    std::string five;
    std::string fifteen;
    file >> one >> five >> fifteen;
    return one + ", " + five + ", " + fifteen;
}
