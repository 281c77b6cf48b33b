#pragma once
// EncoderSimulator: the encoder at the far end of a pseudo-terminal. Start() makes the
// pseudo-terminal and serves the encoder's side of the block procedure on its master in a
// thread of its own; the program opens DevicePath() like any serial device
// (CSerialPort::SetDeviceOverride). Tests set the model and inject faults from their own
// thread: every public call is thread-safe.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/EncoderModel.h"

namespace veltrin::sim {

struct SimulatorOptions {
    /// Pace every byte sent at 2400 baud 8N1 (10 bits, about 4.167 ms) and take in received
    /// bytes no faster than that. Off: bytes go as fast as the pseudo-terminal takes them.
    bool lineRate = false;
    /// Extra wait before the encoder starts a reply block (after the request was confirmed).
    int replyDelayMs = 0;
    /// The encoder's own time-outs: for the partner's DLE after its STX, between the
    /// characters of a block, and the attempts of a reply.
    int handshakeTimeoutMs = 550;
    int charTimeoutMs = 200;
    int retryCount = 3;
    /// Every read reply and the error-status reply carry at least this many data bytes, the
    /// model's reply padded with zero bytes (0: as the model answers, three or four).
    int replyLength = 0;
    /// And then 0 to this many random bytes more (seeded by replyExtraSeed).
    int replyExtraMax = 0;
    unsigned replyExtraSeed = 1;
    /// The shaft's speed at start, in steps per second.
    double stepsPerSecond = 40.0;
    std::string firmware = kDefaultFirmware;
};

/// How often something happened on the line, since Start or ResetCounters.
struct SimulatorCounters {
    int connectionAttempts = 0;   ///< STX received from the program while idle
    int blocksReceived = 0;       ///< blocks with a good block check
    int badBlocks = 0;            ///< blocks that failed (gap, DLE + other byte, block check, too long)
    int naksSent = 0;
    int naksReceived = 0;         ///< NAK from the program for one of our reply blocks or STX
    int repliesSent = 0;          ///< reply blocks sent (every attempt)
    int repliesConfirmed = 0;     ///< reply blocks the program confirmed with DLE
    /// Steps of the program that broke the procedure: a byte before its pause had passed (the
    /// first data byte within 10 ms of our DLE, an answer within 5 ms of our last byte, a new
    /// STX within 5 ms of the end of an exchange or 40 ms of a confirmed reply), a reply with a
    /// wrong block check confirmed with DLE, or a whole reply answered with neither DLE nor NAK.
    /// Only steps that can be nothing but the program's answer to ours are held to a pause, so
    /// that a busy machine (ours late, the program's time-out ending meanwhile) never counts
    /// here; see kProgramAnswerPause in EncoderSimulator.cpp.
    int procedureErrors = 0;
    int swaps = 0;  ///< encoders taken off the line (Swap, SwapAfterStore)
};

/// Where a scheduled hang-up happens.
enum class HangUpPoint {
    None,
    AfterRequestBlock,   ///< the next block is received, then the line goes dead instead of DLE
    InReply,             ///< the next reply block stops after its first data byte
};

/// A count meaning "every time from now on".
inline constexpr int kAlways = -1;

class EncoderSimulator {
public:
    explicit EncoderSimulator(SimulatorOptions options = {});
    ~EncoderSimulator();
    EncoderSimulator(const EncoderSimulator&) = delete;
    EncoderSimulator& operator=(const EncoderSimulator&) = delete;

    /// Opens the pseudo-terminal (both sides raw) and starts serving. False when that failed.
    /// The slave is held open without locking it, so the program's exclusive open succeeds.
    bool Start();
    /// Stops the serving thread and closes the pseudo-terminal. Idempotent.
    void Stop();
    bool Running() const { return running_.load(); }
    /// The slave's device path, empty before Start.
    const std::string& DevicePath() const { return devicePath_; }

