// The Win32 serial port under Wine against the Linux simulator (scripts/test-windows.sh starts
// veltrin-sim and maps COM ports to its pseudo-terminals): the same assertions as the link and
// command-line tests on Linux, through CreateFile, SetCommState and ReadFile/WriteFile.
//
// The ports come from the environment:
//   VELTRIN_COM_ENCODER   an encoder at the line's speed (veltrin-sim --speed 0 --line-rate)
//   VELTRIN_COM_HIGH      an encoder on a port above COM9, as fast as the line allows (--speed 0)
//   VELTRIN_COM_SILENT    an encoder that answers nothing (--silent)
//   VELTRIN_COM_REFUSING  an encoder that refuses every telegram with error 2 (--nak-always 2)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "CliFixture.h"
#include "link/Link.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"
#include "params/Scan.h"
#include "res/ProgramFolder.h"
#include "res/Utf8Path.h"

using namespace veltrin;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

// Windows refuses a second open of a COM port in the driver; Wine does not (the handle's
// sharing is not checked for devices), so that case is asserted on Windows only.
bool SystemRefusesSecondOpen() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
}

std::string Port(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? value : "";
}

#define REQUIRE_PORT(name, variable)         \
    const std::string name = Port(variable); \
    ASSERT_FALSE(name.empty()) << variable << " is not set (scripts/test-windows.sh sets it)"

class RecordingTrace : public WireTrace {
public:
    void OnBytes(WireDirection direction, const std::uint8_t* bytes, std::size_t count,
                 Clock::time_point) override {
        Bytes& to = direction == WireDirection::Sent ? sent : received;
        to.insert(to.end(), bytes, bytes + count);
    }
    Bytes sent, received;
};

using cli::test::CliRun;

class ComPort : public cli::test::CliFixture {
protected:
    void SetUp() override {
        CliFixture::SetUp();
        // Shorter than at start-up, with room for Wine's slower way to the line.
        hooks.timing->handshakeTimeoutMs = {200, 200, 0};
        hooks.timing->charTimeoutMs = {100, 100, 0};
    }

    /// Opens port on device and puts the trace and a link of the test's own on it.
    ::testing::AssertionResult Open(CSerialPort& port, const std::string& device) {
        port.SetDeviceOverride(device);
        if (!port.Open()) return ::testing::AssertionFailure() << device << " does not open";
        port.SetTrace(&trace);
        link.SetPort(&port);
        return ::testing::AssertionSuccess();
    }

    RecordingTrace trace;
    Link link;
};

}  // namespace

TEST_F(ComPort, OpensExclusivelyAlsoAboveCom9) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_ENCODER");
    REQUIRE_PORT(high, "VELTRIN_COM_HIGH");
    CSerialPort first, second;
    first.SetDeviceOverride(encoder);
    second.SetDeviceOverride(encoder);
    ASSERT_TRUE(first.Open()) << encoder;
    EXPECT_EQ(first.DeviceName(), encoder);
    if (SystemRefusesSecondOpen()) {
        EXPECT_FALSE(second.Open());  // another program holds it
        EXPECT_FALSE(second.IsOpen());
    }
    first.Close();
    ASSERT_TRUE(second.Open());
    second.Close();
    // COM10 and above open only as \\.\COMn; a bare name is given that form.
    CSerialPort port;
    port.BindPort(1, high);
    EXPECT_EQ(port.Reopen(1), 0) << high;
    port.BindPort(2, "\\\\.\\" + encoder);
    EXPECT_EQ(port.Reopen(2), 0);
}

TEST_F(ComPort, RequestBlockAndReplyOnTheWire) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_ENCODER");
    CSerialPort port;
    ASSERT_TRUE(Open(port, encoder));
    const std::uint8_t request[4] = {0x80, 0, 0, 31};  // the firmware version
    ASSERT_TRUE(link.SendTelegramReportingError(kChannel, request, 4));
    ASSERT_TRUE(link.ReceiveReply(kChannel, link.replyBlock, 4));
    EXPECT_EQ(std::string(link.replyBlock.data.begin(), link.replyBlock.data.begin() + link.replyBlock.count),
              "0104");
    // STX, the block, DLE ETX and the block check; then our DLE for the reply's STX and the
    // confirmation.
    EXPECT_EQ(trace.sent, (Bytes{STX, 0x80, 0, 0, 31, DLE, ETX, 0x80 ^ 31 ^ 0x13, DLE, DLE}));
    const std::uint8_t bcc = '0' ^ '1' ^ '0' ^ '4' ^ 0x13;
    EXPECT_EQ(trace.received, (Bytes{DLE, DLE, STX, '0', '1', '0', '4', DLE, ETX, bcc}));
}

