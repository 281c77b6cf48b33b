#include "params/Catalogue.h"

#include <algorithm>

namespace veltrin {

const KpEntry* FindKp(int number) {
    // The table is sorted by KP number.
    auto it = std::lower_bound(kKpCatalogue.begin(), kKpCatalogue.end(), number,
                               [](const KpEntry& e, int n) { return e.number < n; });
    return (it != kKpCatalogue.end() && it->number == number) ? &*it : nullptr;
}

}  // namespace veltrin
