#pragma once
// The generator's own random numbers: xoshiro256** seeded through splitmix64,
// and only integer and basic floating-point arithmetic on top of it, so that a
// seed gives the same bytes with any compiler or library version.
#include <cstdint>
#include <vector>

namespace volq::gen {

inline uint64_t SplitMix64(uint64_t& x) {
  uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

class Rng {
 public:
  explicit Rng(uint64_t seed) {
    for (uint64_t& w : s_) w = SplitMix64(seed);
  }
  // An independent stream for one part of the model, so that adding draws in
  // one part does not shift the numbers of another.
  Rng Fork(uint64_t salt) {
    uint64_t x = Next() ^ (salt * 0xd1342543de82ef95ULL);
    return Rng(SplitMix64(x));
  }

  uint64_t Next() {
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }
  // 0 <= value < n (n > 0).
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(((Next() >> 32) * n) >> 32); }
  // lo <= value <= hi.
  int Range(int lo, int hi) {
    return lo + static_cast<int>(Below(static_cast<uint32_t>(hi - lo + 1)));
  }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  bool Chance(double p) { return Unit() < p; }
  // Roughly normal with mean 0 and deviation 1: a scaled sum of four uniforms.
  double Normal() {
    double s = Unit() + Unit() + Unit() + Unit();
    return (s - 2.0) * 1.7320508075688772;
  }
  template <class T>
  const T& Pick(const std::vector<T>& v) {
    return v[Below(static_cast<uint32_t>(v.size()))];
  }
  template <class T, size_t N>
  const T& Pick(const T (&a)[N]) {
    return a[Below(N)];
  }

 private:
  static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t s_[4];
};

// A rare event of probability p that happens at least once: the first
// chance always takes it, so that even a small source has every case.
class Rare {
 public:
  explicit Rare(double p) : p_(p) {}
  bool operator()(Rng& rng) {
    const bool hit = rng.Chance(p_) || first_;
    first_ = false;
    return hit;
  }

 private:
  double p_;
  bool first_ = true;
};

// Draws indices in proportion to fixed weights (binary search on running sums).
class WeightedPicker {
 public:
  WeightedPicker() = default;
  explicit WeightedPicker(const std::vector<double>& weights) { Reset(weights); }
  void Reset(const std::vector<double>& weights) {
    sums_.clear();
    double s = 0;
    for (double w : weights) sums_.push_back(s += w);
  }
  bool empty() const { return sums_.empty() || sums_.back() <= 0; }
  size_t size() const { return sums_.size(); }
  size_t Pick(Rng& rng) const {
    double x = rng.Unit() * sums_.back();
    size_t lo = 0, hi = sums_.size() - 1;
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (sums_[mid] > x)
        hi = mid;
      else
        lo = mid + 1;
    }
    return lo;
  }

 private:
  std::vector<double> sums_;
};

}  // namespace volq::gen
