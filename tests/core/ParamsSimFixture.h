#pragma once
// A link to the simulated encoder over a real pseudo-terminal, for the tests of the encoder
// operations. The time-outs are shortened (the simulator answers within a few milliseconds).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "link/SerialPort.h"
#include "params/Catalogue.h"
#include "params/Encoding.h"
#include "params/Operations.h"
#include "sim/EncoderSimulator.h"
#include "tests/TestLinkTiming.h"

namespace veltrin::test {

class ParamsOnSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start());
        port.SetDeviceOverride(sim.DevicePath());
        ASSERT_TRUE(port.Open());
        link.SetPort(&port);
        InitEncoderParameters(session);
        UseTestTimeouts(link.timing);
        session.extendedMode = 0;
    }
    void TearDown() override {
        // Whatever a test did, the program kept to the block procedure.
        EXPECT_EQ(sim.Counters().procedureErrors, 0);
        port.Close();
        sim.Stop();
        session.extendedMode = 0;
        session.statusBitOwners.fill(0);
    }

    /// SendAll of set in the session, whose own set is as it was afterwards.
    bool SendAllOf(const EncoderParameters& set, SendReport* report = nullptr) {
        const EncoderParameters kept = p;
        p = set;
        const bool ok = SendAll(session, report);
        p = kept;
        return ok;
    }

    /// The telegrams the encoder received since the last call, error-status requests left out.
    std::vector<Telegram> Take() {
        std::vector<Telegram> all = sim.Telegrams();
        sim.ClearTelegrams();
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [](const Telegram& t) { return t[0] == kErrorRequestCode; }),
                  all.end());
        return all;
    }
    /// The KP numbers of the read requests among them, in order.
    static std::vector<int> ReadKps(const std::vector<Telegram>& telegrams) {
        std::vector<int> kps;
        for (const Telegram& t : telegrams)
            if (t[0] == kReadRequestCode) kps.push_back(t[3]);
        return kps;
    }
    /// The codes (KP numbers of writes and commands), in order.
    static std::vector<int> Codes(const std::vector<Telegram>& telegrams) {
        std::vector<int> codes;
        for (const Telegram& t : telegrams) codes.push_back(t[0]);
        return codes;
    }
    /// The write telegram for kp among them (the last one).
    static Telegram Written(const std::vector<Telegram>& telegrams, int kp) {
        Telegram found{};
        for (const Telegram& t : telegrams)
            if (t[0] == kp) found = t;
        return found;
    }

    sim::EncoderSimulator sim;
    CSerialPort port;
    /// The encoder session under test; link and p are its link and parameter set.
    EncoderSession session;
    Link& link = session.link;
    EncoderParameters& p = session.parameters;
};

}  // namespace veltrin::test
