#pragma once
// A delivered record being filled in place at the end of a file buffer: blanks
// of the delivered length ending in CR LF, fields set by their flattened names
// at their delivered offsets and widths.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/record_layout.h"

namespace volq::gen {

// A number as `width` zero-padded digits (the rightmost ones when it is longer).
std::string Digits(int64_t value, int width);

class RecordText {
 public:
  // Appends a blank record of the layout's delivered length to `out`, with
  // the record type, data kind and creation date (YYYYMMDD) already set.
  RecordText(std::string& out, const RecordLayout& layout, char data_kind, std::string_view date);

  // Text left-justified and blank-padded; longer text is cut at the width
  // without splitting a double-byte character.
  void Set(std::string_view name, std::string_view text);
  // A number as zero-padded digits (a value beyond the width keeps all nines).
  void Num(std::string_view name, int64_t value);
  // The same on a field looked up beforehand (see Repeated).
  void Set(const Field& f, std::string_view text);
  void Num(const Field& f, int64_t value);
  // Race identity fields of the group `prefix` ("race" or "first_win[0].race").
  void RaceId(std::string_view prefix, std::string_view id16);

 private:
  const Field& FieldOf(std::string_view name) const;
  char* At(const Field& f) { return out_.data() + start_ + f.delivered_offset; }

  std::string& out_;
  size_t start_;
  const std::unordered_map<std::string_view, const Field*>* index_;
  const RecordLayout& layout_;
};

// The fields before0after .. before{n-1}after of a repeated entry
// ("overall.count[", 6, "]"), looked up once for the hot loops.
std::vector<const Field*> Repeated(const RecordLayout& layout, std::string_view before, int n,
                                   std::string_view after = "]");

}  // namespace volq::gen