TEST_F(ComPort, QueryReadAllSendAllAndActualValues) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_HIGH");
    CliRun presets = Cli({"--device", encoder, "query", "presets", "--json"});
    ASSERT_EQ(presets.status, cli::kExitOk) << presets.err;
    EXPECT_NE(presets.out.find("\"firmwareVersion\":\"0104\"}"), std::string::npos) << presets.out;

    const std::string file = PathOf("encoder.ssi"), again = PathOf("again.ssi");
    CliRun r = Cli({"--device", encoder, "read-all", file});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(std::filesystem::file_size(PathFromUtf8(file)), 204u);
    ASSERT_EQ(Cli({"set", file, "internalPreset=-7", "limit3Value=$123456"}).status, cli::kExitOk);
    r = Cli({"--device", encoder, "send-all", file});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_NE(Cli({"--device", encoder, "query", "presets", "--json"}).out.find("{\"internalPreset\":-7,"),
              std::string::npos);
    r = Cli({"--device", encoder, "read-all", again});
    ASSERT_EQ(r.status, cli::kExitOk) << r.err;
    EncoderParameters p{};
    ASSERT_TRUE(ReadConfigurationFile(again, p).ok());
    EXPECT_EQ(p.internalPreset, -7);
    EXPECT_EQ(p.limit3Value, 0x123456);

    CliRun actual = Cli({"--device", encoder, "actual", "--count", "3", "--json"});
    ASSERT_EQ(actual.status, cli::kExitOk) << actual.err;
    EXPECT_EQ(std::count(actual.out.begin(), actual.out.end(), '\n'), 3);
    EXPECT_EQ(actual.out.rfind("{\"statusBits\":\"", 0), 0u) << actual.out;
    EXPECT_NE(actual.out.find(",\"value\":"), std::string::npos);
}

// The one case with the start-up time-outs: three connection attempts of 5 + 550 ms each.
TEST_F(ComPort, SilentEncoderTimesOutAfterThreeAttempts) {
    REQUIRE_PORT(silent, "VELTRIN_COM_SILENT");
    CSerialPort port;
    ASSERT_TRUE(Open(port, silent));  // the link keeps the start-up time-outs
    const std::uint8_t t[4] = {0x80, 0, 0, 1};
    const auto start = Clock::now();
    EXPECT_FALSE(link.SendTelegramReportingError(kChannel, t, 4));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(elapsed, 3 * (5 + 550));
    EXPECT_EQ(trace.sent, (Bytes{STX, STX, STX}));  // three attempts, no error request
    EXPECT_FALSE(link.deviceError.nakReceived);
    EXPECT_EQ(link.DeviceErrorText(), "Geber antwortet nicht !");
    port.Close();

    const std::string file = PathOf("never.ssi");
    CliRun r = Cli({"--device", silent, "--lang", "en", "read-all", file});
    EXPECT_EQ(r.status, cli::kExitDevice);
    EXPECT_EQ(r.err, "Encoder does not answer!\n");
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(file)));  // nothing written when read-all fails
}

TEST_F(ComPort, RefusedTelegramFetchesAndNamesTheReason) {
    REQUIRE_PORT(refusing, "VELTRIN_COM_REFUSING");
    CSerialPort port;
    ASSERT_TRUE(Open(port, refusing));
    link.timing = *hooks.timing;
    const std::uint8_t t[4] = {1, 0, 0, 7};
    EXPECT_FALSE(link.SendTelegramReportingError(kChannel, t, 4));
    EXPECT_TRUE(link.deviceError.nakReceived);
    EXPECT_EQ(link.deviceError.errorNumber, 2);
    EXPECT_EQ(link.DeviceErrorText(), "Geber meldet KP-Nummer nur lesbar !");
    port.Close();
    CliRun r = Cli({"--device", refusing, "eeprom-store"});
    EXPECT_EQ(r.status, cli::kExitDevice);
    EXPECT_EQ(r.err, "Geber meldet KP-Nummer nur lesbar !\n");
}