    // Model (see EncoderModel.h).
    Data3 Ram(int kp) const;
    void SetRam(int kp, const Data3& bytes);
    Data3 Eeprom(int kp) const;
    void SetEeprom(int kp, const Data3& bytes);
    /// What a read of kp would answer now, or nothing when the encoder would refuse it.
    std::optional<std::vector<std::uint8_t>> ReplyFor(int kp) const;
    void SetFirmware(const std::string& fourChars);
    void SetConfigRegisters(int kp, const std::array<std::uint8_t, 4>& registers);
    /// Fixes the position and, when given, the status byte; the shaft goes on at its speed.
    void SetActualValue(std::int32_t position, std::optional<std::uint8_t> status = std::nullopt);
    void SetSpeed(double stepsPerSecond);
    void SetReplyBytes(int kp, std::vector<std::uint8_t> bytes);   ///< empty: back to the model
    /// Longer replies than the model's, as replyLength and replyExtraMax of the options.
    void SetReplyPadding(int length, int extraMax);
    void ClearReplyOverrides();
    /// Back to the encoder's defaults in RAM and EEPROM, no overrides, no faults, error 0.
    void ResetModel();
    /// The error number the next error-status request answers.
    void SetErrorNumber(std::uint8_t error);

    // Faults. Counts are "the next n times"; kAlways for every time; 0 switches off.
    /// No answer at all to anything (STX, blocks, NAK).
    void SetSilent(bool silent);
    /// Answer the next n telegram blocks (not error-status requests) with NAK, setting the
    /// error number to error for the error-status request.
    void NakTelegrams(int count, std::uint8_t error);
    /// Answer the program's STX with NAK the next n times (error-status requests too).
    void NakConnections(int count);
    /// Refuse the error-status request itself (with NAK) the next n times.
    void FailErrorRequests(int count);
    /// A wrong block check in the next n reply blocks.
    void CorruptReplies(int count);
    /// A pause of gapMs after the first data byte of the next reply block.
    void GapInNextReply(int gapMs);
    /// Answer the next n STX with STX and then DLE (both wanted to send at once).
    void StxCollisions(int count);
    /// Wait delayMs before every reply block (0: no extra delay).
    void SetReplyDelay(int delayMs);
    /// The encoder is taken off the line now and another one is put on after absentMs: no
    /// answer meanwhile (as SetSilent), then a fresh encoder answers, with the defaults in RAM
    /// and EEPROM and the firmware of the options. Faults set for the line stay as they are.
    void Swap(int absentMs);
    /// Swap(absentMs) after every EEPROM store command the encoder confirms (a production line:
    /// the encoder is done and the next one comes); 0 switches it off.
    void SwapAfterStore(int absentMs);
    /// Lose the DLE that acknowledges the next n good telegram blocks: the telegram takes
    /// effect and a read is answered as usual, but the program never sees the acknowledgement.
    void DropAcknowledgements(int count);
    /// A busy encoder: every byte it sends on its own turn (DLE, NAK, the reply's STX and
    /// block) goes out delayMs later than usual, as on a machine too loaded to keep up.
    void SetAnswerDelay(int delayMs);
    /// Answer n more telegrams, then nothing at all (as SetSilent(true)); 0 switches it off.
    void SilenceAfterTelegrams(int count);
    /// An encoder that answers every NAK it reads while announcing a reply with its next STX at
    /// once, without looking at what else has come in (a NAK the program sent when its wait
    /// for our STX ended, before our late STX reached it, makes two STX in a row).
    void RepeatStxOnNak(bool on);
    /// Close the master now (the line goes dead; the simulator stops serving).
    void HangUp();
    /// Close the master at the given point of the next exchange.
    void HangUpAt(HangUpPoint point);
    /// Take n more telegrams (answered, or not, as the other faults say), then close the
    /// master once the exchange of the last one is over, as an adapter pulled from the port;
    /// 0 switches it off.
    void HangUpAfterTelegrams(int count);

    // Observation.
    /// The four-byte telegrams received with a good block check, in order.
    std::vector<Telegram> Telegrams() const;
    void ClearTelegrams();
    SimulatorCounters Counters() const;
    void ResetCounters();
    /// Waits until at least n telegrams are logged or timeoutMs passed; whether they are.
    bool WaitForTelegrams(std::size_t n, int timeoutMs) const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
    std::string devicePath_;
    std::atomic<bool> running_{false};
};

}  // namespace veltrin::sim
