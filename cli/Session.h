#pragma once
// What every command of veltrin-cli works with: the global options, the command's own
// arguments, and the session that sets up the port and the link for one run and undoes it.
#include <chrono>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Cli.h"
#include "doc/ConfigFile.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "params/EncoderParameters.h"
#include "params/EncoderSession.h"
#include "params/Operations.h"

namespace veltrin::cli {

/// A text of the command-line tool from the resources in force, "%s" replaced by arg.
std::string Text(std::string_view key, std::string_view arg = {});

/// A wrong command line: exit status 2, the message and the short usage on the error stream.
struct UsageError {
    std::string message;
};

/// A whole decimal number between low and high, nothing else in the text.
bool ParseCount(const std::string& s, long long low, long long high, long long& value);

/// The options before the command.
struct Options {
    std::string device;
    int port = 1;
    bool extended = false;
    bool trace = false;
    std::string lang;  ///< "de", "en", or empty: the settings or the environment decide
};

/// Which flags (no value) and options (one value) a command takes after its name.
struct ArgSpec {
    std::vector<std::string> flags;
    std::vector<std::string> options;
    /// Options that may be given more than once, each with one value.
    std::vector<std::string> lists = {};
};

/// A command's arguments: positional ones, the flags given and the options with their values.
struct CommandArgs {
    std::vector<std::string> positional;
    std::set<std::string> flags;
    std::map<std::string, std::string> options;
    /// The values of the options that may be given more than once, in their order.
    std::map<std::string, std::vector<std::string>> lists;

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::vector<std::string> List(const std::string& name) const {
        auto it = lists.find(name);
        return it == lists.end() ? std::vector<std::string>{} : it->second;
    }
    std::optional<std::string> Option(const std::string& name) const {
        auto it = options.find(name);
        if (it == options.end()) return std::nullopt;
        return it->second;
    }
};

/// Parses args[from...] by what the command accepts; anything starting with "--" that it does not name is a
/// usage error.
CommandArgs ParseCommandArgs(const std::vector<std::string>& args, std::size_t from, const ArgSpec& accepted);
/// Exactly n positional arguments, else a usage error.
void ExpectPositional(const CommandArgs& c, std::size_t n);

/// Writes messages of the link (the port that is not open) to a stream.
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
    explicit StreamTrace(std::ostream& err);
    void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                 std::chrono::steady_clock::time_point when) override;

private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point start_;
};

/// One run: start-up values, the options, the port and the link set up for the command,
/// undone when it ends.
class Session {
public:
    Session(const Options& options, std::ostream& out, std::ostream& err, const CliHooks& hooks);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Opens the serial port for the encoder commands and gives the run's encoder session. A
    /// port that does not open is not an error here: the first telegram shows the port message
    /// and fails.
    EncoderSession& Encoder();
    /// The run's parameter set (the session's), for the commands that read or write files.
    EncoderParameters& Parameters() { return encoder_.parameters; }
    /// Closes the encoder's port and opens it again (a USB adapter that was unplugged and came
    /// back); false when it does not open now.
    bool ReopenEncoderPort();
    /// The device of the encoder's port (the one tried last).
    std::string EncoderDevice() const { return port_.DeviceName(); }

    /// A progress line on the error stream while an operation of many telegrams runs.
    void ShowProgress(const std::string& what, int total);
    void EndProgress();

    /// The device-error text on the error stream; exit status 1.
    int DeviceFailure();
    /// A failed send on the error stream: the device-error text with the refused parameter on a
    /// second line, or the reason the send stopped by itself; exit status 1.
    int SendFailure(const SendReport& report);
    /// The file's message on the error stream; exit status 3.
    int FileFailure(const ConfigFileResult& r, const std::string& path);

    /// Reads path into p: 0, or the file failure's exit status.
    int ReadFileInto(const std::string& path, EncoderParameters& p);
    /// Writes p to path: 0, or the file failure's exit status.
    int WriteFileFrom(const std::string& path, const EncoderParameters& p);

    const Options& options() const { return options_; }
    const CliHooks& hooks() const { return hooks_; }
    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }

private:
    const Options& options_;
    std::ostream& out_;
    std::ostream& err_;
    const CliHooks& hooks_;
    StreamSink sink_;
    StreamTrace trace_;
    CSerialPort port_;
    EncoderSession encoder_;
    bool progressShown_ = false;
};

}  // namespace veltrin::cli
