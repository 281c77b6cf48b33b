#pragma once
// The configuration report: one printable sheet of a configuration, every group with the labels
// and value texts of the dialogs, the file's name, date and time, and, when the encoder was
// compared with it, the device, the firmware version and each parameter's encoder value and
// status. Made as plain text (the command-line tool) and as HTML (printed and exported as PDF by
// the program, which adds the running head); the same input always gives the same text.
#include <ctime>
#include <string>

#include "doc/Verify.h"
#include "params/EncoderParameters.h"

namespace veltrin {

struct ReportInput {
    const EncoderParameters& set;
    std::string fileName;                  ///< the file, or the untitled document's title
    std::string date;                      ///< date and time as shown (ReportDate)
    const VerifyResult* verify = nullptr;  ///< a comparison of this configuration with the encoder
    std::string device;                    ///< the encoder's device, with a comparison
    /// Without a comparison, say that none ran in this session (the program, which can run one).
    bool noteNoComparison = false;
};

/// The day and time of when in the form of the resources in force ("31.12.2024 14:05",
/// "2024-12-31 14:05").
std::string ReportDate(std::time_t when);

/// The document's title: "Veltrin – " and the file's name without its folder.
std::string ReportTitle(const ReportInput& input);

std::string ReportText(const ReportInput& input);
/// A whole HTML document (UTF-8); rows that differ carry the class "different".
std::string ReportHtml(const ReportInput& input);

/// Display width of a UTF-8 text: its characters.
std::size_t TextWidth(const std::string& text);
/// text followed by blanks up to width characters.
std::string PadRight(const std::string& text, std::size_t width);

}  // namespace veltrin
