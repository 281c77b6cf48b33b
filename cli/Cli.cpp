#include "cli/Cli.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <variant>

#include "doc/ConfigFile.h"
#include "doc/ParameterFields.h"
#include "link/SerialPort.h"
#include "params/InputRules.h"
#include "params/Operations.h"
#include "res/Resources.h"

namespace veltrin::cli {

namespace {

// ---------------------------------------------------------------------------------------------
// Output: one small tree of values, printed either as "name = value" lines or as one JSON object.

struct Value;
using Members = std::vector<std::pair<std::string, Value>>;
using Items = std::vector<Value>;

struct Value {
    std::variant<long long, double, std::string, Members, Items> v;
    Value(long long n) : v(n) {}
    Value(int n) : v(static_cast<long long>(n)) {}
    Value(unsigned n) : v(static_cast<long long>(n)) {}
    Value(double d) : v(d) {}
    Value(std::string s) : v(std::move(s)) {}
    Value(Members m) : v(std::move(m)) {}
    Value(Items i) : v(std::move(i)) {}
};

Value Char(std::int32_t code) { return Value(std::string(1, static_cast<char>(code))); }

std::string JsonString(std::string_view s) {
    std::string out = "\"";
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7F) {
            // Control characters, and bytes of the 8-bit code page as their own code points.
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Number(double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", d);
    return buf;
}

void WriteJson(std::ostream& out, const Value& value) {
    if (auto n = std::get_if<long long>(&value.v)) out << *n;
    else if (auto d = std::get_if<double>(&value.v)) out << Number(*d);
    else if (auto s = std::get_if<std::string>(&value.v)) out << JsonString(*s);
    else if (auto m = std::get_if<Members>(&value.v)) {
        out << '{';
        bool first = true;
        for (const auto& [key, member] : *m) {
            if (!first) out << ',';
            first = false;
            out << JsonString(key) << ':';
            WriteJson(out, member);
        }
        out << '}';
    } else if (auto items = std::get_if<Items>(&value.v)) {
        out << '[';
        for (std::size_t i = 0; i < items->size(); ++i) {
            if (i) out << ',';
            WriteJson(out, (*items)[i]);
        }
        out << ']';
    }
}

// Plain text: printable characters as they are, anything else as \xNN.
std::string PlainString(std::string_view s) {
    std::string out;
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

bool IsScalar(const Value& v) { return !std::holds_alternative<Members>(v.v) && !std::holds_alternative<Items>(v.v); }

std::string PlainScalar(const Value& v) {
    if (auto n = std::get_if<long long>(&v.v)) return std::to_string(*n);
    if (auto d = std::get_if<double>(&v.v)) return Number(*d);
    return PlainString(std::get<std::string>(v.v));
}

// name = value lines; nested objects as a.b, arrays of numbers on one line, arrays of objects
// as name[1].key (counted from 1, like the limits).
void WritePlain(std::ostream& out, const Value& value, const std::string& name) {
    if (IsScalar(value)) {
        out << name << " = " << PlainScalar(value) << '\n';
    } else if (auto m = std::get_if<Members>(&value.v)) {
        for (const auto& [key, member] : *m) WritePlain(out, member, name.empty() ? key : name + "." + key);
    } else {
        const auto& items = std::get<Items>(value.v);
        bool scalars = true;
        for (const auto& item : items) scalars = scalars && IsScalar(item);
        if (scalars) {
            out << name << " =";
            for (const auto& item : items) out << ' ' << PlainScalar(item);
            out << '\n';
        } else {
            for (std::size_t i = 0; i < items.size(); ++i)
                WritePlain(out, items[i], name + "[" + std::to_string(i + 1) + "]");
        }
    }
}

void Print(std::ostream& out, const Value& value, bool json) {
    if (json) {
        WriteJson(out, value);
        out << '\n';
    } else {
        WritePlain(out, value, "");
    }
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string Text(std::string_view key, std::string_view arg = {}) {
    std::string text = ResText(key);
    std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, arg);
    return text;
}

struct UsageError {
    std::string message;
};

bool ParseCount(const std::string& s, long long low, long long high, long long& value) {
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end && !s.empty() && value >= low && value <= high;
}

// ---------------------------------------------------------------------------------------------
// The link's side: message sink, wire trace, progress.

class StreamSink : public MessageSink {
public:
    explicit StreamSink(std::ostream& err) : err_(err) {}
    void ShowMessage(const std::string& text) override { err_ << text << '\n'; }

private:
    std::ostream& err_;
};

/// Every byte on the line: milliseconds since the start, direction, bytes in hex.
class StreamTrace : public WireTrace {
public:
    explicit StreamTrace(std::ostream& err) : err_(err), start_(std::chrono::steady_clock::now()) {}
    void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                 std::chrono::steady_clock::time_point when) override {
        double ms = std::chrono::duration<double, std::milli>(when - start_).count();
        char head[48];
        std::snprintf(head, sizeof head, "%10.1f ms %s", ms, direction == WireDirection::Sent ? "->" : "<-");
        std::string line = head;
        for (std::size_t i = 0; i < count; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
            line += hex;
        }
        err_ << line << '\n';
    }

private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point start_;
};

struct Options {
    std::string device;
    int port = 1;
    bool extended = false;
    bool trace = false;
    std::string lang = "de";
};

// One run: the options, the port and the link set up for the command, undone when it ends.
class Session {
public:
    Session(const Options& options, std::ostream& out, std::ostream& err, const CliHooks& hooks)
        : options_(options), out_(out), err_(err), hooks_(hooks), sink_(err), trace_(err) {
        Link& link = TheLink();
        InitEncoderParameters(encoderParameters, link);
        if (hooks.timing) link.timing = *hooks.timing;
        ExtendedMode = options.extended ? 1 : 0;
        link.SetMessageSink(&sink_);
    }
    ~Session() {
        Link& link = TheLink();
        link.SetTelegramObserver({});
        link.SetMessageSink(nullptr);
        link.SetPort(nullptr);
        port_.SetTrace(nullptr);
        port_.Close();
    }

    /// Opens the serial port for the encoder commands. A port that does not open is not an
    /// error here: the first telegram shows the port message and fails.
    Link& Encoder() {
        port_.portNumber = options_.port;
        if (!options_.device.empty()) port_.SetDeviceOverride(options_.device);
        if (options_.trace) port_.SetTrace(&trace_);
        port_.Open();
        TheLink().SetPort(&port_);
        return TheLink();
    }

    /// A progress line on the error stream while an operation of many telegrams runs.
    void ShowProgress(const std::string& what, int total) {
        if (!hooks_.progress) return;
        progressShown_ = true;
        auto count = std::make_shared<int>(0);
        TheLink().SetTelegramObserver([this, what, total, count](const std::uint8_t*, int) {
            ++*count;
            err_ << '\r' << what << ": " << *count;
            if (total > 0) err_ << '/' << total;
            err_.flush();
        });
    }
    void EndProgress() {
        TheLink().SetTelegramObserver({});
        if (progressShown_) err_ << '\n';
        progressShown_ = false;
    }

    int DeviceFailure() {
        EndProgress();
        err_ << TheLink().DeviceErrorText() << '\n';
        return kExitDevice;
    }
    int FileFailure(const ConfigFileResult& r, const std::string& path) {
        std::string text = ConfigFileErrorText(r, path);
        // The format messages do not name the file; the file-error texts do.
        if (r.status != ConfigStatus::FileError) text = path + ": " + text;
        err_ << text << '\n';
        return kExitFile;
    }

    std::ostream& out() { return out_; }

private:
    const Options& options_;
    std::ostream& out_;
    std::ostream& err_;
    const CliHooks& hooks_;
    StreamSink sink_;
    StreamTrace trace_;
    CSerialPort port_;
    bool progressShown_ = false;
};

// ---------------------------------------------------------------------------------------------
// Command arguments: positional ones and the few flags a command takes.

struct CommandArgs {
    std::vector<std::string> positional;
    bool json = false;
    std::optional<std::string> base;
    std::optional<long long> count;
};

CommandArgs ParseCommandArgs(const std::vector<std::string>& args, std::size_t from, bool allowJson,
                             bool allowBase, bool allowCount) {
    CommandArgs c;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json" && allowJson) {
            c.json = true;
        } else if (a == "--base" && allowBase) {
            if (++i >= args.size()) throw UsageError{Text("cli.error.missingArgument", a)};
            c.base = args[i];
        } else if (a == "--count" && allowCount) {
            long long n = 0;
            if (++i >= args.size()) throw UsageError{Text("cli.error.missingArgument", a)};
            if (!ParseCount(args[i], 1, 1000000000, n)) throw UsageError{Text("cli.error.badNumber", args[i])};
            c.count = n;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            throw UsageError{Text("cli.error.unknownOption", a)};
        } else {
            c.positional.push_back(a);
        }
    }
    return c;
}

void ExpectPositional(const CommandArgs& c, std::size_t n) {
    if (c.positional.size() < n) throw UsageError{Text("cli.error.missingArguments")};
    if (c.positional.size() > n) throw UsageError{Text("cli.error.extraArgument", c.positional[n])};
}

// ---------------------------------------------------------------------------------------------
// Results as values

Value ParametersValue(const EncoderParameters& p) {
    Members m;
    for (const auto& f : kParameterFields) {
        if (f.kind == FieldKind::Text) m.emplace_back(std::string(f.name), Value(FieldText(p, f)));
        else m.emplace_back(std::string(f.name), Value(static_cast<long long>(FieldNumber(p, f))));
    }
    return Value(std::move(m));
}

Value StatusBitValue(const StatusBitQuery& b) {
    return Value(Members{{"on", b.on}, {"activeHigh", b.activeHigh}, {"positionChar", Char(b.positionChar)}});
}

std::string FourChars(const std::array<char, 4>& c) { return std::string(c.begin(), c.end()); }

Value Bytes4(const std::array<std::uint8_t, 4>& b) { return Value(Items{b[0], b[1], b[2], b[3]}); }

// ---------------------------------------------------------------------------------------------
// Commands

int ReadFileInto(Session& s, const std::string& path, EncoderParameters& p) {
    ConfigFileResult r = ReadConfigurationFile(path, p);
    return r.ok() ? kExitOk : s.FileFailure(r, path);
}

int WriteFileFrom(Session& s, const std::string& path, const EncoderParameters& p) {
    ConfigFileResult r = WriteConfigurationFile(path, p);
    return r.ok() ? kExitOk : s.FileFailure(r, path);
}

int CmdReadAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (c.base)
        if (int rc = ReadFileInto(s, *c.base, encoderParameters)) return rc;
    Link& link = s.Encoder();
    s.ShowProgress("read-all", 35);
    if (!ReadAll(encoderParameters, link)) return s.DeviceFailure();
    s.EndProgress();
    return WriteFileFrom(s, c.positional[0], encoderParameters);
}

