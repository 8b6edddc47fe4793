#include "common/derived_layout.h"

#include <algorithm>

namespace volq {

void PutText(std::string& rec, Slice field, std::string_view text) {
  const size_t width = static_cast<size_t>(field.length);
  const size_t n = std::min(text.size(), width);
  rec.replace(field.offset, n, text.data(), n);
  rec.replace(field.offset + n, width - n, width - n, ' ');
}

const RecordLayout& UmaExLayout() {
  static const RecordLayout l("EX", kUmaExTable);
  return l;
}

const RecordLayout& FactorItemLayout() {
  static const RecordLayout l("ITEM", kFactorItemTable);
  return l;
}

namespace {

// "<SIBA|DIRT|SHOG>ITEM201801N2024.dat": the ITEM file of any course type.
std::string ItemFilePattern() {
  std::string words;
  for (const CourseKind& k : kCourseKinds)
    words += (words.empty() ? "" : "|") + std::string(k.word);
  return "<" + words + ">" +
         std::string(kCourseKinds[0].item_file.substr(kCourseKinds[0].word.size()));
}

}  // namespace

const std::vector<DerivedFile>& DerivedFiles() {
  static const RecordLayout mare("MARE", kMareStallionTable);
  static const RecordLayout kyosoba("KYOSOBA", kKyosobaTable);
  static const RecordLayout tally("SEISEI", kResultsTallyTable);
  static const RecordLayout small("SEISEI", kSmallTallyTable);
  static const RecordLayout donichi("DONICHI", kDonichiTable);
  static const std::string ex_files =
      std::string(kFolderOutput<kUmaExFolder>) + "<pedigree number>" + std::string(kUmaExSuffix);
  static const std::string item_files = ItemFilePattern();
  static const std::vector<DerivedFile> files = {
      {ex_files, UmaExLayout()},  {item_files, FactorItemLayout()}, {kMareFile, mare},
      {kStallionFile, mare},      {kKyosobaFile, kyosoba},          {kJockeyTallyFile, tally},
      {kTrainerTallyFile, tally}, {kBreederTallyFile, small},       {kOwnerTallyFile, small},
      {kDonichiFile, donichi},
  };
  return files;
}

}  // namespace volq
