#include "cli/Session.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>

#include "doc/SendNotes.h"
#include "params/Operations.h"
#include "res/Resources.h"

namespace veltrin::cli {

std::string Text(std::string_view key, std::string_view arg) {
    std::string text = ResText(key);
    std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, arg);
    return text;
}

bool ParseCount(const std::string& s, long long low, long long high, long long& value) {
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end && !s.empty() && value >= low && value <= high;
}

CommandArgs ParseCommandArgs(const std::vector<std::string>& args, std::size_t from,
                             const ArgSpec& accepted) {
    auto named = [](const std::vector<std::string>& list, const std::string& a) {
        return std::find(list.begin(), list.end(), a) != list.end();
    };
    CommandArgs c;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (named(accepted.flags, a)) {
            c.flags.insert(a);
        } else if (named(accepted.options, a)) {
            if (++i >= args.size()) throw UsageError{Text("cli.error.missingArgument", a)};
            c.options[a] = args[i];
        } else if (named(accepted.lists, a)) {
            if (++i >= args.size()) throw UsageError{Text("cli.error.missingArgument", a)};
            c.lists[a].push_back(args[i]);
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

StreamTrace::StreamTrace(std::ostream& err) : err_(err), start_(std::chrono::steady_clock::now()) {}

void StreamTrace::OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                          std::chrono::steady_clock::time_point when) {
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

Session::Session(const Options& options, std::ostream& out, std::ostream& err, const CliHooks& hooks)
    : options_(options), out_(out), err_(err), hooks_(hooks), sink_(err), trace_(err) {
    Link& link = encoder_.link;
    InitEncoderParameters(encoder_);
    if (hooks.timing) link.timing = *hooks.timing;
    encoder_.extendedMode = options.extended ? 1 : 0;
    link.SetMessageSink(&sink_);
    link.SetTelegramObserver(hooks.telegramObserver);
}

Session::~Session() {
    Link& link = encoder_.link;
    link.SetTelegramObserver({});
    link.SetMessageSink(nullptr);
    link.SetPort(nullptr);
    port_.SetTrace(nullptr);
    port_.Close();
}

EncoderSession& Session::Encoder() {
    port_.portNumber = options_.port;
    if (!options_.device.empty()) port_.SetDeviceOverride(options_.device);
    if (options_.trace) port_.SetTrace(&trace_);
    // A port that does not open is no error here: the first telegram fails with the port
    // message, which names the device and the reason.
    port_.Open();
    encoder_.link.SetPort(&port_);
    return encoder_;
}

bool Session::ReopenEncoderPort() {
    port_.Close();
    return port_.Open();
}

void Session::ShowProgress(const std::string& what, int total) {
    if (!hooks_.progress) return;
    progressShown_ = true;
    auto count = std::make_shared<int>(0);
    encoder_.link.SetTelegramObserver([this, what, total, count](const std::uint8_t* telegram, int length) {
        if (hooks_.telegramObserver) hooks_.telegramObserver(telegram, length);
        ++*count;
        err_ << '\r' << what << ": " << *count;
        if (total > 0) err_ << '/' << total;
        err_.flush();
    });
}

void Session::EndProgress() {
    encoder_.link.SetTelegramObserver(hooks_.telegramObserver);
    if (progressShown_) err_ << '\n';
    progressShown_ = false;
}

int Session::DeviceFailure() {
    EndProgress();
    err_ << encoder_.link.DeviceErrorText() << '\n';
    return kExitDevice;
}

int Session::SendFailure(const SendReport& report) {
    EndProgress();
    err_ << SendFailureText(report, encoder_.link) << '\n';
    return kExitDevice;
}

int Session::FileFailure(const ConfigFileResult& r, const std::string& path) {
    std::string text = ConfigFileErrorText(r, path);
    // The format messages do not name the file; the file-error texts do.
    if (r.status != ConfigStatus::FileError) text = path + ": " + text;
    err_ << text << '\n';
    return kExitFile;
}

int Session::ReadFileInto(const std::string& path, EncoderParameters& p) {
    ConfigFileResult r = ReadConfigurationFile(path, p);
    return r.ok() ? kExitOk : FileFailure(r, path);
}

int Session::WriteFileFrom(const std::string& path, const EncoderParameters& p) {
    ConfigFileResult r = WriteConfigurationFile(path, p);
    return r.ok() ? kExitOk : FileFailure(r, path);
}

}  // namespace veltrin::cli
