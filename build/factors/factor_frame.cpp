#include "build/factors/factor_frame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/fs/file_failure.h"
#include "platform/fs/number_text.h"
#include "platform/fs/record_file.h"

namespace volq {

const char* ModelWord(int course) { return kCourseKinds[course].model_word.data(); }

ItemField FactorField(int k) {
  static constexpr std::string_view kNames[kFactorCount + 1] = {
      "",    "F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",  "F9",  "F10",
      "F11", "F12", "F13", "F14", "F15", "F16", "F17", "F18", "F19", "F20", "F21",
      "F22", "F23", "F24", "F25", "F26", "F27", "F28", "F29", "F30"};
  static constexpr auto kFields = [] {
    std::array<ItemField, kFactorCount + 1> f{};
    for (int i = 1; i <= kFactorCount; ++i) {
      const Slice s = layout_detail::Find(kFactorItemTable, 0, kNames[i]);
      f[i] = {s.offset, s.length};
    }
    return f;
  }();
  if (k < 1 || k > kFactorCount) FailIndex("factor column " + std::to_string(k));
  return kFields[k];
}

void IndexCategories(CategoryModel& m) {
  for (int k = 1; k <= kFactorCount; ++k) {
    m.first[k].clear();
    const int32_t n = std::min<int32_t>(m.count[k], static_cast<int32_t>(m.list[k].size()) - 1);
    for (int32_t j = 1; j <= n; ++j) m.first[k].emplace(m.list[k][static_cast<size_t>(j)], j);
  }
}

FactorFrame::FactorFrame(DataDir& dir) : dir_(dir) {}

void FactorFrame::OpenExFile(std::string_view pedigree) {
  CloseExFile();
  std::filesystem::path p = dir_.EntityPath(kUmaExFolder, pedigree, kUmaExSuffix);
  // A horse without its file has no records; reading makes no file.
  RecordCount = 0;
  if (!EntryExists(p)) return;
  ex_file_.emplace(p, kUmaExLength);
  RecordCount = ex_file_->Count();
}

void FactorFrame::CloseExFile() { ex_file_.reset(); }

void FactorFrame::ReadEx(int32_t k) {
  if (!ex_file_) FailIndex("no extended-record file open");
  const int32_t n = ex_file_->Count();
  if (k < 1 || k > n)
    FailIndex("extended record " + std::to_string(k) + " of " + std::to_string(n));
  ExRecord.assign(ex_file_->View(k));
}

int32_t FactorFrame::PreviousValidRun() {
  ReadEx(r - 1);
  if (Ex("abnormality") == "0") return r - 1;
  return r == 2 ? 1 : r - 2;
}

void FactorFrame::StoreItem(ItemField f, std::string_view value) {
  std::string v(value.substr(0, static_cast<size_t>(f.width)));
  v.resize(static_cast<size_t>(f.width), ' ');
  ItemRecord.replace(static_cast<size_t>(f.offset), static_cast<size_t>(f.width), v);
}

FactorFrame::LookupFile& FactorFrame::Load(std::string_view file, int record_length) {
  std::string name(file);
  auto it = lookups_.find(name);
  if (it != lookups_.end()) return it->second;
  std::filesystem::path p = dir_.Path(name);
  LookupFile lf;
  // A missing file has no records; reading makes no file.
  if (EntryExists(p)) {
    const RecordImage f(p, record_length);
    const int32_t n = f.Count();
    lf.records.reserve(static_cast<size_t>(n));
    for (int32_t k = 1; k <= n; ++k) lf.records.emplace_back(f.View(k));
  }
  return lookups_.emplace(std::move(name), std::move(lf)).first->second;
}

const std::string* FactorFrame::LookupRecord(std::string_view file, int record_length,
                                             std::string_view key) {
  LookupFile& lf = Load(file, record_length);
  int key_length = static_cast<int>(key.size());
  if (lf.key_length != key_length) {
    // Index the first record of every key once; later records of a key are
    // never found by a scan that stops at the first match.
    lf.first.clear();
    lf.key_length = key_length;
    for (size_t i = 0; i < lf.records.size(); ++i) {
      lf.first.emplace(lf.records[i].substr(0, static_cast<size_t>(key_length)), i);
    }
  }
  auto hit = lf.first.find(std::string(key));
  return hit == lf.first.end() ? nullptr : &lf.records[hit->second];
}

const std::vector<std::string>& FactorFrame::RecordsOf(std::string_view file, int record_length) {
  return Load(file, record_length).records;
}

void FactorFrame::ClearLookups() { lookups_.clear(); }

// --- Conversions -------------------------------------------------------------

double Value(std::string_view t) {
  std::string digits;
  size_t i = 0;
  auto skip = [&] {
    while (i < t.size() && IsBlank(t[i])) ++i;
  };
  skip();
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) digits += t[i++];
  bool point = false;
  size_t count = 0;  // digits taken
  int64_t whole = 0;
  for (;; ++i) {
    skip();
    if (i >= t.size()) break;
    char c = t[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      if (++count <= 15) whole = whole * 10 + (c - '0');
    } else if (c == '.' && !point) {
      digits += c;
      point = true;
    } else {
      break;
    }
  }
  if (count == 0) return 0.0;
  // A whole number of up to 15 digits is exact in a double: the value strtod
  // gives, without its cost on every field of every record.
  if (!point && count <= 15) {
    const double v = static_cast<double>(whole);
    return digits[0] == '-' ? -v : v;
  }
  return std::strtod(digits.c_str(), nullptr);
}

int32_t Integer(std::string_view t) {
  NumberText n;
  if (!ScanNumber(t, n)) FailConversion("not a whole number", t);
  // A fraction rounds half to even under the default rounding mode.
  return Whole<int32_t>(std::nearbyint(ValueOf(n)));
}

std::string Decimal(int64_t n) { return std::to_string(n); }

std::string LastChars(std::string_view t, size_t n) {
  return std::string(t.size() > n ? t.substr(t.size() - n) : t);
}

int32_t DaysCut(int64_t days) { return Integer(LastChars(Decimal(days + 10000), 4)); }

int64_t RateClass(std::string_view rate) { return Floor(Value(rate) / 4000); }

int64_t RatePercent(std::string_view rate) { return Floor(Value(rate) / 1000); }

int32_t LogClass(double x) {
  if (!(x > 0)) FailConversion("logarithm of " + std::to_string(x));
  return Floor<int32_t>(10.0 * std::log(x) / std::log(10.0));
}

std::string SpeedField7(float v) {
  double scaled = std::floor(static_cast<double>(v) * 100000.0) + 10000000.0;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.0f", scaled);
  std::string s(buf);
  return s.size() > 7 ? s.substr(s.size() - 7) : s;
}

int ModelCourseType(int32_t t) {
  if (t >= 0 && t <= 22) return kTurf;
  if (t == 23 || t == 24) return kDirt;
  return kSteeple;
}

bool CentralRacecourse(std::string_view code) {
  return code == "10" || (code.size() == 2 && code[0] == '0' && code[1] >= '1' && code[1] <= '9');
}

}  // namespace volq
