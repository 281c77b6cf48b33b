// defaults, show, set: configuration files without the encoder.
#include "cli/Output.h"
#include "cli/commands/Commands.h"
#include "doc/ParameterFields.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "res/Resources.h"

namespace veltrin::cli {

namespace {

Json ParametersValue(const EncoderParameters& p) {
    Json m = Json::object();
    for (const auto& f : kParameterFields) {
        const std::string name(f.name);
        if (f.kind == FieldKind::Text)
            m[name] = Text8(FieldText(p, f));
        else
            m[name] = static_cast<long long>(FieldNumber(p, f));
    }
    return m;
}

// "0 bis 16, 256 bis 272": the spans of a range in the language in force.
std::string RangeText(const ValueRange& r) {
    auto span = [](std::int64_t low, std::int64_t high) {
        std::string text = Text("cli.range.span", std::to_string(low));
        return FormatNumber(text, high);
    };
    std::string text = span(r.min, r.max);
    if (r.min2 <= r.max2) text += ", " + span(r.min2, r.max2);
    return text;
}

std::string Replace(std::string text, std::string_view placeholder, const std::string& by) {
    std::size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), by);
    return text;
}

// A refused value: the member, the value as given and what the member takes.
UsageError Refused(std::string_view key, const std::string& member, const std::string& value,
                   const std::string& range) {
    return UsageError{Replace(Replace(Text(key, member), "%v", value), "%r", range)};
}

// The value of one assignment, checked as the encoder takes it: a whole number inside the
// member's range (the "$" notation as in the send dialogs), or for the scaling factor a
// decimal number from 0 to 1 of at most the field's 10 characters.
std::string CheckedValue(const ParameterField& field, const std::string& typed) {
    const std::string member(field.name);
    const std::string value = ApplyHexNotation(typed);
    if (field.kind == FieldKind::Text) {
        const std::string range = Text("cli.range.factor");
        const FactorCheck check = CheckScalingFactorText(value);
        if (check == FactorCheck::Ok) return value;
        if (check == FactorCheck::TooLong)
            throw UsageError{FormatNumber(Text("cli.error.tooManyCharacters", member),
                                          static_cast<long long>(kScalingFactorFieldSize))};
        if (check == FactorCheck::OutOfRange) throw Refused("cli.error.outOfRange", member, typed, range);
        throw Refused("cli.error.notANumber", member, typed, range);
    }
    const ValueRange range = *MemberRange(field.name);
    const auto number = WholeNumber(value);
    if (!number) throw Refused("cli.error.notANumber", member, typed, RangeText(range));
    if (!range.Contains(*number)) throw Refused("cli.error.outOfRange", member, typed, RangeText(range));
    return value;
}

}  // namespace

int CmdDefaults(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    return s.WriteFileFrom(c.positional[0], s.Parameters());
}

int CmdShow(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = s.ReadFileInto(c.positional[0], s.Parameters())) return rc;
    Print(s.out(), ParametersValue(s.Parameters()), c.Has("--json"));
    return kExitOk;
}

int CmdSet(Session& s, const CommandArgs& c) {
    if (c.positional.empty()) throw UsageError{Text("cli.error.missingArguments")};
    if (c.positional.size() < 2) throw UsageError{Text("cli.error.missingAssignment")};
    // Check every assignment before the file is touched: nothing the encoder would refuse, or
    // take other than as written, gets into the file.
    std::vector<std::pair<const ParameterField*, std::string>> assignments;
    for (std::size_t i = 1; i < c.positional.size(); ++i) {
        const std::string& a = c.positional[i];
        std::size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0) throw UsageError{Text("cli.error.badAssignment", a)};
        const ParameterField* field = FindParameterField(std::string_view(a).substr(0, eq));
        if (!field) throw UsageError{Text("cli.error.unknownMember", a.substr(0, eq))};
        assignments.emplace_back(field, CheckedValue(*field, a.substr(eq + 1)));
    }
    const std::string& path = c.positional[0];
    if (int rc = s.ReadFileInto(path, s.Parameters())) return rc;
    for (const auto& [field, value] : assignments) {
        if (field->kind == FieldKind::Text)
            SetFieldText(s.Parameters(), *field, value);
        else
            SetFieldNumber(s.Parameters(), *field, static_cast<std::uint32_t>(*WholeNumber(value)));
    }
    return s.WriteFileFrom(path, s.Parameters());
}

}  // namespace veltrin::cli
