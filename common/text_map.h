#pragma once
// Hash maps keyed by text that are looked up with record fields (views into a
// record) without building a string per lookup.
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace volq {

struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

}  // namespace volq
