#pragma once
// The serial devices of this machine, as the interface dialog offers them for binding a port.
// One file per platform lists them: SerialDevices_unix.cpp (/dev/ttyS*, /dev/ttyUSB*,
// /dev/ttyACM*, then /dev/serial/by-id/*) and SerialDevices_win.cpp (the COM ports that the
// registry's HARDWARE\DEVICEMAP\SERIALCOMM key names).
#include <string>
#include <vector>

namespace veltrin {

/// The devices found now, in the order a person counts them (ttyS2 before ttyS10, COM2 before
/// COM10). Empty when there are none or the system cannot tell.
std::vector<std::string> SerialDevices();

/// Sorts names with their digit runs compared as numbers ("COM2" before "COM10").
void SortNumerically(std::vector<std::string>& names);

}  // namespace veltrin
