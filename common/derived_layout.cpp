#include "common/derived_layout.h"

#include <algorithm>

namespace volq {

void PutText(std::string& rec, Slice field, std::string_view text) {
  const size_t width = static_cast<size_t>(field.length);
  const size_t n = std::min(text.size(), width);
  rec.replace(field.offset, n, text.data(), n);
  rec.replace(field.offset + n, width - n, width - n, ' ');
}

RecordLayout DerivedLayout(std::string type, std::span<const DerivedEntry> t) {
  std::vector<FieldSpec> specs;
  for (size_t i = 0; i < t.size(); i = derived_detail::Next(t, i)) {
    const DerivedEntry& e = t[i];
    if (e.width > 0) {
      specs.push_back(F(std::string(e.name), e.width, e.repeat));
      continue;
    }
    FieldSpec g = G(std::string(e.name), e.repeat, {});
    for (int m = 1; m <= e.members; ++m) {
      const DerivedEntry& f = t[i + static_cast<size_t>(m)];
      g.group.push_back(F(std::string(f.name), f.width, f.repeat));
    }
    specs.push_back(std::move(g));
  }
  return RecordLayout(std::move(type), std::move(specs));
}

const RecordLayout& UmaExLayout() {
  static const RecordLayout l = DerivedLayout("EX", kUmaExTable);
  return l;
}

const RecordLayout& FactorItemLayout() {
  static const RecordLayout l = DerivedLayout("ITEM", kFactorItemTable);
  return l;
}

const std::vector<DerivedFile>& DerivedFiles() {
  static const RecordLayout mare = DerivedLayout("MARE", kMareStallionTable);
  static const RecordLayout kyosoba = DerivedLayout("KYOSOBA", kKyosobaTable);
  static const RecordLayout tally = DerivedLayout("SEISEI", kResultsTallyTable);
  static const RecordLayout small = DerivedLayout("SEISEI", kSmallTallyTable);
  static const RecordLayout donichi = DerivedLayout("DONICHI", kDonichiTable);
  static const std::vector<DerivedFile> files = {
      {"UMAGOTOEXSETUP\\<pedigree number>EX.dat", UmaExLayout()},
      {"<SIBA|DIRT|SHOG>ITEM201801N2024.dat", FactorItemLayout()},
      {kMareFile, mare},
      {kStallionFile, mare},
      {kKyosobaFile, kyosoba},
      {kJockeyTallyFile, tally},
      {kTrainerTallyFile, tally},
      {kBreederTallyFile, small},
      {kOwnerTallyFile, small},
      {kDonichiFile, donichi},
  };
  return files;
}

}  // namespace volq
