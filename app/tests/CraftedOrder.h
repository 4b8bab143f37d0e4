#pragma once
// A series of n distinct values (0 to n - 1) in the order that takes a quicksort around the
// middle element to its worst case: at every step the middle element of the part left to
// sort is the part's smallest value, so each partition scans the whole part to split off
// that one value (about n²/2 comparisons in all, and a recursion n deep).

#include "framework/core/Classes.h"

#include <numeric>
#include <utility>
#include <vector>

inline TFloatArray CraftedMiddlePivotOrder(int n) {
    // Played forward on the positions: the part left to sort is lo..n - 1; its middle
    // element is given the smallest value left, and the partition swaps it to position lo.
    std::vector<int> at(
        static_cast<size_t>(n)); // the original position of the element now at each place
    std::iota(at.begin(), at.end(), 0);
    TFloatArray values(static_cast<size_t>(n));
    for (int lo = 0; lo + 1 < n; ++lo) {
        const int middle = (lo + n - 1) / 2;
        values[size_t(at[size_t(middle)])] = lo;
        std::swap(at[size_t(lo)], at[size_t(middle)]);
    }
    if (n > 0)
        values[size_t(at[size_t(n - 1)])] = n - 1;
    return values;
}
