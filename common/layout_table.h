#pragma once
// Record layouts as compile-time tables, one form for the records the
// service delivers (common/record_layout.h) and the files the build program
// derives (common/derived_layout.h). A table lists its entries in delivery
// order: a field of a width, repeated, or a group of entries, repeated.
// Lengths are sums of the tables, and a reader resolves a field by name when
// it is compiled: LayoutField(kUmaExTable, "track_code") is EX 775:2, and a
// name that is not in the table does not compile.
//
// Flattened names: a repeated entry is name[i] (0-based), a group member
// group.member, so "results[1].prize[0]". A repeated entry or a group named
// without index or member is its whole byte range.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_map.h"

namespace volq {

// One entry of a layout table: a field (width > 0) or a group (its `group`
// entries). stored_width differs from width only for the jockey and trainer
// prize totals, which are delivered 10 wide and stored 9 wide. `meaning` says
// in an analyst's words what the field holds (tools/fieldref prints it in
// docs/fields.md); the tables of files an analyst reads give one for every
// entry, and the reference refuses a table that lacks one.
struct LayoutEntry {
  std::string_view name;
  int width = 0;  // delivered, of one repeat
  int stored_width = 0;
  int repeat = 1;
  std::span<const LayoutEntry> group;
  std::string_view meaning;
};
constexpr LayoutEntry F(std::string_view name, int width, int repeat = 1) {
  return {name, width, width, repeat, {}, {}};
}
constexpr LayoutEntry F(std::string_view name, int width, std::string_view meaning) {
  return {name, width, width, 1, {}, meaning};
}
constexpr LayoutEntry F(std::string_view name, int width, int repeat, std::string_view meaning) {
  return {name, width, width, repeat, {}, meaning};
}
constexpr LayoutEntry Narrow(std::string_view name, int width, int stored_width, int repeat,
                             std::string_view meaning = {}) {
  return {name, width, stored_width, repeat, {}, meaning};
}
constexpr LayoutEntry G(std::string_view name, int repeat, std::span<const LayoutEntry> group,
                        std::string_view meaning = {}) {
  return {name, 0, 0, repeat, group, meaning};
}

// A byte range of a stored record.
struct Slice {
  int offset;
  int length;
  std::string_view Of(std::string_view rec) const {
    if (static_cast<size_t>(offset) >= rec.size()) return {};
    return rec.substr(offset, length);
  }
};

namespace layout_detail {

// Width of an entry with its repeats, stored or delivered.
constexpr int Width(const LayoutEntry& e, bool stored) {
  if (e.group.empty()) return (stored ? e.stored_width : e.width) * e.repeat;
  int w = 0;
  for (const LayoutEntry& m : e.group) w += Width(m, stored);
  return w * e.repeat;
}

// Reads "[i]" at the front of rest; -1 when rest does not start with '['.
constexpr int Index(std::string_view& rest) {
  if (rest.empty() || rest.front() != '[') return -1;
  int i = 0;
  size_t k = 1;
  for (; k < rest.size() && rest[k] >= '0' && rest[k] <= '9'; ++k) i = 10 * i + (rest[k] - '0');
  if (k == 1 || k >= rest.size() || rest[k] != ']') throw "bad index in a field name";
  rest.remove_prefix(k + 1);
  return i;
}

// Stored range of `name` among the entries t starting at byte `at`; length -1
// when no entry holds it.
constexpr Slice Find(std::span<const LayoutEntry> t, int at, std::string_view name) {
  for (const LayoutEntry& e : t) {
    const int whole = Width(e, true);
    if (name.starts_with(e.name)) {
      std::string_view rest = name.substr(e.name.size());
      if (rest.empty()) return {at, whole};
      if (rest.front() == '[' || rest.front() == '.') {
        const int k = Index(rest);
        if (k >= e.repeat) throw "index beyond the repeats of a field";
        const int one = whole / e.repeat;
        const int base = at + (k < 0 ? 0 : k) * one;
        if (rest.empty()) return {base, one};
        if (!e.group.empty() && rest.front() == '.' && (k >= 0 || e.repeat == 1)) {
          const Slice s = Find(e.group, base, rest.substr(1));
          if (s.length >= 0) return s;
        }
      }
    }
    at += whole;
  }
  return {0, -1};
}

}  // namespace layout_detail

// Stored byte range of a named field; evaluated when compiled.
consteval Slice LayoutField(std::span<const LayoutEntry> t, std::string_view name) {
  const Slice s = layout_detail::Find(t, 0, name);
  if (s.length < 0) throw "no such field in the table";
  return s;
}
// Bytes at..at+length of a named field: the readers that take a part of a
// field (the first three digits of the distance).
consteval Slice LayoutField(std::span<const LayoutEntry> t, std::string_view name, int at,
                            int length) {
  const Slice s = LayoutField(t, name);
  if (at < 0 || length < 0 || at + length > s.length) throw "part beyond its field";
  return {s.offset + at, length};
}
// From the start of field `first` to the end of field `last`.
consteval Slice LayoutSpan(std::span<const LayoutEntry> t, std::string_view first,
                           std::string_view last) {
  const Slice a = LayoutField(t, first), b = LayoutField(t, last);
  return {a.offset, b.offset + b.length - a.offset};
}
constexpr int StoredLength(std::span<const LayoutEntry> t) {
  int n = 0;
  for (const LayoutEntry& e : t) n += layout_detail::Width(e, true);
  return n;
}
constexpr int DeliveredLength(std::span<const LayoutEntry> t) {
  int n = 0;
  for (const LayoutEntry& e : t) n += layout_detail::Width(e, false);
  return n;
}

// Repeat i (0-based) of a repeated field whose first repeat is `first`.
constexpr Slice Nth(Slice first, int i) { return {first.offset + first.length * i, first.length}; }

// A field of the flattened layout, named as above.
struct Field {
  std::string name;
  int delivered_offset;
  int offset;  // 0-based in the stored record
  int delivered_width;
  int width;  // stored width
};

// A table flattened when the program runs, for what walks every field (the
// download's parse and pack, the listings, the generator of sample data).
class RecordLayout {
 public:
  RecordLayout(std::string type, std::span<const LayoutEntry> table);

  const std::string& type() const { return type_; }
  int delivered_length() const { return delivered_length_; }
  int stored_length() const { return stored_length_; }
  const std::vector<Field>& fields() const { return fields_; }

  // Index of a field by its flattened name; a missing name raises an index Failure.
  size_t IndexOf(std::string_view name) const;
  const Field& field(std::string_view name) const { return fields_[IndexOf(name)]; }

 private:
  void Flatten(std::span<const LayoutEntry> table, const std::string& prefix);
  std::string type_;
  std::vector<Field> fields_;
  TextMap<size_t> index_;
  int delivered_length_ = 0;
  int stored_length_ = 0;
};

}  // namespace volq
