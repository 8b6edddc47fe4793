#include "build/step/quick_sort.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace volq {
namespace {

// The sort as written originally, recursing on both sides, to compare with.
template <bool kDesc>
void Reference(std::vector<std::string>& k, std::vector<int32_t>& r, int64_t lo, int64_t hi) {
  if (hi < lo) return;
  std::string pivot = k[(lo + hi) / 2];
  int64_t i = lo, j = hi;
  for (;;) {
    if (kDesc) {
      while (k[i] > pivot) ++i;
      while (k[j] < pivot) --j;
    } else {
      while (k[i] < pivot) ++i;
      while (k[j] > pivot) --j;
    }
    if (i >= j) break;
    std::swap(k[i], k[j]);
    std::swap(r[i], r[j]);
    ++i;
    --j;
  }
  if (lo < i - 1) Reference<kDesc>(k, r, lo, i - 1);
  if (hi > j + 1) Reference<kDesc>(k, r, j + 1, hi);
}

std::vector<int32_t> Numbers(size_t n) {
  std::vector<int32_t> r(n + 1);
  for (size_t i = 0; i <= n; ++i) r[i] = static_cast<int32_t>(i);
  return r;
}

TEST(QuickSort, EqualKeysLandAsTheSwapsLeaveThem) {
  const struct {
    std::vector<std::string> keys;  // positions 1..n
    std::vector<int32_t> asc;       // record numbers after QuickSortAsc
    std::vector<int32_t> desc;      // record numbers after QuickSortDesc
  } cases[] = {
      {{"A", "A"}, {2, 1}, {2, 1}},
      {{"A", "A", "A"}, {3, 2, 1}, {3, 2, 1}},
      {{"A"}, {1}, {1}},
      {{"B", "A", "C"}, {2, 1, 3}, {3, 1, 2}},
      {{"A", "B", "A", "B"}, {3, 1, 4, 2}, {4, 2, 1, 3}},
      {{}, {}, {}},
  };
  for (const auto& c : cases) {
    for (bool desc : {false, true}) {
      std::vector<std::string> k = {""};
      k.insert(k.end(), c.keys.begin(), c.keys.end());
      auto r = Numbers(c.keys.size());
      if (desc) {
        QuickSortDesc(k, r, 1, static_cast<int64_t>(c.keys.size()));
      } else {
        QuickSortAsc(k, r, 1, static_cast<int64_t>(c.keys.size()));
      }
      EXPECT_EQ(std::vector<int32_t>(r.begin() + 1, r.end()), desc ? c.desc : c.asc)
          << (desc ? "desc " : "asc ") << c.keys.size();
      EXPECT_EQ(k[0], "") << "position 0 is never sorted";
    }
  }
}

TEST(QuickSort, MatchesTheRecursiveSortOnRandomKeysWithManyEquals) {
  std::mt19937 rng(42);
  for (int round = 0; round < 300; ++round) {
    size_t n = rng() % 60;
    int alphabet = 1 + rng() % 5;
    std::vector<std::string> k(n + 1);
    for (size_t i = 1; i <= n; ++i) {
      k[i] = std::string(1, static_cast<char>('0' + rng() % alphabet)) +
             static_cast<char>('A' + rng() % 2);
    }
    for (bool desc : {false, true}) {
      auto a = k, b = k;
      auto ra = Numbers(n), rb = Numbers(n);
      if (desc) {
        QuickSortDesc(a, ra, 1, static_cast<int64_t>(n));
        Reference<true>(b, rb, 1, static_cast<int64_t>(n));
      } else {
        QuickSortAsc(a, ra, 1, static_cast<int64_t>(n));
        Reference<false>(b, rb, 1, static_cast<int64_t>(n));
      }
      ASSERT_EQ(a, b);
      ASSERT_EQ(ra, rb);
      for (size_t i = 2; i <= n; ++i) ASSERT_TRUE(desc ? a[i - 1] >= a[i] : a[i - 1] <= a[i]);
    }
  }
}

TEST(QuickSort, MillionKeysInAnyOrderKeepTheStackShallow) {
  // Ascending input, descending input and all-equal keys of a million.
  const size_t n = 1000000;
  for (int shape = 0; shape < 3; ++shape) {
    std::vector<int64_t> k(n + 1);
    for (size_t i = 1; i <= n; ++i) k[i] = shape == 0 ? i : shape == 1 ? n - i : 7;
    auto r = Numbers(n);
    QuickSortAsc(k, r, 1, static_cast<int64_t>(n));
    for (size_t i = 2; i <= n; ++i) ASSERT_LE(k[i - 1], k[i]);
  }
}

}  // namespace
}  // namespace volq
