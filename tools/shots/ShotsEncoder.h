#pragma once
// The encoders the scenes read: the device of each, started (or found) on first use and kept for
// the run; empty when there is none. On Linux simulators in this process (ShotsEncoder_unix.cpp),
// on Windows the Linux simulators behind COM ports (ShotsEncoder_win.cpp).
#include <string>
#include <vector>

namespace veltrin::shots {

/// The encoder of the query scenes, with values that show every kind of text.
std::string QueryEncoderDevice();
/// A fresh encoder for the comparison scenes.
std::string CompareEncoderDevice();
/// The devices of the series scenes: two encoders that answer and one that stays silent; with
/// lineRate ones that take the line's time (an encoder takes seconds), a set of their own.
std::vector<std::string> SeriesEncoderDevices(bool lineRate = false);
/// The name a USB adapter has on this platform, for the interface dialog's scene.
std::string ExampleAdapterDevice();

}  // namespace veltrin::shots
