#include "doc/ParameterFields.h"

#include <cstring>

namespace veltrin {

namespace {
unsigned char* At(EncoderParameters& p, const ParameterField& f) {
    return reinterpret_cast<unsigned char*>(&p) + f.offset;
}
const unsigned char* At(const EncoderParameters& p, const ParameterField& f) {
    return reinterpret_cast<const unsigned char*>(&p) + f.offset;
}

// The member's value in host order, as the low f.size bytes of a 32-bit number.
std::uint32_t RawNumber(const EncoderParameters& p, const ParameterField& f) {
    if (f.size == 2) {
        std::uint16_t v;
        std::memcpy(&v, At(p, f), 2);
        return v;
    }
    std::uint32_t v;
    std::memcpy(&v, At(p, f), 4);
    return v;
}
}  // namespace

const ParameterField* FindParameterField(std::string_view name) {
    for (const auto& f : kParameterFields)
        if (f.name == name) return &f;
    return nullptr;
}

std::int64_t FieldNumber(const EncoderParameters& p, const ParameterField& field) {
    std::uint32_t raw = RawNumber(p, field);
    if (field.kind == FieldKind::Signed) return static_cast<std::int32_t>(raw);
    return raw;
}

void SetFieldNumber(EncoderParameters& p, const ParameterField& field, std::uint32_t value) {
    if (field.kind == FieldKind::Text) return;
    if (field.size == 2) {
        auto v = static_cast<std::uint16_t>(value);
        std::memcpy(At(p, field), &v, 2);
    } else {
        std::memcpy(At(p, field), &value, 4);
    }
}

std::string FieldText(const EncoderParameters& p, const ParameterField& field) {
    const auto* bytes = reinterpret_cast<const char*>(At(p, field));
    std::size_t n = 0;
    while (n < field.size && bytes[n] != '\0') ++n;
    return std::string(bytes, n);
}

void SetFieldText(EncoderParameters& p, const ParameterField& field, std::string_view text) {
    if (field.kind != FieldKind::Text) return;
    unsigned char* dst = At(p, field);
    std::size_t n = text.size() < field.size ? text.size() : field.size;
    std::memset(dst, 0, field.size);
    std::memcpy(dst, text.data(), n);
}

void EncodeRecord(const EncoderParameters& p, std::uint8_t (&image)[sizeof(EncoderParameters)]) {
    for (const auto& f : kParameterFields) {
        if (f.kind == FieldKind::Text) {
            std::memcpy(image + f.offset, At(p, f), f.size);
            continue;
        }
        std::uint32_t v = RawNumber(p, f);
        for (std::size_t i = 0; i < f.size; ++i) image[f.offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

void DecodeRecord(const std::uint8_t (&image)[sizeof(EncoderParameters)], EncoderParameters& p) {
    for (const auto& f : kParameterFields) {
        if (f.kind == FieldKind::Text) {
            std::memcpy(At(p, f), image + f.offset, f.size);
            continue;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < f.size; ++i) v |= static_cast<std::uint32_t>(image[f.offset + i]) << (8 * i);
        SetFieldNumber(p, f, v);
    }
}

}  // namespace veltrin
