#pragma once
// The key sorts of the NEW files. They are not stable, and which record of a
// run of equal keys ends first or last is exactly what these swaps leave
// there: the survivor rules of the NEW files depend on it, so never replace
// them with a library sort. The two ranges a partition leaves are disjoint, so
// sorting the smaller one first (by recursion) and the larger one in the loop
// gives the same result as recursing on both, with a stack of log n depth.
#include <cstdint>
#include <utility>
#include <vector>

namespace volq {

template <class Key, bool kDescending>
void QuickSortImpl(std::vector<Key>& keys, std::vector<int32_t>& recordNumbers, int64_t lo,
                   int64_t hi) {
  while (lo <= hi) {
    const Key pivot = keys[(lo + hi) / 2];
    int64_t i = lo, j = hi;
    for (;;) {
      if constexpr (kDescending) {
        while (keys[i] > pivot) ++i;
        while (keys[j] < pivot) --j;
      } else {
        while (keys[i] < pivot) ++i;
        while (keys[j] > pivot) --j;
      }
      if (i >= j) break;
      std::swap(keys[i], keys[j]);
      std::swap(recordNumbers[i], recordNumbers[j]);
      ++i;
      --j;
    }
    // Left part lo..i-1 (when lo < i-1), right part j+1..hi (when hi > j+1).
    int64_t llo = lo, lhi = i - 1, rlo = j + 1, rhi = hi;
    const bool left = lo < i - 1;
    const bool right = hi > j + 1;
    if (!left && !right) return;
    if (left && right) {
      if (lhi - llo < rhi - rlo) {
        QuickSortImpl<Key, kDescending>(keys, recordNumbers, llo, lhi);
        lo = rlo;
        hi = rhi;
      } else {
        QuickSortImpl<Key, kDescending>(keys, recordNumbers, rlo, rhi);
        lo = llo;
        hi = lhi;
      }
    } else if (left) {
      lo = llo;
      hi = lhi;
    } else {
      lo = rlo;
      hi = rhi;
    }
  }
}

// Sorts positions lo..hi of keys ascending, moving each record number with
// its key. hi < lo does nothing.
template <class Key>
void QuickSortAsc(std::vector<Key>& keys, std::vector<int32_t>& recordNumbers, int64_t lo,
                  int64_t hi) {
  QuickSortImpl<Key, false>(keys, recordNumbers, lo, hi);
}

// The same, descending.
template <class Key>
void QuickSortDesc(std::vector<Key>& keys, std::vector<int32_t>& recordNumbers, int64_t lo,
                   int64_t hi) {
  QuickSortImpl<Key, true>(keys, recordNumbers, lo, hi);
}

}  // namespace volq
