// A reply carries at least the bytes that are read of it and may carry more; it is decoded from
// its first bytes. A shorter block (an empty one included) is refused with NAK like a bad block
// check, and so is a longer one that begins with STX STX where the encoder may have repeated
// its STX: a late reply, whose STX pair taken as data cancels in the block check. Scripted
// line, in process, so the exact bytes of each case are on the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ScriptedChannel.h"
#include "params/Catalogue.h"
#include "params/Encoding.h"
#include "params/Exchange.h"

namespace veltrin::test {
namespace {

/// The encoder's answers while the program sends telegram: DLE to its STX, nothing during
/// the block, then ack (DLE, maybe followed by what the encoder sends next) to its block check.
std::deque<Bytes> AnswersToRequest(const Bytes& telegram, const Bytes& ack) {
    std::deque<Bytes> answers{{DLE}};
    for (std::size_t i = 1; i < Frame(telegram).size(); ++i) answers.push_back({});
    answers.push_back(ack);
    return answers;
}

Bytes ReadRequestOf(Kp id) { return {0x80, 0, 0, KpNumber(id)}; }

template <typename... Parts>
std::deque<Bytes> Script(std::deque<Bytes> head, Parts... parts) {
    (head.push_back(parts), ...);
    return head;
}

TEST(ReplyLength, LateReplyWithRepeatedStxIsRefusedNotDecoded) {
    // The reply comes after the program's second wait for STX: the encoder takes the NAKs that
    // ended those waits as refusals of its STX and sends STX twice more. The program is inside
    // the block by then: 02 02 80 00 00 with a block check that holds (the STX pair cancels).
    ScriptedChannel channel;
    ScriptedLink link(&channel);
    channel.AnswerNextWrites(Script(AnswersToRequest(ReadRequestOf(Kp::InternalPreset), {DLE}),
                                    Bytes{},                      // after the first NAK
                                    Bytes{STX, STX, STX},         // after the second NAK
                                    Frame({0x80, 0x00, 0x00})));  // after the program's DLE
    EXPECT_FALSE(detail::ReadParameter(link, Kp::InternalPreset));
    EXPECT_EQ(link.replyBlock.count, 0);
    EXPECT_EQ(channel.written.back(), NAK);  // the block refused, not confirmed
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
}

TEST(ReplyLength, StxPairBeforeTheDataIsRefusedOnlyWhereTheEncoderMayHaveRepeatedItsStx) {
    const Bytes value = Frame({0x80, 0x00, 0x00});
    const Bytes pairAndValue = Cat({STX, STX}, value);
    struct Case {
        const char* what;
        Bytes ack;                // the encoder's DLE to the request, and what follows at once
        std::deque<Bytes> later;  // its answers to our writes after that
        bool ok;
        std::int32_t decoded;
        long naks;
    };
    const Case cases[] = {
        {"the pair in the first attempt, nothing else waiting: a reply that begins so",
         {DLE, STX},
         {pairAndValue, {}},
         true,
         0x020280,
         0},
        {"after our NAK: refused, and the reply that comes again is taken",
         {DLE},
         {{STX}, pairAndValue, {STX}, value, {}},
         true,
         -8388608,
         2},
        {"a second STX waiting as we answer the first: refused",
         {DLE, STX, STX},
         {Cat({STX}, value), {STX}, value, {}},
         true,
         -8388608,
         1},
        {"after our NAK, a longer reply that does not begin with the pair is taken",
         {DLE},
         {{STX}, Frame({0x01, 0x02, 0x03, STX, STX}), {}},
         true,
         0x010203,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        std::deque<Bytes> script = AnswersToRequest(ReadRequestOf(Kp::InternalPreset), c.ack);
        script.insert(script.end(), c.later.begin(), c.later.end());
        channel.AnswerNextWrites(script);
        ASSERT_EQ(detail::ReadParameter(link, Kp::InternalPreset), c.ok);
        EXPECT_EQ(DecodeSigned24(link.replyBlock), c.decoded);
        const auto afterRequest =
            channel.written.begin() + 1 + static_cast<long>(Frame(ReadRequestOf(Kp::InternalPreset)).size());
        EXPECT_EQ(std::count(afterRequest, channel.written.end(), NAK), c.naks);
        EXPECT_EQ(channel.written.back(), DLE);
    }
}

TEST(ReplyLength, EveryParameterTakesAReplyOfAtLeastTheBytesItReads) {
    for (const KpEntry& e : kKpCatalogue) {
        if (!IsReadable(e)) continue;
        const int length = e.replyLength;
        std::vector<int> lengths = {length - 1, length, 254};
        if (e.id == Kp::ActualValue || e.id == Kp::DebounceTime) lengths.insert(lengths.end(), {0, length + 1, 3});
        for (int sent : lengths) {
            if (sent < 0) continue;
            SCOPED_TRACE(std::string(e.name) + ", reply of " + std::to_string(sent));
            ScriptedChannel channel;
            ScriptedLink link(&channel);
            // The same reply in all three attempts, each announced with STX after our NAK.
            const Bytes reply = Frame(Bytes(static_cast<std::size_t>(sent), 0x31));
            channel.AnswerNextWrites(Script(AnswersToRequest(ReadRequestOf(e.id), {DLE, STX}), reply,
                                            Bytes{STX}, reply, Bytes{STX}, reply));
            const bool ok = detail::ReadParameter(link, e.id);
            EXPECT_EQ(ok, sent >= length);
            EXPECT_EQ(link.replyBlock.count, ok ? sent : 0);
            const std::size_t request = 1 + Frame(ReadRequestOf(e.id)).size();
            ASSERT_GT(channel.written.size(), request);
            const auto answers = channel.written.begin() + static_cast<long>(request);
            EXPECT_EQ(std::count(answers, channel.written.end(), NAK), ok ? 0 : 3);
        }
    }
}

TEST(ReplyLength, ErrorNumberFromAnyReplyThatCarriesIt) {
    const Bytes write = {23, 0, 0, 7};
    const Bytes errorRequest = {0x81, 0, 0, 0};
    for (const Bytes& errorReply :
         {Bytes{}, Bytes{2}, Bytes{2, 0}, Bytes{2, 0, 0}, Bytes{2, 0, 0, 0}, Bytes(200, 2)}) {
        SCOPED_TRACE(errorReply.size());
        ScriptedChannel channel;
        ScriptedLink link(&channel);
        std::deque<Bytes> answers;
        for (int attempt = 0; attempt < 3; ++attempt)
            for (const Bytes& a : AnswersToRequest(write, {NAK})) answers.push_back(a);
        const Bytes reply = Frame(errorReply);
        for (const Bytes& a :
             Script(AnswersToRequest(errorRequest, {DLE, STX}), reply, Bytes{STX}, reply, Bytes{STX}, reply))
            answers.push_back(a);
        channel.AnswerNextWrites(answers);
        EXPECT_FALSE(link.SendTelegramReportingError(kChannel, write.data(), 4));
        EXPECT_TRUE(link.deviceError.nakReceived);
        const bool carried = errorReply.size() >= kErrorReplyLength;
        EXPECT_EQ(link.deviceError.errorNumber, carried ? 2 : 0);
        EXPECT_EQ(link.DeviceErrorText(),
                  carried ? "Geber meldet KP-Nummer nur lesbar !" : "Geber meldet Datenfehler !");
    }
}

}  // namespace
}  // namespace veltrin::test
