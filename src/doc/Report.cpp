#include "doc/Report.h"

#include <algorithm>
#include <vector>

#include "res/Resources.h"

namespace veltrin {

namespace {

constexpr unsigned kAppName = 57344;  // "Veltrin"

std::string Title() { return ResString(kAppName) + " \u2013 " + ResText("report.title"); }

/// The file's name without its folder (either separator: a path from Windows too).
std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The closing line: the comparison's summary, or that none ran where the reader may wonder.
std::string Closing(const ReportInput& in) {
    if (in.verify) return ResText("report.verify") + ": " + SummaryText(in.verify->counts);
    return in.noteNoComparison ? ResText("report.notVerified") : std::string();
}

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

/// The longest word of a text, in characters.
std::size_t LongestWord(const std::string& text) {
    std::size_t longest = 0, start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        longest = std::max(longest, TextWidth(text.substr(start, end - start)));
        start = end + 1;
    }
    return longest;
}

/// The widths of the sheet's columns in percent of the page: each as its longest text needs
/// (every row on one line when the page is wide enough); when the texts are wider than the
/// page, the columns with room to wrap give it up, none below its longest word.
std::vector<int> ColumnPercents(const std::vector<std::string>& heads,
                                const std::vector<std::vector<std::string>>& rows, std::size_t columns) {
    constexpr double kPageCharacters = 100;  // about the width of A4 at the sheet's 9 pt
    constexpr double kPadding = 2;           // a cell's padding and border, in characters
    std::vector<double> want(columns), least(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        want[c] = static_cast<double>(TextWidth(heads[c]));
        least[c] = static_cast<double>(LongestWord(heads[c]));
        for (const auto& row : rows) {
            want[c] = std::max(want[c], static_cast<double>(TextWidth(row[c])));
            least[c] = std::max(least[c], static_cast<double>(LongestWord(row[c])));
        }
        want[c] += kPadding;
        least[c] += kPadding;
    }
    double total = 0, spare = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        total += want[c];
        spare += want[c] - least[c];
    }
    if (total > kPageCharacters && spare > 0) {
        // Take the excess from each column in proportion to what it could wrap.
        const double cut = std::min(total - kPageCharacters, spare);
        for (std::size_t c = 0; c < columns; ++c) want[c] -= cut * (want[c] - least[c]) / spare;
        total -= cut;
    }
    std::vector<int> percents(columns);
    int given = 0;
    for (std::size_t c = 0; c + 1 < columns; ++c) {
        percents[c] = static_cast<int>(want[c] * 100 / total + 0.5);
        given += percents[c];
    }
    percents[columns - 1] = 100 - given;
    return percents;
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

std::string ReportTitle(const ReportInput& in) {
    return ResString(kAppName) + " \u2013 " + BaseName(in.fileName);
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
    if (verified && !in.device.empty()) out += ResText("report.device") + ": " + in.device + "\n";
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
    const std::string closing = Closing(in);
    if (!closing.empty()) out += "\n" + closing + "\n";
    return out;
}

std::string ReportHtml(const ReportInput& in) {
    const std::vector<Line> lines = Lines(in);
    const bool verified = in.verify != nullptr;
    const std::vector<std::string> heads = {ResText("verify.head.parameter"),
                                            ResText(verified ? "verify.head.document" : "verify.head.value"),
                                            ResText("verify.head.encoder"), ResText("verify.head.status")};
    std::vector<std::vector<std::string>> cells;
    for (const Line& l : lines) cells.push_back({l.label, l.value, l.encoder, l.status});
    const std::size_t columns = verified ? 4 : 2;
    const std::vector<int> widths = ColumnPercents(heads, cells, columns);

    std::string out =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(ReportTitle(in)) +
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
    if (verified && !in.device.empty()) meta("report.device", in.device);
    if (verified) meta("report.firmware", in.verify->firmware);
    out += "</table>\n";

    // Every group's table has the same columns, as wide as their texts need (a word is never
    // broken); the head row repeats on the next page should a table run over.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0 || lines[i].group != lines[i - 1].group) {
            if (i > 0) out += "</table>\n";
            out +=
                "<h2>" + Escape(GroupText(lines[i].group)) +
                "</h2>\n<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<thead><tr>";
            for (std::size_t c = 0; c < columns; ++c)
                out += "<th width=\"" + std::to_string(widths[c]) + "%\">" + Escape(heads[c]) + "</th>";
            out += "</tr></thead>\n";
        }
        out += lines[i].different ? "<tr class=\"different\">" : "<tr>";
        for (std::size_t c = 0; c < columns; ++c) out += "<td>" + Escape(cells[i][c]) + "</td>";
        out += "</tr>\n";
    }
    if (!lines.empty()) out += "</table>\n";
    const std::string closing = Closing(in);
    if (!closing.empty()) out += "<p class=\"summary\">" + Escape(closing) + "</p>\n";
    return out + "</body>\n</html>\n";
}

}  // namespace veltrin
