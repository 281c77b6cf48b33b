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
        if (f.kind == FieldKind::Text) m[name] = Text8(FieldText(p, f));
        else m[name] = static_cast<long long>(FieldNumber(p, f));
    }
    return m;
}

// The character limits of the send dialogs' fields: the scaling factor 9 (so that its zero
// byte fits the field), the bit counts S and U 2. The shift amount's limit belongs to its
// low byte only; positionShift is set here as the whole member, direction bit included.
std::size_t CharacterLimit(const ParameterField& field) {
    if (field.name == "scalingFactorText") return 9;
    if (field.name == "bitsS" || field.name == "bitsU") return 2;
    return 0;
}

}  // namespace

int CmdDefaults(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    return s.WriteFileFrom(c.positional[0], encoderParameters);
}

int CmdShow(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = s.ReadFileInto(c.positional[0], encoderParameters)) return rc;
    Print(s.out(), ParametersValue(encoderParameters), c.Has("--json"));
    return kExitOk;
}

int CmdSet(Session& s, const CommandArgs& c) {
    if (c.positional.empty()) throw UsageError{Text("cli.error.missingArguments")};
    if (c.positional.size() < 2) throw UsageError{Text("cli.error.missingAssignment")};
    // Check every assignment before the file is touched.
    std::vector<std::pair<const ParameterField*, std::string>> assignments;
    for (std::size_t i = 1; i < c.positional.size(); ++i) {
        const std::string& a = c.positional[i];
        std::size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0) throw UsageError{Text("cli.error.badAssignment", a)};
        const ParameterField* field = FindParameterField(std::string_view(a).substr(0, eq));
        if (!field) throw UsageError{Text("cli.error.unknownMember", a.substr(0, eq))};
        // As typed into the send dialogs: the "$" notation first (the scaling factor too),
        // then the fields' character limits.
        std::string value = ApplyHexNotation(a.substr(eq + 1));
        const std::size_t limit = CharacterLimit(*field);
        if (limit > 0 && (!FitsCharacterLimit(value, limit) || value.size() > limit)) {
            throw UsageError{FormatNumber(Text("cli.error.tooManyCharacters", a.substr(0, eq)),
                                          static_cast<long long>(limit))};
        }
        assignments.emplace_back(field, std::move(value));
    }
    const std::string& path = c.positional[0];
    if (int rc = s.ReadFileInto(path, encoderParameters)) return rc;
    for (const auto& [field, value] : assignments) {
        if (field->kind == FieldKind::Text) SetFieldText(encoderParameters, *field, value);
        else SetFieldNumber(encoderParameters, *field, static_cast<std::uint32_t>(TextToNumber(value)));
    }
    return s.WriteFileFrom(path, encoderParameters);
}

}  // namespace veltrin::cli
