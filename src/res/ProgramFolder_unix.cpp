#include "res/ProgramFolder.h"

#include <unistd.h>

#include <vector>

namespace veltrin {

std::string ProgramFolder() {
    // /proc/self/exe names the executable whatever the current folder or argv[0]; its length
    // is not bounded by any constant, so grow the buffer until the name fits.
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n <= 0) return ".";
        if (static_cast<std::size_t>(n) < buf.size()) {
            std::string path(buf.data(), static_cast<std::size_t>(n));
            std::size_t slash = path.find_last_of('/');
            if (slash == std::string::npos) return ".";
            return slash == 0 ? "/" : path.substr(0, slash);
        }
        if (buf.size() >= (1u << 20)) return ".";
        buf.resize(buf.size() * 2);
    }
}

}  // namespace veltrin
