#pragma once
// The frame of a file of JV-Data records: every record begins with its two
// record-type letters and ends with CR LF. A byte lost or added inside one
// record shifts every record after it; reading by record number alone would
// then take each later record from the middle of two. The frames are found
// once per file: where a record is out of frame, the next place where a whole
// record in frame begins is taken up again, so only the damaged record is
// lost.
//
// FramedRecords is the reader of raw and NEW files, and of large derived
// files read in place (untyped); record_file.h's table sets it beside the
// other ways to use a record file.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/record_file.h"

namespace volq {

// What the frames of a file passed over.
struct FrameDamage {
  int32_t lost = 0;               // records passed over
  uint64_t first_byte = 0;        // 0-based offset of the first one
  int32_t first_record = 0;       // its place by record length (1-based)
  bool frame_found_again = true;  // a record in frame followed the last one
  bool damaged() const { return lost > 0; }
};

class RecordFrames {
 public:
  // The records of `image` of `record_length` bytes of type `type` (two
  // letters). The image must outlive the frames. Without a type (derived
  // files such as ITEM files) records are read by record number and a
  // trailing partial record (a count rounded up) reads padded with blanks.
  RecordFrames(std::string_view image, int record_length, std::string_view type);

  int32_t Count() const { return count_; }
  // Record k (1-based), always whole; outside 1..Count() an index Failure.
  std::string_view View(int32_t k) const;
  const FrameDamage& damage() const { return damage_; }

 private:
  bool InFrame(uint64_t at) const;
  std::string_view image_;
  int length_;
  std::string type_;
  int32_t count_ = 0;
  // Start of every record, kept only when the file is damaged; a file in
  // frame throughout is read by record number.
  std::vector<uint64_t> starts_;
  std::string padded_last_;
  FrameDamage damage_;
};

// "SE20180101.dat: 1 record out of frame at byte 1,665,000 (record 3,001)
// passed over; the records after it were read in frame".
std::string FrameDamageText(std::string_view file, const FrameDamage& d);

// A record file read in place (mapped, not copied) and taken by its frames:
// the raw and NEW files of the steps, read by `type`; a derived file of
// records that carry no type ("": ITEM files, a jockey's history of
// thousands of rides) is read by record number, its trailing partial record
// padded. A missing or unreadable file raises a file Failure: a file that is
// only read is never created.
class FramedRecords {
 public:
  FramedRecords(const std::filesystem::path& path, int record_length, std::string_view type);
  // No records, for a history that has no file.
  explicit FramedRecords(int record_length);
  FramedRecords(const FramedRecords&) = delete;
  FramedRecords& operator=(const FramedRecords&) = delete;

  int32_t Count() const { return frames_.Count(); }
  // Record k (1-based), always whole; outside 1..Count() an index Failure.
  std::string_view View(int32_t k) const { return frames_.View(k); }
  const FrameDamage& damage() const { return frames_.damage(); }
  // The whole file as mapped.
  std::string_view bytes() const { return map_.bytes(); }

 private:
  MappedFile map_;
  RecordFrames frames_;
};

}  // namespace volq
