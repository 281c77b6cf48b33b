// A reply is taken only with the length of the reply to the request that was sent: an encoder
// that repeats its STX (and has it taken as data), an empty block or a block of another
// parameter is refused with NAK like a bad block check, and never decoded. Scripted line, in
// process, so the exact bytes of each case are on the line.
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

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReplyLength, LateReplyWithRepeatedStxIsRefusedNotDecoded) {
    // The reply comes after the program's second wait for STX: the encoder takes the NAKs that
    // ended those waits as refusals of its STX and sends STX twice more. The program is inside
    // the block by then: 02 02 80 00 00 with a block check that holds (the STX pair cancels).
    ScriptedChannel channel;
    Link link(&channel);
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

TEST(ReplyLength, RefusedReplyComesAgainWithinTheAttempts) {
    ScriptedChannel channel;
    Link link(&channel);
    // The doubled STX in the first attempt; the encoder answers the NAK with its reply again.
    channel.AnswerNextWrites(Script(AnswersToRequest(ReadRequestOf(Kp::InternalPreset), {DLE, STX}),
                                    Cat({STX, STX}, Frame({0x80, 0x00, 0x00})),  // after our DLE
                                    Cat({STX}, Frame({0x80, 0x00, 0x00})),       // after our NAK
                                    Bytes{}));
    ASSERT_TRUE(detail::ReadParameter(link, Kp::InternalPreset));
    EXPECT_EQ(DecodeSigned24(link.replyBlock), -8388608);
    EXPECT_EQ(link.replyBlock.count, 3);
    EXPECT_EQ(std::count(channel.written.begin(), channel.written.end(), NAK), 1);
    EXPECT_EQ(channel.written.back(), DLE);
}

TEST(ReplyLength, EveryParameterTakesItsOwnLengthOnly) {
    for (const KpEntry& e : kKpCatalogue) {
        if (!IsReadable(e)) continue;
        const int length = e.replyLength;
        std::vector<int> lengths = {length, length + 1};
        if (e.id == Kp::ActualValue || e.id == Kp::InternalPreset)
            lengths.insert(lengths.end(), {0, 1, length - 1, 254});
        for (int sent : lengths) {
            SCOPED_TRACE(std::string(e.name) + ", reply of " + std::to_string(sent));
            ScriptedChannel channel;
            Link link(&channel);
            // The same reply in all three attempts, each announced with STX after our NAK.
            const Bytes reply = Frame(Bytes(static_cast<std::size_t>(sent), 0x31));
            channel.AnswerNextWrites(Script(AnswersToRequest(ReadRequestOf(e.id), {DLE, STX}), reply,
                                            Bytes{STX}, reply, Bytes{STX}, reply));
            const bool ok = detail::ReadParameter(link, e.id);
            EXPECT_EQ(ok, sent == length);
            EXPECT_EQ(link.replyBlock.count, ok ? length : 0);
            const auto answers =
                channel.written.begin() + 1 + static_cast<long>(Frame(ReadRequestOf(e.id)).size());
            EXPECT_EQ(std::count(answers, channel.written.end(), NAK), ok ? 0 : 3);
        }
    }
}

TEST(ReplyLength, ErrorNumberOnlyFromAReplyOfThreeBytes) {
    const Bytes write = {23, 0, 0, 7};
    const Bytes errorRequest = {0x81, 0, 0, 0};
    for (const Bytes& errorReply : {Bytes{2}, Bytes{2, 0}, Bytes{2, 0, 0}, Bytes{2, 0, 0, 0}}) {
        SCOPED_TRACE(errorReply.size());
        ScriptedChannel channel;
        Link link(&channel);
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
        const bool three = errorReply.size() == kErrorReplyLength;
        EXPECT_EQ(link.deviceError.errorNumber, three ? 2 : 0);
        EXPECT_EQ(link.DeviceErrorText(),
                  three ? "Geber meldet KP-Nummer nur lesbar !" : "Geber meldet Datenfehler !");
    }
}

}  // namespace
}  // namespace veltrin::test
