#pragma once
// The configuration report: one printable sheet of a configuration, every group with the labels
// and value texts of the dialogs, the file's name and the date, and, when the encoder was
// compared with it, the firmware version and each parameter's encoder value and status. Made
// as plain text (the command-line tool) and as HTML (printed and exported as PDF by the
// program); the same input always gives the same text.
#include <ctime>
#include <string>

#include "doc/Verify.h"
#include "params/EncoderParameters.h"

namespace veltrin {

struct ReportInput {
    const EncoderParameters& set;
    std::string fileName;                  ///< the file, or the untitled document's title
    std::string date;                      ///< as shown (ReportDate)
    const VerifyResult* verify = nullptr;  ///< a comparison of this configuration with the encoder
};

/// The day of when in the date form of the resources in force ("31.12.2024", "2024-12-31").
std::string ReportDate(std::time_t when);

std::string ReportText(const ReportInput& input);
/// A whole HTML document (UTF-8); rows that differ carry the class "different".
std::string ReportHtml(const ReportInput& input);

/// Display width of a UTF-8 text: its characters.
std::size_t TextWidth(const std::string& text);
/// text followed by blanks up to width characters.
std::string PadRight(const std::string& text, std::size_t width);

}  // namespace veltrin
