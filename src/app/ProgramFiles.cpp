#include "app/ProgramFiles.h"

#include <filesystem>

#include "common/FileUtil.h"

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

std::string FindProgramFile(const std::string& name) {
    const std::string folder = ProgramFolder();
    if (folder.empty()) {
        return "";
    }
    for (const std::string& candidate :
         {folder + "/" + name, folder + "/../share/quobrix/" + name}) {
        if (PathExists(candidate)) {
            return std::filesystem::path(candidate).lexically_normal().string();
        }
    }
    return "";
}
