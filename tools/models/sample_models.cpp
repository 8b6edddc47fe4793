#include "tools/models/sample_models.h"

#include <charconv>
#include <cstdio>

#include "build/factors/factor_frame.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/text_list.h"

namespace volq::models {

namespace {

// A course type's speed data set and weight file of each speed, in the
// order of Speed.
constexpr CourseFile kSpeedData[3] = {CourseFile::AgariData, CourseFile::PaceData,
                                      CourseFile::SohaData};
constexpr CourseFile kWeightData[3] = {CourseFile::AgariWeightData, CourseFile::PaceWeightData,
                                       CourseFile::SohaWeightData};

std::string Next(TextListReader& r, const std::string& file) {
  if (r.Eof()) FailFile(file + ": short");
  return r.Next();
}

TextListReader Open(DataDir& dir, const std::string& file) {
  TextListReader r(dir.Path(file));
  if (!r.ok()) FailFile(file + ": missing (run the course type's categorisation first)");
  return r;
}

int64_t Count(TextListReader& r, const std::string& file, const std::string& what) {
  const std::string v = Next(r, file);
  try {
    return ToNumber(v);
  } catch (const Failure&) {
    FailConversion(file + ": " + what + " not a number: '" + v + "'");
  }
}

// The header of every file the categorisation writes: record count, 30, then
// the 30 category counts.
int64_t ReadHeader(TextListReader& r, const std::string& file, std::array<int32_t, 31>& count) {
  const int64_t n = Count(r, file, "record count");
  if (Count(r, file, "column count") != kFactorCount)
    FailFile(file + ": not a categorisation of 30 columns");
  for (int k = 1; k <= kFactorCount; ++k) {
    const int64_t c = Count(r, file, "count of column " + std::to_string(k));
    if (c < 0 || c > 6000) {
      FailIndex(file + ": count of column " + std::to_string(k) + " is " + std::to_string(c) +
                ", outside 0 to 6000");
    }
    count[k] = static_cast<int32_t>(c);
  }
  return n;
}

// Mean of the speeds above 0 of a speed data set (a record without a time
// carries 0); 0 when there is none.
double MeanSpeed(DataDir& dir, const std::string& file) {
  TextListReader r = Open(dir, file);
  std::array<int32_t, 31> count{};
  const int64_t n = ReadHeader(r, file, count);
  double sum = 0;
  int64_t timed = 0;
  for (int64_t i = 1; i <= n; ++i) {
    const std::string v = Next(r, file);
    double speed = 0;
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), speed);
    if (v.empty() || ec != std::errc() || end != v.data() + v.size()) {
      FailConversion(file + ": speed of record " + std::to_string(i) + " not a number: '" + v +
                     "'");
    }
    if (speed > 0) {
      sum += speed;
      ++timed;
    }
    for (int k = 1; k <= kFactorCount; ++k) Next(r, file);
  }
  return timed > 0 ? sum / static_cast<double>(timed) : 0.0;
}

}  // namespace

float SampleWeight(int speed, int k, int32_t j, double mean) {
  // splitmix64 of speed, column and position: an offset of -0.25 to 0.25.
  uint64_t h = (static_cast<uint64_t>(speed) << 40) ^ (static_cast<uint64_t>(k) << 20) ^
               static_cast<uint64_t>(j);
  h += 0x9E3779B97F4A7C15ull;
  h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
  h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
  h ^= h >> 31;
  const double offset = static_cast<double>(h % 501) / 1000.0 - 0.25;
  return static_cast<float>(mean / kFactorCount + offset);
}

SampleModel ReadCategorisation(DataDir& dir, const std::string& word) {
  SampleModel m;
  const std::string totals = CourseFileName(CourseFile::TotalData, word);
  TextListReader t = Open(dir, totals);
  ReadHeader(t, totals, m.count);

  const std::string list = CourseFileName(CourseFile::ItemCategory, word);
  TextListReader c = Open(dir, list);
  for (int k = 1; k <= kFactorCount; ++k) {
    for (int32_t j = 1; j <= m.count[k]; ++j) m.categories.push_back(Next(c, list));
  }
  if (!c.Eof()) FailFile(list + ": more categories than " + totals + " counts");

  for (int s : {kAgari, kPace, kSoha}) {
    m.mean[s] = MeanSpeed(dir, CourseFileName(kSpeedData[s], word));
  }
  return m;
}

void WriteSampleModel(DataDir& dir, const std::string& word, const SampleModel& m) {
  const auto path = [&](CourseFile file) {
    return dir.Path(InOptionFolder(CourseFileName(file, word)));
  };
  // Only the 30 counts: the window reads no leading record count.
  TextListWriter totals(path(CourseFile::TotalData));
  for (int k = 1; k <= kFactorCount; ++k) totals.Number(m.count[k]).EndLine();
  totals.Close();

  TextListWriter list(path(CourseFile::ItemCategory));
  for (const std::string& category : m.categories) list.String(category).EndLine();
  list.Close();

  for (int s : {kAgari, kPace, kSoha}) {
    TextListWriter w(path(kWeightData[s]));
    char text[32];
    for (int k = 1; k <= kFactorCount; ++k) {
      for (int32_t j = 1; j <= m.count[k]; ++j) {
        std::snprintf(text, sizeof text, "%.4f",
                      static_cast<double>(SampleWeight(s, k, j, m.mean[s])));
        w.Raw(text).EndLine();
      }
    }
    w.Close();
  }
}

}  // namespace volq::models
