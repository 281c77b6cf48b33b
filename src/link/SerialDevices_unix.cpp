#include <algorithm>
#include <filesystem>
#include <system_error>

#include "link/SerialDevices.h"

namespace veltrin {

namespace {

// The character devices in folder (symbolic links to them included) whose names pass keep.
template <typename Keep>
std::vector<std::string> DevicesIn(const std::filesystem::path& folder, Keep keep) {
    std::vector<std::string> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (keep(name) && std::filesystem::is_character_file(it->path(), typeError))
            found.push_back(it->path().string());
    }
    return found;
}

}  // namespace

std::vector<std::string> SerialDevices() {
    std::vector<std::string> devices = DevicesIn("/dev", [](const std::string& name) {
        for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"})
            if (name.rfind(prefix, 0) == 0) return true;
        return false;
    });
    SortNumerically(devices);
    std::vector<std::string> byId = DevicesIn("/dev/serial/by-id", [](const std::string&) { return true; });
    std::sort(byId.begin(), byId.end());
    devices.insert(devices.end(), byId.begin(), byId.end());
    return devices;
}

}  // namespace veltrin
