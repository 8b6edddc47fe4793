#include "tools/gen/record_text.h"

#include <cstring>
#include <map>

#include "platform/fs/file_failure.h"
#include "tools/gen/names.h"

namespace volq::gen {
namespace {

using Index = std::unordered_map<std::string_view, const Field*>;

const Index& IndexFor(const RecordLayout& layout) {
  static std::map<const RecordLayout*, Index> cache;
  auto it = cache.find(&layout);
  if (it == cache.end()) {
    Index idx;
    for (const Field& f : layout.fields()) idx.emplace(f.name, &f);
    it = cache.emplace(&layout, std::move(idx)).first;
  }
  return it->second;
}

}  // namespace

std::string Digits(int64_t value, int width) {
  std::string s(static_cast<size_t>(width), '0');
  if (value < 0) value = 0;
  for (int i = width - 1; i >= 0 && value > 0; --i, value /= 10)
    s[static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
  return s;
}

RecordText::RecordText(std::string& out, const RecordLayout& layout, char data_kind,
                       std::string_view date)
    : out_(out), start_(out.size()), index_(&IndexFor(layout)), layout_(layout) {
  out_.append(static_cast<size_t>(layout.delivered_length()), ' ');
  char* rec = out_.data() + start_;
  rec[layout.delivered_length() - 2] = '\r';
  rec[layout.delivered_length() - 1] = '\n';
  std::memcpy(rec, layout.type().data(), 2);
  rec[2] = data_kind;
  std::memcpy(rec + 3, date.data(), 8);
}

const Field& RecordText::FieldOf(std::string_view name) const {
  auto it = index_->find(name);
  if (it == index_->end()) FailIndex("no field " + std::string(name) + " in " + layout_.type());
  return *it->second;
}

void RecordText::Set(std::string_view name, std::string_view text) { Set(FieldOf(name), text); }

void RecordText::Set(const Field& f, std::string_view text) {
  std::string_view cut = CutText(text, static_cast<size_t>(f.delivered_width));
  std::memcpy(At(f), cut.data(), cut.size());
}

void RecordText::Num(std::string_view name, int64_t value) { Num(FieldOf(name), value); }

void RecordText::Num(const Field& f, int64_t value) {
  char* p = At(f);
  int64_t limit = 1;
  for (int i = 0; i < f.delivered_width && limit < 1000000000000000000LL; ++i) limit *= 10;
  if (value < 0) value = 0;
  if (value >= limit) value = limit - 1;
  for (int i = f.delivered_width - 1; i >= 0; --i) {
    p[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

void RecordText::RaceId(std::string_view prefix, std::string_view id16) {
  std::string p(prefix);
  const Field& f = FieldOf(p + ".year");
  std::memcpy(At(f), id16.data(), 16);
}

}  // namespace volq::gen

namespace volq::gen {

std::vector<const Field*> Repeated(const RecordLayout& layout, std::string_view before, int n,
                                   std::string_view after) {
  std::vector<const Field*> out;
  for (int i = 0; i < n; ++i)
    out.push_back(&layout.field(std::string(before) + std::to_string(i) + std::string(after)));
  return out;
}

}  // namespace volq::gen