int CmdSendAll(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = ReadFileInto(s, c.positional[0], encoderParameters)) return rc;
    Link& link = s.Encoder();
    s.ShowProgress("send-all", 0);
    if (!SendAll(encoderParameters, link)) return s.DeviceFailure();
    s.EndProgress();
    return kExitOk;
}

int CmdDefaults(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    return WriteFileFrom(s, c.positional[0], encoderParameters);
}

int CmdShow(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    if (int rc = ReadFileInto(s, c.positional[0], encoderParameters)) return rc;
    Print(s.out(), ParametersValue(encoderParameters), c.json);
    return kExitOk;
}

// The character limits of the send dialogs' fields: the scaling factor 9 (so that its zero
// byte fits the field), the bit counts S and U 2. The shift amount's limit belongs to its
// low byte only; positionShift is set here as the whole member, direction bit included.
std::size_t CharacterLimit(const ParameterField& field) {
    if (field.name == "scalingFactorText") return 9;
    if (field.name == "bitsS" || field.name == "bitsU") return 2;
    return 0;
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
    if (int rc = ReadFileInto(s, path, encoderParameters)) return rc;
    for (const auto& [field, value] : assignments) {
        if (field->kind == FieldKind::Text) SetFieldText(encoderParameters, *field, value);
        else SetFieldNumber(encoderParameters, *field, static_cast<std::uint32_t>(TextToNumber(value)));
    }
    return WriteFileFrom(s, path, encoderParameters);
}

