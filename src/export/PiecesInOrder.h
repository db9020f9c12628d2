#pragma once

#include "platform/Background.h"

#include <functional>

// Makes pieces 0 .. count-1 with make(k) on the two cores: the odd pieces on the split pool,
// the even ones on this thread, which hands them all to use() in their order, each while the
// second thread makes a later piece. Stops at the first use() that answers false; true when
// every piece was used. make() must only read what the two threads share.
template <typename Piece>
bool usePiecesInOrder(int count, const std::function<Piece(int)> &make,
                      const std::function<bool(Piece &)> &use) {
    Background::Half<Piece> odd; // the next odd piece, being made
    if (count > 1)
        odd = Background::split([&make] { return make(1); });
    for (int k = 0; k < count; k += 2) {
        Piece even = make(k);
        Piece next;
        const bool hasNext = odd.valid();
        if (hasNext) {
            next = odd.get();
            if (k + 3 < count)
                odd = Background::split([&make, k] { return make(k + 3); });
        }
        // On a stop, a piece still being made is waited for and dropped.
        if (!use(even) || (hasNext && !use(next)))
            return false;
    }
    return true;
}
