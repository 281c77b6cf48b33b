// The program keeps its settings (QSettings, native format) in the INI file
// $XDG_CONFIG_HOME/Veltrin/Veltrin.conf, without XDG_CONFIG_HOME in ~/.config.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "res/LanguageChoice.h"

namespace veltrin {

std::optional<long long> StoredLanguageSetting() {
    std::string folder;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    // A relative XDG_CONFIG_HOME is to be ignored, as Qt does.
    if (config && config[0] == '/')
        folder = config;
    else if (home && *home)
        folder = std::string(home) + "/.config";
    else
        return std::nullopt;
    std::ifstream in(folder + "/Veltrin/Veltrin.conf", std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return LanguageFromIni(text.str());
}

}  // namespace veltrin
