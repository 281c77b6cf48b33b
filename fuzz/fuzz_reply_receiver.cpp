// libFuzzer entry: the reply receiver on bytes from the line.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return veltrin::fuzz::FuzzReplyReceiver(data, size);
}