int CmdQuery(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 1);
    const std::string& group = c.positional[0];
    static const std::vector<std::string> groups = {"presets",         "scaling",     "limits",   "data-format",
                                                    "count-direction", "status-bits", "firmware", "config-registers"};
    if (std::find(groups.begin(), groups.end(), group) == groups.end())
        throw UsageError{Text("cli.error.unknownGroup", group)};
    Link& link = s.Encoder();
    Value result = Members{};
    if (group == "presets") {
        std::array<char, 4> version{};
        // As the presets dialog: the firmware first; a failed read shows 0000 and goes on.
        if (!QueryFirmwareVersion(version, link)) version = {'0', '0', '0', '0'};
        PresetsQueryResult r;
        if (!QueryPresets(r, link)) return s.DeviceFailure();
        result = Members{{"internalPreset", r.internalPreset},
                         {"extPreset1", r.extPreset1},
                         {"extPreset2", r.extPreset2},
                         {"presetOffset", r.presetOffset},
                         {"extPreset1On", r.extPreset1On},
                         {"extPreset2On", r.extPreset2On},
                         {"debounceTime", r.debounceTime},
                         {"presetReplyBit5", r.presetReplyBit5},
                         {"presetReplyBit6", r.presetReplyBit6},
                         {"lengthMeasurementOn", r.lengthMeasurementOn},
                         {"extPreset1ActiveBit", r.extPreset1ActiveBit},
                         {"extPreset2ActiveBit", r.extPreset2ActiveBit},
                         {"firmwareVersion", FourChars(version)}};
    } else if (group == "scaling") {
        ScalingQueryResult r;
        if (!QueryScaling(r, link)) return s.DeviceFailure();
        result = Members{{"factor", static_cast<double>(r.factor)},
                         {"steps", r.steps},
                         {"measuringSteps", r.measuringSteps},
                         {"revolutions", r.revolutions}};
    } else if (group == "limits") {
        LimitsQueryResult r;
        if (!QueryLimits(r, link)) return s.DeviceFailure();
        Items limits;
        for (std::size_t i = 0; i < 4; ++i) {
            limits.emplace_back(Members{{"value", r.value[i]},
                                        {"on", r.bit[i].on},
                                        {"activeHigh", r.bit[i].activeHigh},
                                        {"positionChar", Char(r.bit[i].positionChar)}});
        }
        result = Members{{"limits", Value(std::move(limits))}};
    } else if (group == "data-format") {
        DataFormatQueryResult r;
        if (!QueryDataFormat(r, link)) return s.DeviceFailure();
        result = Members{{"ssi32Bit", r.ssi32Bit},
                         {"bitsTotal", r.bitsTotal},
                         {"nibbleS", r.nibbleS},
                         {"nibbleU", r.nibbleU},
                         {"outputFormat", r.outputFormat},
                         {"outputCode", r.outputCode},
                         {"separateSign", r.separateSign},
                         {"integerRepresentation", r.integerRepresentation},
                         {"positionShift", r.positionShift},
                         {"bitsS", r.bitsS},
                         {"bitsU", r.bitsU}};
    } else if (group == "count-direction") {
        CountDirectionQueryResult r;
        if (!QueryCountDirection(r, link)) return s.DeviceFailure();
        result = Members{{"backward", r.backward}, {"extSwitchOn", r.extSwitchOn}, {"extSwitchActiveBit", r.extSwitchActiveBit}};
    } else if (group == "status-bits") {
        StatusBitsQueryResult r;
        if (!QueryStatusBits(r, link)) return s.DeviceFailure();
        result = Members{{"limit1", StatusBitValue(r.limit[0])},  {"limit2", StatusBitValue(r.limit[1])},
                         {"limit3", StatusBitValue(r.limit[2])},  {"limit4", StatusBitValue(r.limit[3])},
                         {"overspeed", StatusBitValue(r.overspeed)}, {"standstill", StatusBitValue(r.standstill)},
                         {"parity", StatusBitValue(r.parity)},    {"encoderError", StatusBitValue(r.encoderError)},
                         {"direction", StatusBitValue(r.direction)}, {"overspeedValue", r.overspeedValue}};
    } else if (group == "firmware") {
        std::array<char, 4> version{};
        if (!QueryFirmwareVersion(version, link)) return s.DeviceFailure();
        result = Members{{"firmwareVersion", FourChars(version)}};
    } else {
        ConfigRegisters r;
        if (!QueryConfigRegisters(r, link)) return s.DeviceFailure();
        result = Members{{"kp14", Bytes4(r.kp14)}, {"kp15", Bytes4(r.kp15)}};
    }
    Print(s.out(), result, c.json);
    return kExitOk;
}

