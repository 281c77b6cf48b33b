#pragma once
// UTF-8, the encoding of every text and path inside the program, and UTF-16, the encoding of
// the wide-character Win32 API: converted at the boundary, in the Windows files only.
#include <string>
#include <string_view>

namespace veltrin {

/// The UTF-16 form of a UTF-8 text; false when the text is not valid UTF-8 (nothing then
/// reaches the system under a name the user did not give).
bool WideFromUtf8(std::string_view utf8, std::wstring& wide);
/// The UTF-8 form of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view wide);

}  // namespace veltrin
