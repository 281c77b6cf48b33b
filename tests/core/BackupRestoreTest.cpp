// A backup restores: random parameter sets sent to the simulated encoder (in process, not at
// line rate), read back with read-all; the backup verifies as the encoder's, and sending it
// leaves every wire value of the encoder as it was.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "ParamsSimFixture.h"
#include "RandomSet.h"
#include "VerifyRows.h"
#include "doc/Verify.h"

using namespace veltrin;
using veltrin::test::Generator;
using veltrin::test::ParamsOnSimulator;
using veltrin::test::RandomSet;
using veltrin::test::StartUp;
using veltrin::test::Strings;

namespace {

using WireValues = std::map<int, sim::Data3>;

class BackupRestore : public ParamsOnSimulator, public ::testing::WithParamInterface<unsigned> {
protected:
    void SetUp() override {
        ParamsOnSimulator::SetUp();
        // The program's own time-outs: a loaded machine must not turn a slow answer into a
        // failure (the simulator answers at once, so they cost nothing here).
        link.timing = LinkTiming{};
    }

    /// Every parameter the encoder may be written, as it holds it in RAM.
    WireValues Wire() const {
        WireValues values;
        for (int kp = 0; kp < 64; ++kp)
            if (sim::EncoderModel::IsWritableKp(kp)) values[kp] = sim.Ram(kp);
        return values;
    }

    /// The members the verify does not find "gleich" or "nicht gesendet", with their status.
    Strings NeitherEqualNorNotSent(const EncoderParameters& set) {
        VerifyResult r;
        EXPECT_TRUE(VerifyEncoder(session, set, session.statusBitOwners, r)) << link.DeviceErrorText();
        Strings found;
        for (const VerifyRow& row : r.rows)
            if (row.status != VerifyStatus::Equal && row.status != VerifyStatus::NotSent)
                found.push_back(row.member + " " + StatusName(row.status));
        return found;
    }
};

}  // namespace

TEST_P(BackupRestore, ReadAllBackupVerifiesEqualAndSendingItChangesNothing) {
    // Each exchange keeps the block procedure's pauses (about 0.1 s a read), so a round costs
    // some 10 s: two rounds a seed, with and without the extended functions.
    Generator g{std::mt19937(GetParam())};
    for (int round = 0; round < 2; ++round) {
        session.extendedMode = round;  // the debounce time travels only in the service mode
        const EncoderParameters set = RandomSet(g);
        session.statusBitOwners.fill(0);  // each set as a run of its own: no position held from before
        ASSERT_TRUE(SendAllOf(set)) << link.DeviceErrorText();
        const WireValues before = Wire();

        // The backup over the set, as read-all --base SET makes it: the member the encoder's
        // replies leave to the file (the scaling selection) comes from the set and stays unknown
        // to the verify; everything the send writes is what the encoder holds, the factor included.
        EncoderParameters backup = set;
        ASSERT_TRUE(ReadAll(session, backup)) << link.DeviceErrorText();
        EXPECT_EQ(NeitherEqualNorNotSent(backup), Strings{"scalingSelection notReadable"})
            << "round " << round;

        // Restoring it writes what is there already.
        SendReport report;
        ASSERT_TRUE(SendAllOf(backup, &report)) << link.DeviceErrorText();
        EXPECT_TRUE(report.withheld.empty());
        EXPECT_EQ(Wire(), before) << "round " << round;

        // A plain read-all (start-up values as the base) restores every wire value too.
        EncoderParameters plain = StartUp();
        ASSERT_TRUE(ReadAll(session, plain)) << link.DeviceErrorText();
        ASSERT_TRUE(SendAllOf(plain)) << link.DeviceErrorText();
        const WireValues expected = before;
        EXPECT_EQ(Wire(), expected) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, BackupRestore, ::testing::Values(1u, 2u, 3u));
