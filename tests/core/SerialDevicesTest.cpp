// The interface dialog's device list: names in the order a person counts them.
#include <gtest/gtest.h>

#include "link/SerialDevices.h"

using veltrin::SortNumerically;

TEST(SerialDevices, NumbersInNamesCountAsNumbers) {
    std::vector<std::string> names = {"COM10",      "COM2",         "COM1",  "/dev/ttyUSB10", "/dev/ttyS10",
                                      "/dev/ttyS9", "/dev/ttyUSB2", "COM02", "/dev/ttyS0"};
    SortNumerically(names);
    EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS9", "/dev/ttyS10", "/dev/ttyUSB2",
                                               "/dev/ttyUSB10", "COM1", "COM2", "COM02", "COM10"}));
    for (const std::string& device : veltrin::SerialDevices()) EXPECT_FALSE(device.empty());
}
