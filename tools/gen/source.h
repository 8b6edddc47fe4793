#pragma once
// The record source that the service stand-in serves: one folder per data
// set of the service, files of delivered records (code page 932, each ending with
// CR LF), and the counts of what was written.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/gen/world.h"

namespace volq::gen {

// The folders, in the order the download job asks for them.
inline constexpr std::string_view kDataSets[] = {"TOKU", "RACE", "DIFN", "BLDN",
                                                 "SLOP", "YSCH", "HOSN"};

struct SourceFile {
  std::string folder;  // one of kDataSets
  std::string name;
  std::string bytes;
};

// Records written, by record type and data kind.
struct Summary {
  std::map<std::string, std::map<char, int64_t>> records;
  int64_t Count(std::string_view type) const;
  // Counts of the world behind the records: races run and entries, visible only.
  int64_t races = 0, entries = 0;
};

struct Source {
  std::vector<SourceFile> files;
  Summary summary;
  int64_t Bytes() const;
};

// The whole source for the options, in memory.
Source Generate(const Options& opt);

// Writes the source under `dir`: the seven folders (created, emptied of files
// of an earlier run) and their files. A failure raises a file Failure.
void WriteSource(const Source& source, const std::filesystem::path& dir);

// The lines the generator prints: records per type and kind, kept types first.
std::string SummaryText(const Source& source);

// From the model to the files (emit.cpp).
Source Emit(const World& w);

}  // namespace volq::gen
