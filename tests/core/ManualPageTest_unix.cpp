// The manual pages against the programs: each renders without a groff warning, and every
// command and option that veltrin-cli, veltrin-sim and veltrin accept stands in its page, a
// command with the line of its usage as the tag of its paragraph.
#include <cstdio>
#include <regex>
#include <set>

#include "CliFixture.h"
#include "cli/commands/Commands.h"

namespace veltrin::cli::test {
namespace {

const std::string kManDir = std::string(VELTRIN_SOURCE_DIR) + "/packaging/man/";

/// Standard output and error of a shell command, and its exit status.
std::pair<std::string, int> Shell(const std::string& command) {
    std::string text;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {"", -1};
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    return {text, pclose(pipe)};
}

bool HaveGroff() { return Shell("command -v groff").second == 0; }

/// The page as man shows it, as plain text.
std::string Rendered(const std::string& page) {
    return Shell("groff -man -Tutf8 -P-cbou " + kManDir + page).first;
}

/// Runs of blanks as one, letters in lower case: a usage line and the page's tag compare alike.
std::string Folded(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

/// The lines of the page's paragraph tags (indented by seven blanks), folded.
std::set<std::string> Tags(const std::string& rendered) {
    // A tag too long for the line goes on in the next one, at the same indent.
    std::set<std::string> tags;
    std::istringstream lines(rendered);
    std::string tag;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("       ", 0) == 0 && line.size() > 7 && line[7] != ' ') {
            tag += (tag.empty() ? "" : " ") + line;
            tags.insert(Folded(tag));
        } else {
            tag.clear();
        }
    }
    return tags;
}

/// Every option a usage text names ("-h", "--device", ...).
std::set<std::string> OptionsIn(const std::string& usage) {
    std::set<std::string> options;
    static const std::regex option(R"((^|[\s,\[|])(--?[a-z][a-z0-9-]*))");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator();
         ++it)
        options.insert((*it)[2]);
    return options;
}

bool Names(const std::string& rendered, const std::string& word) {
    return std::regex_search(rendered, std::regex("(^|[^a-z-])" + word + "([^a-z-]|$)"));
}

TEST(ManualPage, RendersWithoutWarnings) {
    if (!HaveGroff()) GTEST_SKIP() << "groff is missing (scripts/deps.sh installs groff-base)";
    for (const char* page : {"veltrin.1", "veltrin-cli.1", "veltrin-sim.1"}) {
        const auto [warnings, status] = Shell("groff -man -Tutf8 -ww -z " + kManDir + page);
        EXPECT_EQ(status, 0) << page;
        EXPECT_EQ(warnings, "") << page;
    }
}

class ManualPageCli : public CliFixture {};

TEST_F(ManualPageCli, EveryCommandHasItsUsageLineAndEveryOptionIsNamed) {
    if (!HaveGroff()) GTEST_SKIP() << "groff is missing (scripts/deps.sh installs groff-base)";
    const std::string page = Rendered("veltrin-cli.1");
    const std::set<std::string> tags = Tags(page);
    const CliRun help = Cli({"--lang", "en", "--help"});
    ASSERT_EQ(help.status, 0);
    ASSERT_NE(help.out.find("Commands:"), std::string::npos) << help.out;

    // Each command line of the usage ("  read-all [--base FILE2] FILE    read all ...") is a tag.
    std::set<std::string> described;
    std::istringstream lines(help.out.substr(help.out.find("Commands:")));
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < 3 || line[0] != ' ' || line[2] == ' ') continue;
        const std::size_t gap = line.find("  ", 2);
        const std::string synopsis =
            Folded(line.substr(2, gap == std::string::npos ? std::string::npos : gap - 2));
        EXPECT_TRUE(tags.count(synopsis)) << "no tag \"" << synopsis << "\" in veltrin-cli(1)";
        described.insert(synopsis.substr(0, synopsis.find_first_of(" ,")));
    }
    for (const Command& command : Commands()) {
        const std::string name(command.name);
        EXPECT_TRUE(Names(page, name)) << name << " is missing from veltrin-cli(1)";
        EXPECT_TRUE(described.count(name) || help.out.find(", " + name) != std::string::npos)
            << name << " is missing from the usage";
        for (const auto* list : {&command.args.flags, &command.args.options, &command.args.lists})
            for (const std::string& option : *list)
                EXPECT_TRUE(help.out.find(option) != std::string::npos && Names(page, option))
                    << name << " " << option << " is missing from the usage or veltrin-cli(1)";
    }
    const std::string options = help.out.substr(0, help.out.find("Commands:"));
    for (const std::string& option : OptionsIn(options)) EXPECT_TRUE(Names(page, option)) << option;
    EXPECT_TRUE(Names(page, "-h"));
}

/// The usage a program prints with --help, or an empty text when it was not built.
std::string ProgramHelp(const char* program) {
    const std::string path = std::string(VELTRIN_BUILD_DIR) + "/" + program;
    if (Shell("test -x " + path).second != 0) return {};
    return Shell("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen " + path + " --help").first;
}

TEST(ManualPage, EverySimulatorAndProgramOptionIsNamed) {
    if (!HaveGroff()) GTEST_SKIP() << "groff is missing (scripts/deps.sh installs groff-base)";
    int checked = 0;
    for (const auto& [program, page] :
         {std::pair{"veltrin-sim", "veltrin-sim.1"}, {"veltrin", "veltrin.1"}}) {
        const std::string help = ProgramHelp(program);
        if (help.empty()) continue;  // the program is not part of this build
        const std::string rendered = Rendered(page);
        const std::set<std::string> options = OptionsIn(help);
        EXPECT_GE(options.size(), 3u) << program << ": " << help;
        for (const std::string& option : options)
            EXPECT_TRUE(Names(rendered, option)) << option << " is missing from " << page;
        ++checked;
    }
    EXPECT_GE(checked, 1) << "veltrin-sim was not built";
}

}  // namespace
}  // namespace veltrin::cli::test
