#include "cli/Output.h"

#include <charconv>
#include <cstdio>
#include <string>

namespace veltrin::cli {

namespace {

std::string Utf8FromText8(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The inverse of Utf8FromText8 (every string in a value was made by it).
std::string Text8FromUtf8(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xE0) == 0xC0 && i + 1 < utf8.size()) {
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Number(double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", d);
    return buf;
}

// Plain text: printable characters as they are, anything else as \xNN.
std::string PlainString(std::string_view s) {
    std::string out;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string PlainScalar(const Json& v) {
    if (v.is_string()) return PlainString(Text8FromUtf8(v.get_ref<const std::string&>()));
    if (v.is_number_float()) return Number(v.get<double>());
    return v.dump();
}

void WritePlain(std::ostream& out, const Json& value, const std::string& name) {
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) WritePlain(out, member, name.empty() ? key : name + "." + key);
    } else if (value.is_array()) {
        bool scalars = true;
        for (const auto& item : value) scalars = scalars && item.is_primitive();
        if (scalars) {
            out << name << " =";
            for (const auto& item : value) out << ' ' << PlainScalar(item);
            out << '\n';
        } else {
            for (std::size_t i = 0; i < value.size(); ++i)
                WritePlain(out, value[i], name + "[" + std::to_string(i + 1) + "]");
        }
    } else {
        out << name << " = " << PlainScalar(value) << '\n';
    }
}

}  // namespace

Json Text8(std::string_view bytes) { return Json(Utf8FromText8(bytes)); }

Json Char8(std::int32_t code) { return Text8(std::string(1, static_cast<char>(code))); }

Json FloatNumber(float value) {
    const std::string digits = Number(static_cast<double>(value));
    double d = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), d);
    return Json(d);
}

void Print(std::ostream& out, const Json& value, bool json) {
    if (json) {
        // ASCII only: characters above 0x7E as \u escapes, whatever the terminal's encoding.
        out << value.dump(-1, ' ', true) << '\n';
    } else {
        WritePlain(out, value, "");
    }
}

}  // namespace veltrin::cli