// The port message names the port number; its second line the device and why it did not open.
TEST_F(ComPort, PortThatDoesNotOpenIsNamedAndNothingIsWritten) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_ENCODER");
    auto message = [](const std::string& reason) {
        return "Der Anschluß COM 2 kann nicht geöffnet werden !\n" + reason + "\nGeber antwortet nicht !\n";
    };
    CliRun r;
    if (SystemRefusesSecondOpen()) {
        CSerialPort holder;  // another program holds the port
        holder.SetDeviceOverride(encoder);
        ASSERT_TRUE(holder.Open());
        r = Cli({"--device", encoder, "--port", "2", "query", "firmware"});
        EXPECT_EQ(r.status, cli::kExitDevice);
        EXPECT_EQ(r.err, message(encoder + " wird bereits benutzt."));
    }
    // Names that are no COM port: a file (left as it was), a device of another kind, nothing.
    const std::string file = PathOf("not-a-port.txt");
    std::ofstream(PathFromUtf8(file), std::ios::binary) << "keep";
    const std::pair<std::string, std::string> cases[] = {
        {file, file + " ist keine serielle Schnittstelle."},
        {"NUL", "NUL ist keine serielle Schnittstelle."},
        {"COM249", "COM249 gibt es nicht."},
    };
    for (const auto& [device, reason] : cases) {
        r = Cli({"--device", device, "--port", "2", "eeprom-store"});
        EXPECT_EQ(r.status, cli::kExitDevice) << device;
        EXPECT_EQ(r.err, message(reason)) << device;
    }
    std::ifstream in(PathFromUtf8(file), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

TEST_F(ComPort, TheRegistryNamesTheMappedPorts) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_ENCODER");
    const std::vector<std::string> devices = SerialDevices();
    EXPECT_NE(std::find(devices.begin(), devices.end(), encoder), devices.end()) << devices.size();
}

// The scan on the Win32 port: four COM ports, one that does not exist and a file, each reported
// as it is; the file is left as it was and every port is given back.
TEST_F(ComPort, ScanReportsEachPortAsItIs) {
    REQUIRE_PORT(encoder, "VELTRIN_COM_ENCODER");
    REQUIRE_PORT(high, "VELTRIN_COM_HIGH");
    REQUIRE_PORT(silent, "VELTRIN_COM_SILENT");
    REQUIRE_PORT(refusing, "VELTRIN_COM_REFUSING");
    const std::string file = PathOf("not-a-port.txt");
    std::ofstream(PathFromUtf8(file), std::ios::binary) << "keep";
    const CliRun r = Cli({"--lang", "en", "scan", "--json", encoder, high, silent, refusing, "COM249", file});
    EXPECT_EQ(r.status, cli::kExitOk) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out;
    EXPECT_EQ(j["found"], 2);
    // device, state, firmware
    const std::tuple<std::string, std::string, nlohmann::json> expected[] = {
        {encoder, "found", "01.04"}, {high, "found", "01.04"},       {silent, "none", nullptr},
        {refusing, "none", nullptr}, {"COM249", "missing", nullptr}, {file, "notSerial", nullptr},
    };
    ASSERT_EQ(j["devices"].size(), std::size(expected)) << r.out;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& [device, state, firmware] = expected[i];
        const nlohmann::json& seen = j["devices"][i];
        EXPECT_EQ(seen["device"], device) << seen;
        EXPECT_EQ(seen["state"], state) << seen;
        EXPECT_EQ(seen["firmware"], firmware) << seen;
    }
    EXPECT_EQ(j["devices"][5]["reason"], file + " is not a serial device.");
    std::ifstream in(PathFromUtf8(file), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
    // The probes have given the line back whole: the encoder answers the next read at once.
    CSerialPort port;
    ASSERT_TRUE(Open(port, encoder));
    std::array<char, 4> firmware{};
    EXPECT_TRUE(ProbeFirmware(link, firmware));
    EXPECT_EQ(std::string(firmware.data(), firmware.size()), "0104");
}
