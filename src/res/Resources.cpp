#include "res/Resources.h"

#include <fstream>
#include <sstream>

#include "res/Utf8Path.h"

namespace veltrin {

namespace {
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char c = s[i + 1];
            if (c == 'n') { out += '\n'; ++i; continue; }
            if (c == 't') { out += '\t'; ++i; continue; }
            if (c == '\\') { out += '\\'; ++i; continue; }
        }
        out += s[i];
    }
    return out;
}

const ResourceSet* g_inForce = nullptr;
}  // namespace

extern const char* const kBuiltinGermanResources;

std::size_t ResourceSet::Parse(std::string_view text) {
    std::size_t added = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        std::size_t tab = line.find('\t');
        if (tab == 0 || tab == std::string_view::npos) continue;
        entries_[std::string(line.substr(0, tab))] = Unescape(line.substr(tab + 1));
        ++added;
    }
    return added;
}

bool ResourceSet::LoadFile(const std::string& path) {
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    ResourceSet loaded;
    if (loaded.Parse(buffer.str()) == 0) return false;
    *this = std::move(loaded);
    return true;
}

bool ResourceSet::Has(std::string_view key) const { return entries_.find(key) != entries_.end(); }

std::string ResourceSet::Text(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? std::string{} : it->second;
}

const ResourceSet& GermanResources() {
    static const ResourceSet german = [] {
        ResourceSet set;
        set.Parse(kBuiltinGermanResources);
        return set;
    }();
    return german;
}

void UseResourceSet(const ResourceSet* set) { g_inForce = set; }
bool EnglishInForce() { return g_inForce != nullptr; }

std::string ResText(std::string_view key) {
    if (g_inForce && g_inForce->Has(key)) return g_inForce->Text(key);
    return GermanResources().Text(key);
}

std::string ResString(unsigned id) { return ResText(std::to_string(id)); }

std::string FillArguments(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string FormatNumber(std::string text, long long n, std::string_view placeholder) {
    std::size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), std::to_string(n));
    return text;
}

}  // namespace veltrin
