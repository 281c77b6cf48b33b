#pragma once
// Fuzz targets. Each takes any bytes and traps when a property of the code under test breaks.
// Built with clang's libFuzzer they run as fuzzers (fuzz_*.cpp); under any compiler the core
// tests replay the committed corpus (fuzz/corpus/...) through them.
#include <cstddef>
#include <cstdint>

namespace veltrin::fuzz {

/// ReadConfiguration on the bytes: a rejected file leaves the parameter set untouched; an
/// accepted one yields the record that the file held, byte for byte.
int FuzzReadConfiguration(const std::uint8_t* data, std::size_t size);

/// The input rules on the bytes as a typed text (and as limit positions and step counts).
int FuzzInputRules(const std::uint8_t* data, std::size_t size);

/// The reply receiver on the bytes as they come from the line (through the byte channel under
/// the block procedure), after the encoder's STX: the first byte names the length of the reply
/// asked for (its value modulo 6; 0 any length), the rest is the line. An accepted block has
/// that length and re-encodes to exactly the bytes it took from the line; a refused one has
/// count 0. Nothing is written to the line, and nothing is read past the block check.
int FuzzReplyReceiver(const std::uint8_t* data, std::size_t size);

}  // namespace veltrin::fuzz
