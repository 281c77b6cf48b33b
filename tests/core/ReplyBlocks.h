#pragma once
// A reply block as the encoder would have sent it, for the decoding tests; the order of the
// read-all's read requests.
#include <initializer_list>
#include <vector>

#include "link/Link.h"

namespace veltrin::test {

inline ReplyBlock Reply(std::initializer_list<std::uint8_t> bytes) {
    ReplyBlock r;
    r.count = static_cast<std::uint8_t>(bytes.size());
    std::size_t i = 0;
    for (auto b : bytes) r.data[i++] = b;
    return r;
}

/// The KP numbers read-all asks for, in its order.
inline const std::vector<int> kReadAllOrder = {1,  2,  32, 3,  33, 4,  23, 39, 8,  10, 11, 9,
                                               16, 40, 18, 42, 17, 41, 19, 43, 29, 36, 35, 37,
                                               20, 21, 38, 34, 22, 44, 45, 46, 47, 48, 30};

}  // namespace veltrin::test
