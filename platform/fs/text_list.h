#pragma once
// Text lists: lines of comma-separated items, strings in double quotes,
// numbers bare, each line ended by CR LF; read back item by item. Plain text
// files of whole lines (the market-sale file) use the line reader and writer.
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs/replaced_file.h"

namespace volq {

// The items of a text list formatted into memory, exactly as the writer
// writes them: for a list that is part of other bytes (a horse's placing
// block, written into its own file and into each parent's block file). The
// writer formats through it, so there is one way to write an item.
class TextListText {
 public:
  TextListText& String(std::string_view s);  // "s"
  TextListText& Number(int64_t n);           // bare decimal
  TextListText& Raw(std::string_view item);  // bare text, as given
  void EndLine();                            // CR LF
  void Line(std::string_view bytes);         // whole line + CR LF
  void Bytes(std::string_view bytes);        // as they are: lines that bring their own CR LF
  void Reserve(size_t n) { buf_.reserve(n); }
  size_t size() const { return buf_.size(); }
  // The bytes so far, leaving it empty at the start of a line.
  std::string Take();

 private:
  void Separator();
  bool first_ = true;
  std::string buf_;
};

// A text list written anew: it replaces the former file whole on Close, and
// a writer destroyed without Close, or whose write failed, leaves the former
// file as it was (its replacement is dropped). A missing file is created; one
// that cannot be opened raises a file Failure. A list that other bytes
// follow in one file is formatted with TextListText and written whole.
class TextListWriter {
 public:
  explicit TextListWriter(const std::filesystem::path& path);
  TextListWriter(const TextListWriter&) = delete;
  TextListWriter& operator=(const TextListWriter&) = delete;

  TextListWriter& String(std::string_view s);  // "s"
  TextListWriter& Number(int64_t n);           // bare decimal
  TextListWriter& Raw(std::string_view item);  // bare text, as given
  void EndLine();                              // CR LF
  void Line(std::string_view bytes);           // whole line + CR LF
  void Bytes(std::string_view bytes);          // as they are: lines that bring their own CR LF
  void Close();                                // flushes; a failed write raises a file Failure

 private:
  void FlushIfFull();
  std::unique_ptr<ReplacedFile> file_;  // until Close
  std::filesystem::path path_;
  size_t flush_at_;  // 64 KiB, or the file system's write buffer size when smaller
  TextListText text_;
};

class TextListReader {
 public:
  // A missing or unreadable file reads as an empty list; ok() tells it from
  // an empty one, error() why: ENOENT when missing, else the errno of the
  // failed read.
  explicit TextListReader(const std::filesystem::path& path);
  bool ok() const { return error_ == 0; }
  int error() const { return error_; }
  bool Eof() const { return pos_ >= data_.size(); }
  // Next item: a quoted string without its quotes, or a bare item with its
  // surrounding blanks removed; items end at a comma or a line end, so a
  // blank line is one empty item. Past the end raises a file Failure.
  std::string Next();
  // The same item as a view into the list's bytes, valid while the reader
  // lives: for tables of millions of items that keep the reader beside them.
  std::string_view NextView();
  // Next item as a whole number (conversion Failure when it is not one).
  int64_t NextNumber();
  // Line feeds in the whole list: what a table read from it is sized by.
  int64_t LineEnds() const;

 private:
  std::string data_;
  size_t pos_ = 0;
  int error_ = ENOENT;
};

// Lines of a text file, split at CR LF (or a lone CR); the last line may lack
// its end. A missing file raises a file Failure.
std::vector<std::string> ReadLines(const std::filesystem::path& path);

// Every item of a text list in file order (a missing list is empty).
std::vector<std::string> ReadListItems(const std::filesystem::path& path, bool* found = nullptr);

// Whole-number value of a text as the steps read numbers: surrounding blanks
// (IsBlank) ignored, an optional sign, digits. Conversion Failure otherwise.
int64_t ToNumber(std::string_view s);

}  // namespace volq
