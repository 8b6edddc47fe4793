#include "platform/fs/text_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/base/stop_request.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/file_system.h"
#include "platform/fs/number_text.h"
#include "platform/fs/record_file.h"

namespace volq {

TextListWriter::TextListWriter(const std::filesystem::path& path, Mode mode)
    : path_(path), flush_at_(std::min(size_t{1} << 16, Files().WriteBufferSize())) {
  if (mode == Mode::Output) {
    anew_ = std::make_unique<ReplacedFile>(path);
  } else {
    append_ = true;
    StopAtFileBoundary();
    OpenedFile f;
    const int err = Files().OpenForWriting(path, WriteMode::Append, f);
    if (err == kLinkedFile) {
      // Another name links to the list: it is replaced by its former lines
      // and the new ones, and the other name keeps the former lines alone.
      buf_ = ReadWholeFile(path);
      anew_ = std::make_unique<ReplacedFile>(path);
    } else if (err) {
      FailFileOp("cannot open", path, err);
    } else {
      appended_ = f.handle;
      NoteFileCreated(path);
    }
  }
  buf_.reserve(flush_at_);
}

// A list written anew and not closed is dropped with its replacement; one
// appended to keeps what it was given.
TextListWriter::~TextListWriter() {
  if (append_ && (appended_ >= 0 || anew_)) {
    try {
      Close();
    } catch (const Failure& e) {
      ReportLateFailure(e.text());
    }
  }
}

void TextListWriter::Separator() {
  if (!first_) buf_ += ',';
  first_ = false;
}

TextListWriter& TextListWriter::String(std::string_view s) {
  Separator();
  buf_ += '"';
  buf_ += s;
  buf_ += '"';
  return *this;
}

TextListWriter& TextListWriter::Number(int64_t n) {
  Separator();
  buf_ += std::to_string(n);
  return *this;
}

TextListWriter& TextListWriter::Raw(std::string_view item) {
  Separator();
  buf_ += item;
  return *this;
}

void TextListWriter::EndLine() {
  buf_ += "\r\n";
  first_ = true;
  FlushIfFull();
}

void TextListWriter::Bytes(std::string_view bytes) {
  buf_ += bytes;
  first_ = true;
  FlushIfFull();
}

void TextListWriter::WriteBuffer() {
  std::string out;
  out.swap(buf_);
  buf_.reserve(flush_at_);
  if (anew_) {
    anew_->Write(out);
  } else if (appended_ < 0) {
    FailFile("write to closed", path_, 0);
  } else if (const int err = Files().Write(appended_, out)) {
    FailFileOp("cannot write", path_, err);
  }
}

void TextListWriter::FlushIfFull() {
  if (buf_.size() >= flush_at_) WriteBuffer();
}

void TextListWriter::Line(std::string_view bytes) {
  first_ = true;
  buf_ += bytes;
  EndLine();
}

void TextListWriter::Close() {
  if (anew_) {
    // Closed once, whatever happens: a failed write drops the replacement.
    std::unique_ptr<ReplacedFile> file = std::move(anew_);
    std::string rest;
    rest.swap(buf_);
    file->Write(rest);
    file->Commit();
    return;
  }
  if (appended_ < 0) return;
  const int handle = appended_;
  appended_ = -1;
  int err = buf_.empty() ? 0 : Files().Write(handle, buf_);
  buf_.clear();
  if (const int closed = Files().Close(handle); closed && !err) err = closed;
  if (err) FailFileOp("cannot write", path_, err);
}

TextListReader::TextListReader(const std::filesystem::path& path) {
  error_ = ReadInput(path, data_);
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
