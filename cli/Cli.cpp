// veltrin-cli: the options before the command, the language, and the dispatch to the command.
#include "cli/Cli.h"

#include <algorithm>

#include "cli/Session.h"
#include "cli/commands/Commands.h"
#include "res/ProgramFolder.h"
#include "res/Resources.h"

namespace veltrin::cli {

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
            // An empty device is none: without this the port's default device would be used.
            if (next(v) && v.empty()) optionError = UsageError{Text("cli.error.emptyDevice")};
            options.device = v;
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
    if (!optionError && options.lang == "en" && english.LoadFile(ProgramFolder() + "/veltrin.en.txt")) {
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
