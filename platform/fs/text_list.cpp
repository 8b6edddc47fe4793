#include "platform/fs/text_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/number_text.h"
#include "platform/fs/record_file.h"

namespace volq {

void TextListText::Separator() {
  if (!first_) buf_ += ',';
  first_ = false;
}

TextListText& TextListText::String(std::string_view s) {
  Separator();
  buf_ += '"';
  buf_ += s;
  buf_ += '"';
  return *this;
}

TextListText& TextListText::Number(int64_t n) {
  Separator();
  buf_ += std::to_string(n);
  return *this;
}

TextListText& TextListText::Raw(std::string_view item) {
  Separator();
  buf_ += item;
  return *this;
}

void TextListText::EndLine() {
  buf_ += "\r\n";
  first_ = true;
}

void TextListText::Line(std::string_view bytes) {
  buf_ += bytes;
  EndLine();
}

void TextListText::Bytes(std::string_view bytes) {
  buf_ += bytes;
  first_ = true;
}

std::string TextListText::Take() {
  std::string out;
  out.swap(buf_);
  first_ = true;
  return out;
}

TextListWriter::TextListWriter(const std::filesystem::path& path)
    : file_(std::make_unique<ReplacedFile>(path)),
      path_(path),
      flush_at_(std::min(size_t{1} << 16, Files().WriteBufferSize())) {
  text_.Reserve(flush_at_);
}

TextListWriter& TextListWriter::String(std::string_view s) {
  text_.String(s);
  return *this;
}

TextListWriter& TextListWriter::Number(int64_t n) {
  text_.Number(n);
  return *this;
}

TextListWriter& TextListWriter::Raw(std::string_view item) {
  text_.Raw(item);
  return *this;
}

void TextListWriter::EndLine() {
  text_.EndLine();
  FlushIfFull();
}

void TextListWriter::Line(std::string_view bytes) {
  text_.Line(bytes);
  FlushIfFull();
}

void TextListWriter::Bytes(std::string_view bytes) {
  text_.Bytes(bytes);
  FlushIfFull();
}

void TextListWriter::FlushIfFull() {
  if (text_.size() < flush_at_) return;
  if (!file_) FailFile("write to closed", path_, 0);
  file_->Write(text_.Take());
  text_.Reserve(flush_at_);
}

void TextListWriter::Close() {
  if (!file_) return;
  // Closed once, whatever happens: a failed write drops the replacement.
  std::unique_ptr<ReplacedFile> file = std::move(file_);
  file->Write(text_.Take());
  file->Commit();
}

TextListReader::TextListReader(const std::filesystem::path& path) {
  error_ = Files().ReadWhole(path, data_);
  if (error_ != 0) data_.clear();
}

std::string TextListReader::Next() { return std::string(NextView()); }

std::string_view TextListReader::NextView() {
  if (Eof()) FailFile("read past the end of a list");
  const std::string_view data(data_);
  // Blanks before an item are not part of it. A line end right here ends an
  // empty item, as a blank line or a comma at the end of a line gives one.
  while (pos_ < data.size() && (data[pos_] == ' ' || data[pos_] == '\t')) ++pos_;
  std::string_view item;
  if (pos_ < data.size() && data[pos_] == '"') {
    size_t end = data.find('"', pos_ + 1);
    if (end == std::string_view::npos) end = data.size();
    item = data.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    while (pos_ < data.size() && data[pos_] == ' ') ++pos_;
  } else {
    size_t end = pos_;
    while (end < data.size() && data[end] != ',' && data[end] != '\r' && data[end] != '\n') {
      ++end;
    }
    item = data.substr(pos_, end - pos_);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    pos_ = end;
  }
  if (pos_ < data.size() && data[pos_] == ',') {
    ++pos_;
  } else {
    // End of the line: consume it so that Eof() holds after the last item.
    if (pos_ < data.size() && data[pos_] == '\r') ++pos_;
    if (pos_ < data.size() && data[pos_] == '\n') ++pos_;
  }
  return item;
}

int64_t TextListReader::NextNumber() { return ToNumber(Next()); }

int64_t TextListReader::LineEnds() const {
  // memchr runs through the bytes many at a time; a plain count of a
  // 180 MB dam-line list costs more than the rest of the window's load.
  int64_t n = 0;
  const char* p = data_.data();
  const char* const end = p + data_.size();
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))))) {
    ++n;
    ++p;
  }
  return n;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::string data = ReadWholeFile(path);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\r') {
      lines.emplace_back(data, start, i - start);
      if (i + 1 < data.size() && data[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < data.size()) lines.emplace_back(data, start, data.size() - start);
  return lines;
}

std::vector<std::string> ReadListItems(const std::filesystem::path& path, bool* found) {
  TextListReader r(path);
  if (found) *found = r.ok();
  std::vector<std::string> items;
  while (!r.Eof()) items.push_back(r.Next());
  return items;
}

int64_t ToNumber(std::string_view s) {
  NumberText n;
  if (!ScanNumber(s, n) || n.point) FailConversion("not a number", s);
  int64_t v = 0;
  for (char c : n.whole) {
    if (v > (INT64_MAX - 9) / 10) FailOverflow("number too large: '" + std::string(s) + "'");
    v = v * 10 + (c - '0');
  }
  return n.negative ? -v : v;
}

}  // namespace volq
