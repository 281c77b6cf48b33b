// verify, diff, report: is the encoder equal to a configuration file, would two files leave it
// equal, and a configuration file as a printable sheet (with the encoder's comparison on
// request).
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
    for (const VerifyRow& row : r.rows) line(row.label, row.fileValue, row.encoderValue, StatusText(row));
    out << SummaryText(r.counts) << '\n';
}

/// The two sides of a comparison: their keys in JSON and the resource keys of their heads.
struct Sides {
    const char *firstKey, *secondKey, *firstHead, *secondHead;
    bool unknownIsNull;  ///< an unknown second value as null (else its text)
};
constexpr Sides kFileAndEncoder{"file", "encoder", "verify.head.file", "verify.head.encoder", true};
constexpr Sides kTwoFiles{"file1", "file2", "verify.head.file1", "verify.head.file2", false};

Json RowsValue(const VerifyResult& r, const Sides& sides) {
    Json rows = Json::array();
    for (const VerifyRow& row : r.rows) {
        Json second = row.encoderValue;
        if (sides.unknownIsNull && row.encoderValue.empty()) second = nullptr;
        rows.push_back(Json{{"member", row.member},
                            {"kp", row.kp},
                            {"label", row.label},
                            {sides.firstKey, row.fileValue},
                            {sides.secondKey, std::move(second)},
                            {"status", StatusName(row.status)},
                            {"reason", ReasonName(row.reason)}});
    }
    return rows;
}

/// The result as lines or as one JSON object (head and the rows and counts); exit status 4 when
/// a parameter differs.
int Show(Session& s, const CommandArgs& c, const VerifyResult& r, Json head, const Sides& sides) {
    if (c.Has("--json")) {
        const VerifyCounts& n = r.counts;
        head["extended"] = s.options().extended;
        head["parameters"] = RowsValue(r, sides);
        head["summary"] = Json{{"parameters", n.Total()},
                               {"equal", n.equal},
                               {"different", n.different},
                               {"notSent", n.notSent},
                               {"notReadable", n.notReadable}};
        Print(s.out(), head, true);
    } else {
        PrintRows(s.out(), r, sides.firstHead, sides.secondHead);
    }
    return r.HasDifferences() ? kExitDifferences : kExitOk;
}

/// Reads the encoder and compares it with the parameter set (read from the file before): true
/// when the comparison ran.
bool CompareWithEncoder(Session& s, VerifyResult& result) {
    EncoderSession& encoder = s.Encoder();
    s.ShowProgress("verify", 36);
    if (!VerifyEncoder(encoder, encoder.parameters, encoder.statusBitOwners, result)) return false;
    s.EndProgress();
    return true;
}

}  // namespace

int CmdVerify(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& path = c.positional[0];
    // The file first: one that cannot be read sends and reads nothing.
    if (int rc = s.ReadFileInto(path, s.Parameters())) return rc;
    VerifyResult result;
    if (!CompareWithEncoder(s, result)) return s.DeviceFailure();
    return Show(s, c, result, Json{{"file", Text8(path)}, {"firmware", result.firmware}}, kFileAndEncoder);
}

int CmdDiff(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 2);
    // Each file on the start-up values, as send-all reads it.
    EncoderParameters first = s.Parameters(), second = s.Parameters();
    if (int rc = s.ReadFileInto(c.positional[0], first)) return rc;
    if (int rc = s.ReadFileInto(c.positional[1], second)) return rc;
    const VerifyResult result = CompareConfigurations(first, second, s.options().extended ? 1 : 0);
    return Show(s, c, result, Json{{"file1", Text8(c.positional[0])}, {"file2", Text8(c.positional[1])}},
                kTwoFiles);
}

int CmdReport(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& path = c.positional[0];
    if (int rc = s.ReadFileInto(path, s.Parameters())) return rc;
    // With --verify the sheet carries the encoder's values: a comparison that cannot run gives
    // no sheet (exit status 1), one that finds a difference gives it with exit status 4.
    VerifyResult result;
    const bool verify = c.Has("--verify");
    if (verify && !CompareWithEncoder(s, result)) return s.DeviceFailure();
    const std::string date = s.hooks().reportDate ? *s.hooks().reportDate : ReportDate(std::time(nullptr));
    const ReportInput input{s.Parameters(), path, date, verify ? &result : nullptr,
                            verify ? s.EncoderDevice() : std::string()};
    s.out() << (c.Has("--html") ? ReportHtml(input) : ReportText(input));
    return verify && result.HasDifferences() ? kExitDifferences : kExitOk;
}

}  // namespace veltrin::cli
