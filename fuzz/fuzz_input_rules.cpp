// libFuzzer entry: the send dialogs' input rules.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return veltrin::fuzz::FuzzInputRules(data, size);
}
