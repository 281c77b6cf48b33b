#include "res/LanguageChoice.h"

#include <charconv>
#include <cstdlib>

namespace veltrin {

namespace {
std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r";
    std::size_t begin = s.find_first_not_of(blanks);
    if (begin == std::string_view::npos) return {};
    return s.substr(begin, s.find_last_not_of(blanks) - begin + 1);
}

// A whole decimal number with an optional sign, nothing else (the program reads it the same way).
std::optional<long long> WholeNumber(std::string_view s) {
    s = Trim(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = Trim(s.substr(1, s.size() - 2));
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    long long value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}
}  // namespace

std::optional<long long> LanguageFromIni(std::string_view text) {
    bool inGlobal = false;
    std::optional<long long> found;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            inGlobal = line == "[Global]";
            continue;
        }
        std::size_t eq = line.find('=');
        if (!inGlobal || eq == std::string_view::npos || Trim(line.substr(0, eq)) != "Language") continue;
        found = WholeNumber(line.substr(eq + 1));  // the last one counts, as when read back
    }
    return found;
}

std::optional<bool> EnvironmentWantsEnglish() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string_view(value).substr(0, 2) == "en";
    }
    return std::nullopt;
}

bool ChooseEnglish(std::string_view langOption) {
    if (!langOption.empty()) return langOption == "en";
    if (auto stored = StoredLanguageSetting()) return *stored != 0;
    if (auto environment = EnvironmentWantsEnglish()) return *environment;
    return false;
}

}  // namespace veltrin
