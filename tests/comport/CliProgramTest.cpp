// veltrin-cli.exe as a program of its own: arguments beyond ASCII arrive as they were given,
// messages leave as UTF-8, and bad names end with the exit status Linux gives them and nothing
// written.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "CliFixture.h"
#include "res/ProgramFolder.h"
#include "res/Utf16_win.h"
#include "res/Utf8Path.h"

using namespace veltrin;

namespace {

struct Result {
    DWORD status = 0xFFFFFFFF;
    std::string out, err;
};

// Quotes an argument the way CommandLineToArgvW takes it apart again.
std::wstring Quoted(const std::wstring& arg) {
    std::wstring q = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        q.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        q += c;
    }
    q.append(2 * backslashes, L'\\');
    return q + L"\"";
}

std::string ReadPipe(HANDLE h) {
    std::string s;
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) s.append(buf, got);
    return s;
}

// Text mode writes line ends as CR LF; the messages are compared without the CR.
std::string Lines(std::string s) {
    std::string out;
    for (char c : s)
        if (c != '\r') out += c;
    return out;
}

Result RunCliProgram(const std::vector<std::string>& args) {
    std::wstring program;
    EXPECT_TRUE(WideFromUtf8(ProgramFolder() + "\\veltrin-cli.exe", program));
    std::wstring line = Quoted(program);
    for (const std::string& a : args) {
        std::wstring w;
        EXPECT_TRUE(WideFromUtf8(a, w));
        line += L" " + Quoted(w);
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    ::CreatePipe(&outRead, &outWrite, &inherit, 0);
    ::CreatePipe(&errRead, &errWrite, &inherit, 1 << 16);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = INVALID_HANDLE_VALUE;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    Result r;
    const BOOL started =
        ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    EXPECT_TRUE(started) << ::GetLastError();
    if (started) {
        r.out = Lines(ReadPipe(outRead));
        r.err = Lines(ReadPipe(errRead));
        ::WaitForSingleObject(pi.hProcess, 60000);
        ::GetExitCodeProcess(pi.hProcess, &r.status);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
    }
    ::CloseHandle(outRead);
    ::CloseHandle(errRead);
    return r;
}

class CliProgram : public cli::test::CliFixture {
protected:
    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
    }
};

}  // namespace

TEST_F(CliProgram, NamesBeyondAsciiArriveAsGiven) {
    const std::string file = PathOf("Ωmega.ssi");
    Result r = RunCliProgram({"defaults", file});
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_EQ(std::filesystem::file_size(PathFromUtf8(file)), 204u);
    ASSERT_EQ(RunCliProgram({"set", file, "revolutions=12"}).status, 0u);  // saved over it
    r = RunCliProgram({"show", "--json", file});
    ASSERT_EQ(r.status, 0u) << r.err;
    EXPECT_NE(r.out.find("\"revolutions\":12,"), std::string::npos) << r.out;
    EXPECT_EQ(Entries(), 1u);
    // A message that names the file carries it in UTF-8, as on Linux.
    const std::string missing = PathOf("Ωmega-fehlt.ssi");
    r = RunCliProgram({"show", missing});
    EXPECT_EQ(r.status, 3u);
    EXPECT_EQ(r.err, missing + " wurde nicht gefunden.\n");
}

TEST_F(CliProgram, BadNamesEndAsOnLinuxWithNothingWritten) {
    const std::string bad = PathOf("a?b.ssi");
    Result r = RunCliProgram({"defaults", bad});
    EXPECT_EQ(r.status, 3u);
    EXPECT_EQ(r.err, bad + " enthält einen ungültigen Pfad.\n");
    r = RunCliProgram({"--lang", "en", "defaults", PathOf("a|b.ssi")});
    EXPECT_EQ(r.status, 3u);
    EXPECT_EQ(r.err, PathOf("a|b.ssi") + " contains an invalid path.\n");
    EXPECT_EQ(Entries(), 0u);
    r = RunCliProgram({"--device", PathOf("no-port"), "ram-defaults"});
    EXPECT_EQ(r.status, 1u);
    EXPECT_EQ(r.err, "Der Anschluß COM 1 kann nicht geöffnet werden !\n" + PathOf("no-port") +
                         " gibt es nicht.\nGeber antwortet nicht !\n");
    EXPECT_EQ(Entries(), 0u);
    EXPECT_EQ(RunCliProgram({"--version"}).out, "veltrin-cli 1.04\n");
}
