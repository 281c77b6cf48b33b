#include "doc/Report.h"

#include <algorithm>
#include <vector>

#include "res/Resources.h"

namespace veltrin {

namespace {

constexpr unsigned kAppName = 57344;  // "Veltrin"

std::string Title() { return ResString(kAppName) + " \u2013 " + ResText("report.title"); }

/// One line of the sheet: the parameter's texts and, after a comparison, the encoder's.
struct Line {
    std::string member;
    KpGroup group;
    std::string label, value, encoder, status;
    bool different = false;
};

std::vector<Line> Lines(const ReportInput& in) {
    std::vector<Line> lines;
    for (const ParameterLine& p : DescribeConfiguration(in.set))
        lines.push_back({p.member, p.group, p.label, p.fileValue, {}, {}});
    if (!in.verify) return lines;
    for (Line& line : lines) {
        const auto it = std::find_if(in.verify->rows.begin(), in.verify->rows.end(),
                                     [&](const VerifyRow& r) { return r.member == line.member; });
        if (it == in.verify->rows.end()) continue;
        line.encoder = it->encoderValue;
        line.status = StatusText(*it);
        line.different = it->status == VerifyStatus::Different;
    }
    return lines;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::size_t TextWidth(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string PadRight(const std::string& text, std::size_t width) {
    const std::size_t w = TextWidth(text);
    return w >= width ? text : text + std::string(width - w, ' ');
}

std::string ReportDate(std::time_t when) {
    const std::tm day = *std::localtime(&when);
    char text[64];
    const std::string format = ResText("report.dateFormat");
    const std::size_t n = std::strftime(text, sizeof text, format.c_str(), &day);
    return std::string(text, n);
}

std::string ReportText(const ReportInput& in) {
    const std::vector<Line> lines = Lines(in);
    const bool verified = in.verify != nullptr;
    std::size_t labelWidth = TextWidth(ResText("verify.head.parameter"));
    std::size_t valueWidth = TextWidth(ResText(verified ? "verify.head.document" : "verify.head.value"));
    std::size_t encoderWidth = TextWidth(ResText("verify.head.encoder"));
    for (const Line& l : lines) {
        labelWidth = std::max(labelWidth, TextWidth(l.label));
        valueWidth = std::max(valueWidth, TextWidth(l.value));
        encoderWidth = std::max(encoderWidth, TextWidth(l.encoder));
    }
    auto row = [&](const std::string& label, const std::string& value, const std::string& encoder,
                   const std::string& status) {
        std::string text = "  " + PadRight(label, labelWidth) + "  ";
        if (!verified) return text + value + "\n";
        return text + PadRight(value, valueWidth) + "  " + PadRight(encoder, encoderWidth) + "  " + status +
               "\n";
    };

    std::string out = Title() + "\n\n";
    out += ResText("report.file") + ": " + in.fileName + "\n";
    out += ResText("report.date") + ": " + in.date + "\n";
    if (verified) out += ResText("report.firmware") + ": " + in.verify->firmware + "\n";
    out += '\n';
    out += row(ResText("verify.head.parameter"),
               ResText(verified ? "verify.head.document" : "verify.head.value"),
               ResText("verify.head.encoder"), ResText("verify.head.status"));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].group != lines[i - 1].group) {
            out += '\n';
            out += GroupText(lines[i].group);
            out += '\n';
        }
        out += row(lines[i].label, lines[i].value, lines[i].encoder, lines[i].status);
    }
    out += "\n";
    out += verified ? ResText("report.verify") + ": " + SummaryText(in.verify->counts)
                    : ResText("report.notVerified");
    return out + "\n";
}

std::string ReportHtml(const ReportInput& in) {
    const std::vector<Line> lines = Lines(in);
    const bool verified = in.verify != nullptr;
    std::string out =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(Title()) +
        "</title>\n<style>\n"
        "body { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 9pt; color: #1d2733; }\n"
        "h1 { font-size: 15pt; color: #1e3651; }\n"
        "h2 { font-size: 11pt; color: #1e3651; margin-top: 10pt; margin-bottom: 3pt; }\n"
        "table { border-collapse: collapse; }\n"
        "th { background-color: #eef2f5; text-align: left; }\n"
        "tr.different td { color: #b00020; font-weight: bold; background-color: #fde8ea; }\n"
        "</style>\n</head>\n<body>\n";
    out += "<h1>" + Escape(Title()) + "</h1>\n<table class=\"meta\" cellpadding=\"2\">\n";
    auto meta = [&](const char* key, const std::string& value) {
        out += "<tr><th>" + Escape(ResText(key)) + "</th><td>" + Escape(value) + "</td></tr>\n";
    };
    meta("report.file", in.fileName);
    meta("report.date", in.date);
    if (verified) meta("report.firmware", in.verify->firmware);
    out += "</table>\n";

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (i == 0 || l.group != lines[i - 1].group) {
            if (i > 0) out += "</table>\n";
            out += "<h2>" + Escape(GroupText(l.group)) +
                   "</h2>\n<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th "
                   "width=\"" +
                   (verified ? "34%" : "50%") + "\">" + Escape(ResText("verify.head.parameter")) +
                   "</th><th>" + Escape(ResText(verified ? "verify.head.document" : "verify.head.value")) +
                   "</th>";
            if (verified)
                out += "<th width=\"16%\">" + Escape(ResText("verify.head.encoder")) +
                       "</th><th width=\"34%\">" + Escape(ResText("verify.head.status")) + "</th>";
            out += "</tr>\n";
        }
        out += l.different ? "<tr class=\"different\">" : "<tr>";
        out += "<td>" + Escape(l.label) + "</td><td>" + Escape(l.value) + "</td>";
        if (verified) out += "<td>" + Escape(l.encoder) + "</td><td>" + Escape(l.status) + "</td>";
        out += "</tr>\n";
    }
    if (!lines.empty()) out += "</table>\n";
    out += "<p class=\"summary\">" +
           Escape(verified ? ResText("report.verify") + ": " + SummaryText(in.verify->counts)
                           : ResText("report.notVerified")) +
           "</p>\n</body>\n</html>\n";
    return out;
}

}  // namespace veltrin
