#include <filesystem>
#include <system_error>

#include "res/ProgramFolder.h"
#include "res/Utf8Path.h"

// The way from the installed program to its data, "../share/veltrin" for the usual layout;
// CMake derives it from the install folders it was configured with.
#ifndef VELTRIN_DATA_FROM_PROGRAM
#define VELTRIN_DATA_FROM_PROGRAM "../share/veltrin"
#endif

namespace veltrin {

namespace {
bool HoldsData(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder / "veltrin.en.txt", ec) ||
           std::filesystem::is_directory(folder / "help", ec);
}
}  // namespace

std::string DataFolderFor(const std::string& programFolder) {
    const std::filesystem::path program = PathFromUtf8(programFolder);
    if (HoldsData(program)) return programFolder;
    const std::filesystem::path installed = (program / VELTRIN_DATA_FROM_PROGRAM).lexically_normal();
    if (HoldsData(installed)) {
        std::string folder = Utf8FromPath(installed);
        // lexically_normal keeps a trailing separator after "..": the callers add "/name".
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
        return folder;
    }
    return programFolder;
}

std::string DataFolder() { return DataFolderFor(ProgramFolder()); }

}  // namespace veltrin
