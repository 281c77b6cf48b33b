// veltrin-cli: the options before the command, the language, and the dispatch to the command.
#include "cli/Cli.h"

#include <algorithm>

#include "cli/Session.h"
#include "cli/commands/Commands.h"
#include "res/LanguageChoice.h"
#include "res/ProgramFolder.h"
#include "res/Resources.h"

namespace veltrin::cli {

namespace {

struct ParsedOptions {
    Options options;
    std::size_t next = 0;  ///< the index of the command
    std::optional<UsageError> error;
    bool help = false, version = false;
};

// The options before the command; the messages of a wrong one in the language in force.
ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ParsedOptions p;
    std::size_t i = 0;
    // The first wrong option is the one reported; the rest are still read, so that a --lang
    // behind it counts.
    auto error = [&](std::string_view key, std::string_view arg) {
        if (!p.error) p.error = UsageError{Text(key, arg)};
    };
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.empty() || a[0] != '-') break;
        auto next = [&](std::string& to) {
            if (i + 1 >= args.size()) {
                error("cli.error.missingArgument", a);
                return false;
            }
            to = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h")
            p.help = p.help || !p.error;
        else if (a == "--version")
            p.version = p.version || !p.error;
        else if (a == "--extended")
            p.options.extended = true;
        else if (a == "--trace")
            p.options.trace = true;
        else if (a == "--device") {
            // An empty device is none: without this the port's default device would be used.
            if (next(v) && v.empty()) error("cli.error.emptyDevice", "");
            p.options.device = v;
        } else if (a == "--port") {
            long long n = 0;
            if (next(v) && !ParseCount(v, 1, 255, n)) error("cli.error.badNumber", v);
            p.options.port = static_cast<int>(n);
        } else if (a == "--lang") {
            if (next(v) && v != "de" && v != "en") error("cli.error.badLanguage", v);
            p.options.lang = v;
        } else {
            error("cli.error.unknownOption", a);
        }
    }
    p.next = i;
    return p;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliHooks& hooks) {
    // The language is settled before anything is said, a wrong option's message included: --lang
    // (an unusable value counts as not given), else the settings, else the environment.
    const std::string lang = ParseOptions(args).options.lang;
    const bool wantEnglish = ChooseEnglish(lang == "de" || lang == "en" ? lang : std::string());

    // English from the program's data folder; without the file the texts stay German.
    static ResourceSet english;
    bool englishSet = false;
    if (wantEnglish && english.LoadFile(DataFolder() + "/veltrin.en.txt")) {
        UseResourceSet(&english);
        englishSet = true;
    }
    struct RestoreLanguage {
        bool active;
        ~RestoreLanguage() { if (active) UseResourceSet(nullptr); }
    } restoreLanguage{englishSet};

    // Again, now with the messages in the language in force.
    const ParsedOptions parsed = ParseOptions(args);
    const Options& options = parsed.options;
    const std::optional<UsageError>& optionError = parsed.error;
    const bool help = parsed.help, version = parsed.version;
    std::size_t i = parsed.next;

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

    const std::string name = args[i++];
    const auto commands = Commands();
    auto command = std::find_if(commands.begin(), commands.end(), [&](const Command& c) { return c.name == name; });
    try {
        if (command == commands.end()) throw UsageError{Text("cli.error.unknownCommand", name)};
        Session session(options, out, err, hooks);
        return command->run(session, ParseCommandArgs(args, i, command->args));
    } catch (const UsageError& e) {
        return usage(e.message);
    }
}

}  // namespace veltrin::cli
