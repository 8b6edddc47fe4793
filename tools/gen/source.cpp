#include "tools/gen/source.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

#include "common/record_layout.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"

namespace volq::gen {

int64_t Summary::Count(std::string_view type) const {
  auto it = records.find(std::string(type));
  if (it == records.end()) return 0;
  int64_t n = 0;
  for (auto& [kind, count] : it->second) n += count;
  return n;
}

int64_t Source::Bytes() const {
  int64_t n = 0;
  for (const SourceFile& f : files) n += static_cast<int64_t>(f.bytes.size());
  return n;
}

Source Generate(const Options& opt) {
  World w;
  BuildWorld(opt, w);
  return Emit(w);
}

void WriteSource(const Source& source, const std::filesystem::path& dir) {
  std::error_code ec;
  for (std::string_view data_set : kDataSets) {
    const std::filesystem::path folder = dir / data_set;
    std::filesystem::create_directories(folder, ec);
    if (ec) FailFile("cannot create " + folder.string() + ": " + ec.message());
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
      if (entry.is_regular_file()) std::filesystem::remove(entry.path(), ec);
    if (ec) FailFile("cannot empty " + folder.string() + ": " + ec.message());
  }
  // A few writers at once: the bytes do not depend on their order.
  std::atomic<size_t> next{0};
  std::mutex failure_mutex;
  std::string failure;
  auto worker = [&] {
    for (size_t i = next++; i < source.files.size(); i = next++) {
      const SourceFile& f = source.files[i];
      try {
        WriteWholeFile(dir / f.folder / f.name, f.bytes);
      } catch (const Failure& e) {
        std::lock_guard<std::mutex> lock(failure_mutex);
        if (failure.empty()) failure = e.what();
      }
    }
  };
  std::vector<std::thread> writers;
  for (int i = 0; i < 4; ++i) writers.emplace_back(worker);
  for (std::thread& t : writers) t.join();
  if (!failure.empty()) FailFile(failure);
}

std::string SummaryText(const Source& source) {
  static const char* const kKept[] = {"RA", "SE", "UM", "HN", "KS", "SK", "CH", "BR", "BN", "HS"};
  const Summary& s = source.summary;
  std::string out;
  char line[256];
  auto type_line = [&](const std::string& type) {
    std::string kinds;
    auto it = s.records.find(type);
    if (it != s.records.end())
      for (auto& [kind, count] : it->second) {
        if (!kinds.empty()) kinds += ", ";
        kinds += std::string(1, kind) + ": " + std::to_string(count);
      }
    std::snprintf(line, sizeof line, "  %s %9lld records  (data kinds %s)\n", type.c_str(),
                  static_cast<long long>(s.Count(type)), kinds.empty() ? "none" : kinds.c_str());
    out += line;
  };
  out += "kept record types:\n";
  for (const char* t : kKept) type_line(t);
  out += "record types passed over:\n";
  for (auto& [type, kinds] : s.records)
    if (!LayoutOf(type)) type_line(type);
  std::snprintf(line, sizeof line, "races run %lld, their entries %lld; %zu files, %lld bytes\n",
                static_cast<long long>(s.races), static_cast<long long>(s.entries),
                source.files.size(), static_cast<long long>(source.Bytes()));
  out += line;
  return out;
}

}  // namespace volq::gen
