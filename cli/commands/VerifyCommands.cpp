// verify, diff, report: is the encoder equal to a configuration file, would two files leave it
// equal, and a configuration file as a printable sheet.
#include <algorithm>
#include <ctime>

#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "doc/Report.h"
#include "doc/Verify.h"
#include "params/Operations.h"
#include "res/Resources.h"

namespace veltrin::cli {

namespace {

/// One line per parameter (label, the two values, status with its reason), aligned under a
/// head, and the summary last.
void PrintRows(std::ostream& out, const VerifyResult& r, const char* firstHead, const char* secondHead) {
    auto status = [](const VerifyRow& row) {
        std::string text = StatusText(row.status);
        if (row.reason != NotSentReason::None) text += ": " + ReasonText(row.reason);
        return text;
    };
    const std::string head[3] = {ResText("verify.head.parameter"), ResText(firstHead), ResText(secondHead)};
    std::size_t width[3] = {TextWidth(head[0]), TextWidth(head[1]), TextWidth(head[2])};
    for (const VerifyRow& row : r.rows) {
        width[0] = std::max(width[0], TextWidth(row.label));
        width[1] = std::max(width[1], TextWidth(row.fileValue));
        width[2] = std::max(width[2], TextWidth(row.encoderValue));
    }
    auto line = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
        out << PadRight(a, width[0]) << "  " << PadRight(b, width[1]) << "  " << PadRight(c, width[2]) << "  "
            << d << '\n';
    };
    line(head[0], head[1], head[2], ResText("verify.head.status"));
    for (const VerifyRow& row : r.rows) line(row.label, row.fileValue, row.encoderValue, status(row));
    out << SummaryText(r.counts) << '\n';
}

Json RowsValue(const VerifyResult& r, const char* firstKey, const char* secondKey, bool secondUnknownIsNull) {
    Json rows = Json::array();
    for (const VerifyRow& row : r.rows) {
        Json second = row.encoderValue;
        if (secondUnknownIsNull && row.encoderValue.empty()) second = nullptr;
        rows.push_back(Json{{"member", row.member},
                            {"kp", row.kp},
                            {"label", row.label},
                            {firstKey, row.fileValue},
                            {secondKey, std::move(second)},
                            {"status", StatusName(row.status)},
                            {"reason", ReasonName(row.reason)}});
    }
    return rows;
}

Json SummaryValue(const VerifyCounts& c) {
    return Json{{"parameters", c.Total()},
                {"equal", c.equal},
                {"different", c.different},
                {"notSent", c.notSent},
                {"notReadable", c.notReadable}};
}

int Outcome(const VerifyResult& r) { return r.HasDifferences() ? kExitDifferences : kExitOk; }

}  // namespace

int CmdVerify(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& path = c.positional[0];
    // The file first: one that cannot be read sends and reads nothing.
    if (int rc = s.ReadFileInto(path, encoderParameters)) return rc;
    Link& link = s.Encoder();
    s.ShowProgress("verify", 36);
    VerifyResult result;
    if (!VerifyEncoder(encoderParameters, ExtendedMode, statusBitOwners, result, link))
        return s.DeviceFailure();
    s.EndProgress();
    if (c.Has("--json")) {
        Print(s.out(),
              Json{{"file", Text8(path)},
                   {"extended", ExtendedMode != 0},
                   {"firmware", result.firmware},
                   {"parameters", RowsValue(result, "file", "encoder", true)},
                   {"summary", SummaryValue(result.counts)}},
              true);
    } else {
        PrintRows(s.out(), result, "verify.head.file", "verify.head.encoder");
    }
    return Outcome(result);
}

int CmdDiff(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 2);
    // Each file on the start-up values, as send-all reads it.
    EncoderParameters first = encoderParameters, second = encoderParameters;
    if (int rc = s.ReadFileInto(c.positional[0], first)) return rc;
    if (int rc = s.ReadFileInto(c.positional[1], second)) return rc;
    const VerifyResult result = CompareConfigurations(first, second, ExtendedMode);
    if (c.Has("--json")) {
        Print(s.out(),
              Json{{"file1", Text8(c.positional[0])},
                   {"file2", Text8(c.positional[1])},
                   {"extended", ExtendedMode != 0},
                   {"parameters", RowsValue(result, "file1", "file2", false)},
                   {"summary", SummaryValue(result.counts)}},
              true);
    } else {
        PrintRows(s.out(), result, "verify.head.file1", "verify.head.file2");
    }
    return Outcome(result);
}

int CmdReport(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& path = c.positional[0];
    if (int rc = s.ReadFileInto(path, encoderParameters)) return rc;
    const std::string date = s.hooks().reportDate ? *s.hooks().reportDate : ReportDate(std::time(nullptr));
    const ReportInput input{encoderParameters, path, date};
    s.out() << (c.Has("--html") ? ReportHtml(input) : ReportText(input));
    return kExitOk;
}

}  // namespace veltrin::cli
