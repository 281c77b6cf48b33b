#pragma once
// veltrin-cli verify, diff and report run in process: configuration files made with the tool
// itself, its output looked at line by line.
#include "CliFixture.h"

namespace veltrin::cli::test {

class CliVerifyFixture : public CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        hooks.reportDate = "01.02.2024";
        // The program's own time-outs: a loaded machine must not make a slow answer a failure.
        hooks.timing.reset();
    }
    /// Runs the tool; its output stays in out and err. Returns the exit status.
    int Run(const std::vector<std::string>& args) {
        CliRun r = Cli(args);
        out = r.out;
        err = r.err;
        return r.status;
    }
    /// A file of start-up values with these assignments ("NAME=VALUE").
    std::string File(const char* name, const std::vector<std::string>& assignments = {}) {
        const std::string path = PathOf(name);
        EXPECT_EQ(Run({"defaults", path}), kExitOk);
        std::vector<std::string> set = {"set", path};
        set.insert(set.end(), assignments.begin(), assignments.end());
        if (!assignments.empty()) {
            EXPECT_EQ(Run(set), kExitOk) << err;
        }
        return path;
    }
    /// The output line that starts with the label.
    std::string LineOf(const std::string& label) const {
        const std::size_t at = out.find("\n" + label + " ");
        return at == std::string::npos ? std::string() : out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    }

    std::string out, err;
};

}  // namespace veltrin::cli::test
