#include "platform/fs/record_frames.h"

#include <cstring>

#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"

namespace volq {

namespace {

// "1,665,000"
std::string Grouped(uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

bool RecordFrames::InFrame(uint64_t at) const {
  const uint64_t l = static_cast<uint64_t>(length_);
  if (at + l > image_.size()) return false;
  const char* r = image_.data() + at;
  return r[0] == type_[0] && r[1] == type_[1] && r[l - 2] == '\r' && r[l - 1] == '\n';
}

RecordFrames::RecordFrames(std::string_view image, int record_length, std::string_view type)
    : image_(image), length_(record_length), type_(type) {
  if (type_.size() != 2 || length_ < 4) {
    // Records that carry no type of their own are read by record number,
    // a trailing partial record (a count rounded up) padded with blanks.
    count_ = RecordCountOf(image_.size(), length_);
    if (count_ > 0 && static_cast<uint64_t>(count_) * length_ > image_.size()) {
      const uint64_t last = static_cast<uint64_t>(count_ - 1) * length_;
      padded_last_.assign(image_.substr(last)).resize(length_, ' ');
    }
    return;
  }
  const uint64_t l = static_cast<uint64_t>(length_);
  const uint64_t size = image_.size();
  uint64_t at = 0;
  int32_t good = 0;
  // Until the first damage every record is where its number puts it.
  while (at + l <= size && InFrame(at)) {
    at += l;
    ++good;
  }
  count_ = good;
  if (at == size) return;

  starts_.reserve(static_cast<size_t>(size / l) + 1);
  for (int32_t k = 0; k < good; ++k) starts_.push_back(static_cast<uint64_t>(k) * l);
  while (at < size) {
    if (InFrame(at)) {
      starts_.push_back(at);
      at += l;
      continue;
    }
    if (!damage_.damaged()) {
      damage_.first_byte = at;
      damage_.first_record = static_cast<int32_t>(starts_.size()) + 1;
    }
    // The next place where a whole record in frame begins.
    uint64_t next = at + 1;
    while (next + l <= size) {
      const void* hit = std::memchr(image_.data() + next, type_[0], size - l + 1 - next);
      if (!hit) {
        next = size;
        break;
      }
      next = static_cast<uint64_t>(static_cast<const char*>(hit) - image_.data());
      if (InFrame(next)) break;
      ++next;
    }
    if (next + l > size) next = size;
    // The stretch passed over holds as many records as its length makes,
    // one at least (a record cut short or lengthened by a byte is one).
    const uint64_t lost = (next - at + l / 2) / l;
    damage_.lost += static_cast<int32_t>(lost > 0 ? lost : 1);
    damage_.frame_found_again = next < size;
    at = next;
  }
  count_ = static_cast<int32_t>(starts_.size());
}

std::string_view RecordFrames::View(int32_t k) const {
  if (k < 1 || k > count_)
    FailIndex("record " + std::to_string(k) + " outside 1.." + std::to_string(count_));
  if (k == count_ && !padded_last_.empty()) return padded_last_;
  if (starts_.empty()) return image_.substr(static_cast<size_t>(k - 1) * length_, length_);
  return image_.substr(starts_[static_cast<size_t>(k - 1)], length_);
}

namespace {

MappedFile Mapped(const std::filesystem::path& path) {
  MappedFile map;
  if (const int err = Files().MapForReading(path, map)) FailRead(path, err);
  return map;
}

}  // namespace

FramedRecords::FramedRecords(const std::filesystem::path& path, int record_length,
                             std::string_view type)
    : map_(Mapped(path)), frames_(map_.bytes(), record_length, type) {}

FramedRecords::FramedRecords(int record_length) : frames_({}, record_length, "") {}

std::string FrameDamageText(std::string_view file, const FrameDamage& d) {
  const std::string place = "byte " + Grouped(d.first_byte) + " (record " +
                            Grouped(static_cast<uint64_t>(d.first_record)) + ")";
  std::string t(file);
  if (d.lost == 1) {
    t += ": 1 record out of frame at " + place + " passed over; ";
    t += d.frame_found_again ? "the records after it were read in frame"
                             : "no record in frame followed it";
  } else {
    t += ": " + Grouped(static_cast<uint64_t>(d.lost)) +
         " records out of frame passed over, the first at " + place + "; ";
    t += d.frame_found_again ? "the records after them were read in frame"
                             : "no record in frame followed the last of them";
  }
  return t;
}

}  // namespace volq