int CmdActual(Session& s, const CommandArgs& c) {
    ExpectPositional(c, 0);
    Link& link = s.Encoder();
    const long long n = c.count.value_or(1);
    for (long long i = 0; i < n; ++i) {
        ActualValue a;
        if (!QueryActualValue(a, encoderParameters, link)) return s.DeviceFailure();
        if (c.json) {
            Print(s.out(), Value(Members{{"statusBits", a.statusBits}, {"dataBits", a.dataBits}, {"value", a.value}}), true);
        } else {
            s.out() << "value = " << a.value << "  dataBits = " << a.dataBits << "  statusBits = " << a.statusBits << '\n';
        }
        s.out().flush();   // one reading a line, as it comes
    }
    return kExitOk;
}

int CmdDevice(Session& s, const CommandArgs& c, bool (*command)(Link&)) {
    ExpectPositional(c, 0);
    Link& link = s.Encoder();
    return command(link) ? kExitOk : s.DeviceFailure();
}

// The English set lives beside the program as veltrin.en.txt.
std::string ProgramDirectory() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return ".";
    std::string path(buf, static_cast<std::size_t>(n));
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const CliHooks& hooks) {
    Options options;
    std::size_t i = 0;
    std::optional<UsageError> optionError;
    bool help = false, version = false;
    for (; i < args.size() && !optionError; ++i) {
        const std::string& a = args[i];
        if (a.empty() || a[0] != '-') break;
        auto next = [&](std::string& to) {
            if (i + 1 >= args.size()) {
                optionError = UsageError{Text("cli.error.missingArgument", a)};
                return false;
            }
            to = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") help = true;
        else if (a == "--version") version = true;
        else if (a == "--extended") options.extended = true;
        else if (a == "--trace") options.trace = true;
        else if (a == "--device") {
            if (next(v)) options.device = v;
        } else if (a == "--port") {
            long long n = 0;
            if (next(v) && !ParseCount(v, 1, 255, n)) optionError = UsageError{Text("cli.error.badNumber", v)};
            options.port = static_cast<int>(n);
        } else if (a == "--lang") {
            if (next(v) && v != "de" && v != "en") optionError = UsageError{Text("cli.error.badLanguage", v)};
            options.lang = v;
        } else {
            optionError = UsageError{Text("cli.error.unknownOption", a)};
        }
    }

    // English from the file beside the program; without it the texts stay German.
    static ResourceSet english;
    bool englishSet = false;
    if (!optionError && options.lang == "en" && english.LoadFile(ProgramDirectory() + "/veltrin.en.txt")) {
        UseResourceSet(&english);
        englishSet = true;
    }
    struct RestoreLanguage {
        bool active;
        ~RestoreLanguage() { if (active) UseResourceSet(nullptr); }
    } restoreLanguage{englishSet};

    if (version) {
        out << kVersionText << '\n';
        return kExitOk;
    }
    if (help) {
        out << Text("cli.usage") << '\n';
        return kExitOk;
    }
    auto usage = [&](const std::string& message) {
        err << message << '\n' << Text("cli.usage.short") << '\n';
        return kExitUsage;
    };
    if (optionError) return usage(optionError->message);
    if (i >= args.size()) return usage(Text("cli.error.missingCommand"));

    const std::string command = args[i++];
    try {
        Session session(options, out, err, hooks);
        if (command == "read-all") return CmdReadAll(session, ParseCommandArgs(args, i, false, true, false));
        if (command == "send-all") return CmdSendAll(session, ParseCommandArgs(args, i, false, false, false));
        if (command == "defaults") return CmdDefaults(session, ParseCommandArgs(args, i, false, false, false));
        if (command == "show") return CmdShow(session, ParseCommandArgs(args, i, true, false, false));
        if (command == "set") return CmdSet(session, ParseCommandArgs(args, i, false, false, false));
        if (command == "query") return CmdQuery(session, ParseCommandArgs(args, i, true, false, false));
        if (command == "actual") return CmdActual(session, ParseCommandArgs(args, i, true, false, true));
        if (command == "eeprom-store") return CmdDevice(session, ParseCommandArgs(args, i, false, false, false), [](Link& l) { return StoreToEeprom(l); });
        if (command == "eeprom-load") return CmdDevice(session, ParseCommandArgs(args, i, false, false, false), [](Link& l) { return LoadFromEeprom(l); });
        if (command == "ram-defaults") return CmdDevice(session, ParseCommandArgs(args, i, false, false, false), [](Link& l) { return SetRamDefaults(l); });
        throw UsageError{Text("cli.error.unknownCommand", command)};
    } catch (const UsageError& e) {
        return usage(e.message);
    }
}

}  // namespace veltrin::cli
