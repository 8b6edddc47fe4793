#include "build/extended/ex_build.h"

#include <memory>
#include <optional>

#include "build/extended/uma_ex_record.h"
#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "common/records.h"
#include "common/text_map.h"
#include "platform/fs/record_file.h"

namespace volq {

namespace {

struct HorseRow {
  ExHorseValues values;
  std::string foal_order;
};

// Foal positions of the dams' offspring files, each file read once: for a
// dam, the foal's pedigree number -> its last record number in the file.
class DamFoals {
 public:
  explicit DamFoals(StepContext& ctx) : ctx_(ctx) {}

  // The foal order of `horse`, or nothing when the dam's file cannot be
  // opened (the order is then left empty).
  std::optional<std::string> Order(std::string_view dam, std::string_view horse) {
    auto it = dams_.find(dam);
    if (it == dams_.end()) it = dams_.emplace(std::string(dam), Read(dam)).first;
    if (!it->second) return std::nullopt;
    auto at = it->second->find(horse);
    return FoalOrderText(at == it->second->end() ? 0 : at->second);
  }

 private:
  std::optional<TextMap<int32_t>> Read(std::string_view dam) {
    std::optional<TextMap<int32_t>> foals;
    ctx_.frame.Do("dam offspring file", [&] {
      // A dam without a file (one not listed) has no foal to find; reading
      // makes no file for her.
      const std::filesystem::path path = ctx_.dir.EntityPath(kDamOffspringFolder, dam);
      TextMap<int32_t> m;
      if (!EntryExists(path)) {
        foals = std::move(m);
        return;
      }
      const RecordImage file(path, kOffspringLength);
      static const Slice kFoal = OffspringField("pedigree_number");
      for (int32_t k = 1; k <= file.Count(); ++k) m[std::string(kFoal.Of(file.View(k)))] = k;
      foals = std::move(m);
    });
    return foals;
  }
  StepContext& ctx_;
  TextMap<std::optional<TextMap<int32_t>>> dams_;
};

// The horse table by pedigree number; the last record of a number wins.
TextMap<HorseRow> ReadHorses(StepContext& ctx, const FramedRecords* um) {
  TextMap<HorseRow> horses;
  if (!um) return horses;
  DamFoals foals(ctx);
  constexpr Slice kPedigree = HorseField("pedigree_number"), kBirth = HorseField("birth_date"),
                  kBreeder = HorseField("breeder_code"), kBirthplace = HorseField("birthplace"),
                  kInvitation = HorseField("invitation_region"),
                  kSire = HorseField("ancestor[0].breeding_number"),
                  kDam = HorseField("ancestor[1].breeding_number");
  for (int32_t i = 1; i <= um->Count(); ++i) {
    const std::string_view r = um->View(i);
    HorseRow row;
    row.values = {kBirth.Of(r), kBreeder.Of(r), kBirthplace.Of(r), kInvitation.Of(r),
                  {},           kSire.Of(r),    kDam.Of(r)};
    row.foal_order = foals.Order(row.values.dam, kPedigree.Of(r)).value_or("");
    horses[std::string(kPedigree.Of(r))] = std::move(row);
  }
  // The views point into the rows' own foal orders only once they are in place.
  for (auto& [key, row] : horses) row.values.foal_order = row.foal_order;
  return horses;
}

// The jockey table by jockey code; the last record of a code wins.
TextMap<ExJockeyValues> ReadJockeys(const FramedRecords* ks) {
  TextMap<ExJockeyValues> jockeys;
  if (!ks) return jockeys;
  constexpr Slice kCode = JockeyField("jockey_code"), kBirth = JockeyField("birth_date"),
                  kInvitation = JockeyField("invitation_region"), kSex = JockeyField("sex"),
                  kQualification = JockeyField("qualification");
  for (int32_t i = 1; i <= ks->Count(); ++i) {
    const std::string_view r = ks->View(i);
    jockeys[std::string(kCode.Of(r))] = {kBirth.Of(r), kInvitation.Of(r), kSex.Of(r),
                                         kQualification.Of(r)};
  }
  return jockeys;
}

// Racecourse, year, month-day and race number: 12 characters. The race id
// stands at the same place in race and race-entry records.
std::string RaceKey(std::string_view rec) {
  constexpr Slice kVenue = RaceField("race.venue"), kYear = RaceField("race.year"),
                  kMonthDay = RaceField("race.month_day"), kNumber = RaceField("race.race_number");
  std::string key;
  key.append(kVenue.Of(rec)).append(kYear.Of(rec));
  key.append(kMonthDay.Of(rec)).append(kNumber.Of(rec));
  return key;
}

// The race table by key; the last record of a key wins.
TextMap<std::string_view> ReadRaces(const FramedRecords* ra) {
  TextMap<std::string_view> races;
  if (!ra) return races;
  for (int32_t i = 1; i <= ra->Count(); ++i) {
    const std::string_view r = ra->View(i);
    races[RaceKey(r)] = r;
  }
  return races;
}

// The sale of each horse: its last line in the table.
TextMap<ExSaleValues> LastSales(const MarketSaleTable& sales) {
  TextMap<ExSaleValues> last;
  for (const MarketSaleRow& s : sales) {
    last[s.pedigree] = {s.code, s.host, s.name, s.start_date, s.end_date, s.age, s.price};
  }
  return last;
}

// The pedigree number that keys the horse: that of its first race entry at
// one of the ten central racecourses, else that of its last entry.
std::string_view HorseKey(const RecordImage& se) {
  static const Slice kVenue = RaceEntryField("race.venue"),
                     kPedigree = RaceEntryField("pedigree_number");
  const int32_t n = se.Count();
  for (int32_t j = 1; j <= n; ++j) {
    const std::string_view venue = kVenue.Of(se.View(j));
    if (venue >= "01" && venue <= "10") return kPedigree.Of(se.View(j));
  }
  return kPedigree.Of(se.View(n));
}

}  // namespace

std::string FoalOrderText(int32_t position) {
  const std::string t = std::to_string(static_cast<int64_t>(position) + 100);
  return t.substr(t.size() - 2);
}

std::string ExtendedRecordBuild(StepContext& ctx, const MarketSaleTable& sales) {
  StepFrame& frame = ctx.frame;
  DataDir& dir = ctx.dir;
  BeginStep(ctx, BuildStep::ExBuild);
  const std::vector<std::string> list = ReadKeyList(ctx, kHorseList);

  const auto um = OpenNewRecords(ctx, kUmNewFile, kHorseLength, "UM");
  const TextMap<HorseRow> horses = ReadHorses(ctx, um.get());
  const auto ks = OpenNewRecords(ctx, kKsNewFile, kJockeyLength, "KS");
  const TextMap<ExJockeyValues> jockeys = ReadJockeys(ks.get());
  const auto ra = OpenNewRecords(ctx, kRaNewFile, kRaceLength, "RA");
  const TextMap<std::string_view> races = ReadRaces(ra.get());
  const TextMap<ExSaleValues> last_sale = LastSales(sales);

  static const ExHorseValues kNoHorse{};
  static const ExJockeyValues kNoJockey{};
  std::string bytes, ex;
  const auto count = static_cast<int64_t>(list.size());
  for (int64_t h = 0; h < count; ++h) {
    const std::string& id = list[h];
    frame.Yield(h + 1, count);
    std::filesystem::path ex_path, se_path;
    if (!frame.Do("EX file name", [&] {
          ex_path = dir.EntityPath(kUmaExFolder, id, kUmaExSuffix);
          se_path = dir.EntityPath(kHorseEntryFolder, id);
        })) {
      continue;
    }
    bytes.clear();
    // A missing race-entry file is reported and read as a horse without
    // entries; it is not created.
    const std::unique_ptr<RecordImage> se =
        OpenEntityRecords(ctx, se_path, kRaceEntryLength, "read race entries");
    const bool read = se && frame.Do("read race entries", [&] {
      const int32_t n = se->Count();
      if (n == 0) return;
      const std::string_view key = HorseKey(*se);
      const auto horse = horses.find(key);
      const ExHorseValues& hv = horse == horses.end() ? kNoHorse : horse->second.values;
      const auto sale = last_sale.find(key);
      const ExSaleValues& sv = sale == last_sale.end() ? NoSaleValues() : sale->second;
      bytes.reserve(static_cast<size_t>(n) * kUmaExLength);
      for (int32_t j = 1; j <= n; ++j) {
        const std::string_view rec = se->View(j);
        const auto race = races.find(RaceKey(rec));
        std::string_view rv;
        const ExJockeyValues* jv = &kNoJockey;
        if (race != races.end()) {
          rv = race->second;
          static const Slice kJockey = RaceEntryField("jockey_code");
          const auto jockey = jockeys.find(kJockey.Of(rec));
          if (jockey != jockeys.end()) jv = &jockey->second;
        }
        FillUmaExRecord(ex, rec, rv, hv, sv, *jv);
        bytes += ex;
      }
    });
    if (!read) bytes.clear();  // the file stays empty, as for a horse without entries
    frame.Do("write", [&] { WriteWholeFile(ex_path, bytes, Rewrite::FromFirstChange); });
  }
  return "終わり";
}

}  // namespace volq
