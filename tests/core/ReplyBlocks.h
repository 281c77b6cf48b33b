#pragma once
// A reply block as the encoder would have sent it, for the decoding tests.
#include <initializer_list>

#include "link/Link.h"

namespace veltrin::test {

inline ReplyBlock Reply(std::initializer_list<std::uint8_t> bytes) {
    ReplyBlock r;
    r.count = static_cast<std::uint8_t>(bytes.size());
    std::size_t i = 0;
    for (auto b : bytes) r.data[i++] = b;
    return r;
}

}  // namespace veltrin::test
