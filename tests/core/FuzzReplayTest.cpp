// Replays the committed fuzz corpus through the fuzz targets (a broken property traps).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

std::size_t Replay(const char* corpus, int (*target)(const std::uint8_t*, std::size_t)) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(VELTRIN_SOURCE_DIR) / "fuzz/corpus" / corpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(target(bytes.data(), bytes.size()), 0);
        // Every prefix too: files that end anywhere.
        for (std::size_t n = 0; n < bytes.size(); ++n) target(bytes.data(), n);
        ++count;
    }
    return count;
}

TEST(FuzzCorpus, ConfigurationFiles) { EXPECT_GE(Replay("config", veltrin::fuzz::FuzzReadConfiguration), 10u); }

TEST(FuzzCorpus, InputRules) { EXPECT_GE(Replay("input-rules", veltrin::fuzz::FuzzInputRules), 10u); }

TEST(FuzzCorpus, ReplyReceiver) {
    EXPECT_GE(Replay("reply-receiver", veltrin::fuzz::FuzzReplyReceiver), 15u);
}

}  // namespace
