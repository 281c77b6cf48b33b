#pragma once
// What the commands print: one JSON value, shown either as "name = value" lines or as one
// line of JSON. Texts of the parameter set are 8-bit characters; they enter the value as
// their own code points (Text8) and leave it the same way.
#include <cstdint>
#include <ostream>
#include <string_view>

#include <nlohmann/json.hpp>

namespace veltrin::cli {

/// Members keep the order they were added in, as the parameter set lists them.
using Json = nlohmann::ordered_json;

/// 8-bit text (one byte a character) as a JSON string.
Json Text8(std::string_view bytes);
/// One character code, as a one-character string.
Json Char8(std::int32_t code);
/// A single-precision number with the digits it has (0.99999988, not 0.9999998807907104).
Json FloatNumber(float value);

/// JSON: the value on one line. Plain: one "name = value" line per scalar; nested objects as
/// a.b, arrays of scalars on one line, arrays of objects as name[1].key (counted from 1).
void Print(std::ostream& out, const Json& value, bool json);

}  // namespace veltrin::cli
