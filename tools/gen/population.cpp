// People, organisations, breeding horses over many generations, and the foal
// crops that become the racehorses.
#include <algorithm>
#include <cstdio>
#include <map>

#include "tools/gen/dates.h"
#include "tools/gen/record_text.h"
#include "tools/gen/world.h"

namespace volq::gen {

ScaleParams ParamsOf(Scale scale) {
  if (scale == Scale::Full) return {0, 3, 12, 7700, 600, 500, 3000, 4000, 3300, 280, 20000};
  return {4, 1, 7, 200, 40, 30, 80, 120, 60, 8, 150};
}

void PersonYear::operator+=(const PersonYear& o) {
  flat += o.flat;
  jump += o.jump;
  for (int i = 0; i < 20; ++i) venue_surface[i] += o.venue_surface[i];
  for (int i = 0; i < 6; ++i) distance[i] += o.distance[i];
  for (int i = 0; i < 4; ++i) prize[i] += o.prize[i];
}

void BuildWorld(const Options& opt, World& w) {
  w.opt = opt;
  w.sp = ParamsOf(opt.scale);
  w.sim_from_year = opt.from - 3;
  w.first_cohort = opt.from - 9;
  Rng root(opt.seed);
  Rng people = root.Fork(1), breeding = root.Fork(2), racing = root.Fork(3), sales = root.Fork(4);
  BuildPeople(w, people);
  BuildBreedingAndFoals(w, breeding);
  SimulateRacing(w, racing);
  BuildSales(w, sales);
}

namespace {

int DayIn(Rng& rng, int year, int month_from, int month_to) {
  const int a = DaysFromCivil(year, month_from, 1);
  const int b =
      month_to == 12 ? DaysFromCivil(year + 1, 1, 1) : DaysFromCivil(year, month_to + 1, 1);
  return a + static_cast<int>(rng.Below(static_cast<uint32_t>(b - a)));
}

// Zipf-like weights over a random order: a few big names, a long tail.
void ZipfWeights(Rng& rng, std::vector<double>& out, size_t n, double offset) {
  std::vector<uint32_t> rank(n);
  for (size_t i = 0; i < n; ++i) rank[i] = static_cast<uint32_t>(i);
  for (size_t i = n; i > 1; --i) std::swap(rank[i - 1], rank[rng.Below(static_cast<uint32_t>(i))]);
  out.resize(n);
  for (size_t i = 0; i < n; ++i) out[i] = 1.0 / (rank[i] + offset);
}

void BuildJockeys(World& w, Rng& rng) {
  const int n = w.sp.jockeys;
  const int first = w.sim_from_year, last = w.opt.to;
  const int historic = n * 40 / 100, local = n * 10 / 100, foreign = n * 6 / 100;
  const int active = n - historic - local - foreign;
  std::vector<Person>& js = w.jockeys;
  // Central riders in order of their licence, so their codes rise with it.
  std::vector<int> licence_years;
  for (int i = 0; i < historic; ++i) licence_years.push_back(rng.Range(1965, first - 8));
  for (int i = 0; i < active; ++i)
    licence_years.push_back(rng.Chance(0.6) ? rng.Range(first - 25, first - 1)
                                            : rng.Range(first, last));
  std::sort(licence_years.begin(), licence_years.end());
  std::vector<double> skill;
  ZipfWeights(rng, skill, static_cast<size_t>(n), 25.0);
  int code = 0;
  for (int y : licence_years) {
    Person p;
    p.code = Digits(++code * 2 + rng.Range(0, 1), 5);
    p.licence_day = DaysFromCivil(y, 3, 1);
    p.birth_day = DayIn(rng, y - rng.Range(18, 20), 1, 12);
    p.sex = (y >= first - 10 && rng.Chance(0.08)) ? '2' : '1';
    p.name = RandomPerson(rng);
    p.affiliation = rng.Range(1, 2);
    js.push_back(std::move(p));
  }
  for (int i = 0; i < historic; ++i) {
    Person& p = js[static_cast<size_t>(i)];
    p.end_day = DayIn(rng, std::min(first - 1, YearOf(p.licence_day) + rng.Range(5, 30)), 1, 12);
    p.flat_rider = false;
  }
  for (int i = 0; i < local + foreign; ++i) {
    Person p;
    const bool abroad = i >= local;
    p.code = Digits(abroad ? 5500 + i : 5001 + i * 3, 5);
    p.affiliation = abroad ? 4 : 3;
    p.region = abroad ? 10 + rng.Range(0, 5) : rng.Range(0, 9);
    const int y = rng.Range(first - 15, last - 1);
    p.licence_day = DaysFromCivil(y, rng.Range(1, 12), 1);
    p.birth_day = DayIn(rng, y - rng.Range(18, 26), 1, 12);
    p.name = abroad ? ForeignPerson(rng) : RandomPerson(rng);
    js.push_back(std::move(p));
  }
  std::sort(js.begin(), js.end(), [](const Person& a, const Person& b) { return a.code < b.code; });
  Rare deleted(0.03);
  for (size_t i = 0; i < js.size(); ++i) {
    Person& p = js[i];
    p.skill = skill[i];
    if (p.affiliation <= 2 && p.flat_rider) {
      if (rng.Chance(0.12)) {
        p.jump_rider = true;
        p.flat_rider = rng.Chance(0.5);
      }
      if (rng.Chance(0.12))
        p.end_day = DayIn(rng, rng.Range(std::max(first, YearOf(p.licence_day) + 1), last), 1, 12);
    }
    if (p.affiliation == 4) p.skill *= 3;  // short-term visitors are star riders
    if (p.affiliation == 3) p.skill *= 0.3;
    // A few old records were deleted by the service; such riders never ride here.
    if (!p.flat_rider && !p.jump_rider && deleted(rng)) p.deleted = true;
    p.years.resize(static_cast<size_t>(w.opt.to - w.sim_from_year + 1));
  }
}

void BuildTrainers(World& w, Rng& rng) {
  const int n = w.sp.trainers;
  const int first = w.sim_from_year, last = w.opt.to;
  std::vector<int> licence_years;
  for (int i = 0; i < n; ++i)
    licence_years.push_back(i < n * 45 / 100 ? rng.Range(1960, first - 10)
                                             : rng.Range(first - 30, last - 1));
  std::sort(licence_years.begin(), licence_years.end());
  std::vector<double> skill;
  ZipfWeights(rng, skill, static_cast<size_t>(n), 15.0);
  Rare deleted(0.03);
  for (int i = 0; i < n; ++i) {
    Person p;
    const int y = licence_years[static_cast<size_t>(i)];
    p.code = Digits(1000 + i * 3 + rng.Range(0, 2), 5);
    p.licence_day = DaysFromCivil(y, 3, 1);
    p.birth_day = DayIn(rng, y - rng.Range(28, 45), 1, 12);
    p.sex = rng.Chance(0.01) ? '2' : '1';
    p.name = RandomPerson(rng);
    p.affiliation = rng.Range(1, 2);
    p.skill = skill[static_cast<size_t>(i)];
    // Trainers retire at seventy, at the end of February.
    const int seventy = YearOf(p.birth_day) + 70;
    if (i < n * 45 / 100) {
      p.end_day = DayIn(rng, std::min(first - 1, y + rng.Range(8, 35)), 1, 12);
      p.skill = 0;
      p.deleted = deleted(rng);
    } else if (seventy <= last) {
      p.end_day = DaysFromCivil(seventy + (YearOf(p.birth_day) % 7 == 0 ? 0 : 1), 2, 28);
      if (p.end_day <= DaysFromCivil(first, 3, 1)) p.skill = 0;
    }
    p.years.resize(static_cast<size_t>(w.opt.to - w.sim_from_year + 1));
    w.trainers.push_back(std::move(p));
  }
  // About half of the central riders belong to a stable.
  for (Person& j : w.jockeys)
    if (j.affiliation <= 2 && rng.Chance(0.5))
      j.stable = static_cast<int>(rng.Below(static_cast<uint32_t>(n)));
}

void BuildOwners(World& w, Rng& rng) {
  const int n = w.sp.owners;
  std::vector<double> weight;
  ZipfWeights(rng, weight, static_cast<size_t>(n), 25.0);
  Rare deleted(0.01);
  for (int i = 0; i < n; ++i) {
    Owner o;
    o.code = Digits(100001 + i * 17 + rng.Range(0, 16), 6);
    o.name = OwnerName(rng);
    o.colours = RacingColours(rng);
    o.weight = weight[static_cast<size_t>(i)];
    if (deleted(rng)) {
      o.deleted = true;
      o.weight = 0;
    }
    o.years.resize(static_cast<size_t>(w.opt.to - w.sim_from_year + 1));
    w.owners.push_back(std::move(o));
  }
}

void BuildBreeders(World& w, Rng& rng) {
  const int n = w.sp.breeders;
  std::vector<double> weight;
  ZipfWeights(rng, weight, static_cast<size_t>(n), 12.0);
  int prefix = 10000;
  for (int i = 0; i < n; ++i) {
    Breeder b;
    prefix += rng.Range(1, 40);
    b.code = Digits(prefix, 6) + "00";
    b.name = BreederName(rng);
    b.address = Prefecture(rng);
    b.weight = weight[static_cast<size_t>(i)];
    b.years.resize(static_cast<size_t>(w.opt.to - w.sim_from_year + 1));
    w.breeders.push_back(std::move(b));
    // Some farms re-registered under a new code that keeps the first six
    // characters; foals from then on carry the new code.
    if (i + 1 < n && rng.Chance(0.08)) {
      const Breeder& old = w.breeders.back();
      Breeder s;
      s.code = old.code.substr(0, 6) + "01";
      s.name = Reincorporated(old.name, rng);
      s.address = old.address;
      s.weight = 0;
      s.active_from = rng.Range(w.first_cohort, w.opt.to);
      s.years.resize(old.years.size());
      w.breeders.back().successor = static_cast<int>(w.breeders.size());
      w.breeders.push_back(std::move(s));
      ++i;
    }
  }
  Rare deleted(0.005);
  for (Breeder& b : w.breeders)
    if (b.weight > 0 && b.successor < 0 && deleted(rng)) {
      b.deleted = true;
      b.weight = 0;
    }
}

}  // namespace

void BuildPeople(World& w, Rng& rng) {
  BuildJockeys(w, rng);
  BuildTrainers(w, rng);
  BuildOwners(w, rng);
  BuildBreeders(w, rng);
}

namespace {

int CoatCode(Rng& rng) {
  static const int kCoats[] = {3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4, 1, 1, 1, 1, 5, 5, 7, 7, 2, 6};
  return rng.Chance(0.002) ? 11 : rng.Pick(kCoats);
}

// Popularity of a stallion with breeders: steep in his quality, so that a few
// stallions sire a large share of every crop.
double Popularity(double quality) {
  double p = std::max(0.1, quality + 4.0);
  double p2 = p * p, p4 = p2 * p2;
  return p4 * p4 * p2;
}

// Share of the peak crop of breeding horses born in a year before 2000.
double CropShare(int year) {
  if (year >= 2000) return 1.0;
  const double t = (2000 - year) / 25.0;
  return 1.0 / (1.0 + t + t * t / 2 + t * t * t / 6);
}

class BreedingPool {
 public:
  BreedingPool(World& w, Rng& rng) : w_(w), rng_(rng) {}

  int Add(BreedingHorse h) {
    h.number = (h.sex == '1' ? "11" : "12") + Digits(h.sex == '1' ? ++stallions_ : ++mares_, 8);
    w_.breeding.push_back(std::move(h));
    const int i = static_cast<int>(w_.breeding.size()) - 1;
    by_year_[w_.breeding.back().birth_year].push_back(i);
    return i;
  }

  // A synthetic breeding horse of a year before the first foal crop, or an import.
  int Synthetic(int year, char sex, bool imported) {
    BreedingHorse h;
    h.birth_year = year;
    h.sex = sex;
    h.imported = imported;
    h.quality = rng_.Normal() + (imported ? 0.3 : 0.0);
    h.coat = CoatCode(rng_);
    h.name = HorseName(rng_, 9);
    h.birthplace = Birthplace(rng_, imported);
    h.first_foal_year = year + (imported ? rng_.Range(4, 7) : rng_.Range(4, 5));
    SireAndDam(year, h.sire, h.dam);
    if (imported)
      h.pedigree = Digits(year, 4) + "12" + Digits(++imported_serial_[year], 4);
    else if (year >= 1975)
      h.pedigree = Digits(year, 4) + "10" + Digits(++native_serial_[year], 4);
    else
      h.pedigree = std::string(10, ' ');
    return Add(std::move(h));
  }

  // Picks a sire and a dam for a horse born in `year`; -1 when none stands.
  void SireAndDam(int year, int& sire, int& dam) {
    const WeightedPicker& sires = SiresFor(year);
    sire = sires.empty() ? -1 : sire_ids_[sires.Pick(rng_)];
    dam = PickDam(year);
  }

  const WeightedPicker& SiresFor(int year) {
    if (picker_year_ != year) {
      picker_year_ = year;
      sire_ids_.clear();
      std::vector<double> weights;
      for (int y = year - 24; y <= year - 4; ++y) {
        auto it = by_year_.find(y);
        if (it == by_year_.end()) continue;
        for (int i : it->second) {
          const BreedingHorse& h = w_.breeding[static_cast<size_t>(i)];
          if (h.sex != '1' || h.first_foal_year > year) continue;
          sire_ids_.push_back(i);
          // Breeders favour young stallions a little.
          weights.push_back(Popularity(h.quality) * (year - h.birth_year < 14 ? 1.0 : 0.5));
        }
      }
      sires_.Reset(weights);
    }
    return sires_;
  }

  int PickDam(int year) {
    int lo = year - 20, hi = year - 4, best = -1;
    for (int attempt = 0; attempt < 24; ++attempt) {
      const int y = rng_.Range(lo, hi);
      auto it = by_year_.find(y);
      if (it == by_year_.end() || it->second.empty()) continue;
      const int i = rng_.Pick(it->second);
      BreedingHorse& h = w_.breeding[static_cast<size_t>(i)];
      if (h.sex != '2' || h.first_foal_year > year) continue;
      best = i;
      if (h.last_foal_year < year) break;
    }
    if (best >= 0) {
      w_.breeding[static_cast<size_t>(best)].last_foal_year = year;
      ++w_.breeding[static_cast<size_t>(best)].foals;
    }
    return best;
  }

  int NextNativeSerial(int year) { return ++native_serial_[year]; }

 private:
  World& w_;
  Rng& rng_;
  int stallions_ = 0, mares_ = 0;
  std::map<int, std::vector<int>> by_year_;
  std::map<int, int> native_serial_, imported_serial_;
  int picker_year_ = 0;
  std::vector<int> sire_ids_;
  WeightedPicker sires_;
};

struct CohortPickers {
  WeightedPicker breeders, owners, trainers;
  std::vector<int> trainer_ids;
};

int BreederCodeFor(const World& w, int farm, int year) {
  int b = farm;
  while (
      w.breeders[static_cast<size_t>(b)].successor >= 0 &&
      w.breeders[static_cast<size_t>(w.breeders[static_cast<size_t>(b)].successor)].active_from <=
          year)
    b = w.breeders[static_cast<size_t>(b)].successor;
  return b;
}

void TrainerPicker(const World& w, int day, CohortPickers& p) {
  std::vector<double> weights;
  p.trainer_ids.clear();
  for (size_t i = 0; i < w.trainers.size(); ++i) {
    const Person& t = w.trainers[i];
    if (t.skill <= 0 || t.licence_day > day || (t.end_day != 0 && t.end_day < day + 500)) continue;
    p.trainer_ids.push_back(static_cast<int>(i));
    weights.push_back(t.skill);
  }
  p.trainers.Reset(weights);
}

void Cohort(World& w, BreedingPool& pool, Rng& rng, int year, CohortPickers& pick) {
  const int n = w.sp.cohort;
  const int first_index = static_cast<int>(w.horses.size());
  const int registration_year = year + 2;
  TrainerPicker(w, DaysFromCivil(std::max(registration_year, w.sim_from_year), 4, 1), pick);
  int foreign_serial = 0;
  for (int k = 0; k < n; ++k) {
    Horse h;
    h.foreign_bred = rng.Chance(0.04);
    h.birth_year = year;
    h.birth_day = h.foreign_bred ? DayIn(rng, year, 1, 5) : DayIn(rng, year, 2, 5);
    h.pedigree = h.foreign_bred ? Digits(year, 4) + "110" + Digits(++foreign_serial, 3)
                                : Digits(year, 4) + "10" + Digits(pool.NextNativeSerial(year), 4);
    pool.SireAndDam(year, h.sire, h.dam);
    h.sex = rng.Chance(0.5) ? '1' : '2';
    h.coat = CoatCode(rng);
    h.symbol = h.foreign_bred ? 3 : rng.Chance(0.03) ? 1 : rng.Chance(0.04) ? 2 : 0;
    h.name = HorseName(rng, 9);
    h.birthplace = Birthplace(rng, h.foreign_bred);
    const double sq = h.sire >= 0 ? w.breeding[static_cast<size_t>(h.sire)].quality : 0;
    const double dq = h.dam >= 0 ? w.breeding[static_cast<size_t>(h.dam)].quality : 0;
    h.ability = 0.35 * sq + 0.25 * dq + 0.85 * rng.Normal();
    h.surface = rng.Chance(0.5) ? 0 : 1;
    static const int kStyles[] = {1, 2, 2, 2, 3, 3, 3, 4, 4};
    h.style = rng.Pick(kStyles);
    h.best_distance = 1100 + 100 * rng.Range(0, 14);
    h.body_weight = (h.sex == '2' ? 445 : 475) + rng.Range(-35, 35);
    h.breeder = BreederCodeFor(w, static_cast<int>(pick.breeders.Pick(rng)), year);
    h.offspring = !h.foreign_bred && year >= w.opt.from - 5;
    h.registered = registration_year <= w.opt.to && (h.foreign_bred || rng.Chance(0.93));
    if (h.registered) {
      h.registration_day = DayIn(rng, registration_year, 3, 6);
      h.trainer = pick.trainer_ids.empty() ? 0 : pick.trainer_ids[pick.trainers.Pick(rng)];
      h.owner = static_cast<int>(pick.owners.Pick(rng));
      // Most debut in the second half of their second year, the rest the next spring.
      h.debut_day = rng.Chance(0.7) ? DayIn(rng, registration_year, 6, 12)
                                    : DayIn(rng, registration_year + 1, 1, 7);
      h.ready_day = h.debut_day;
    }
    if (h.sex == '1' && rng.Chance(0.1)) h.sex = '3';
    if (h.sex == '2' && rng.Chance(0.4)) h.stud_year = year + rng.Range(4, 5);
    w.horses.push_back(std::move(h));
  }
  // The best colts of the crop stand at stud after their racing days.
  std::vector<int> colts;
  for (int i = first_index; i < static_cast<int>(w.horses.size()); ++i)
    if (w.horses[static_cast<size_t>(i)].sex == '1') colts.push_back(i);
  std::sort(colts.begin(), colts.end(), [&](int a, int b) {
    return w.horses[static_cast<size_t>(a)].ability > w.horses[static_cast<size_t>(b)].ability;
  });
  const size_t top = std::max<size_t>(1, static_cast<size_t>(n) * 4 / 1000);
  for (size_t i = 0; i < std::min(top, colts.size()); ++i)
    w.horses[static_cast<size_t>(colts[i])].stud_year = year + rng.Range(4, 5);
  for (int i = first_index; i < static_cast<int>(w.horses.size()); ++i) {
    Horse& h = w.horses[static_cast<size_t>(i)];
    if (h.stud_year == 0) continue;
    BreedingHorse b;
    b.birth_year = year;
    b.sex = h.sex == '2' ? '2' : '1';
    b.sire = h.sire;
    b.dam = h.dam;
    b.horse = i;
    b.quality = h.ability;
    b.coat = h.coat;
    b.name = h.name;
    b.pedigree = h.pedigree;
    b.birthplace = h.birthplace;
    b.first_foal_year = h.stud_year + 2;
    h.breeding = pool.Add(std::move(b));
  }
}

}  // namespace

void BuildBreedingAndFoals(World& w, Rng& rng) {
  BreedingPool pool(w, rng);
  CohortPickers pick;
  {
    std::vector<double> weights;
    for (const Breeder& b : w.breeders) weights.push_back(b.weight);
    pick.breeders.Reset(weights);
    weights.clear();
    for (const Owner& o : w.owners) weights.push_back(o.weight);
    pick.owners.Reset(weights);
  }
  const int last_breeding_year = w.opt.to - 3;
  for (int year = 1860; year <= w.opt.to; ++year) {
    if (year < w.first_cohort) {
      const int mares = std::max(2, static_cast<int>(w.sp.mare_peak * CropShare(year) + 0.5));
      const int stallions =
          std::max(1, static_cast<int>(w.sp.stallion_peak * CropShare(year) + 0.5));
      for (int i = 0; i < stallions; ++i) pool.Synthetic(year, '1', rng.Chance(0.3));
      for (int i = 0; i < mares; ++i) pool.Synthetic(year, '2', rng.Chance(0.05));
      continue;
    }
    Cohort(w, pool, rng, year, pick);
    if (year <= last_breeding_year) {
      for (int i = 0; i < std::max(1, w.sp.stallion_peak * 6 / 100); ++i)
        pool.Synthetic(year, '1', true);
      for (int i = 0; i < std::max(1, w.sp.mare_peak * 6 / 100); ++i)
        pool.Synthetic(year, '2', true);
    }
  }
}

void BuildSales(World& w, Rng& rng) {
  // Markets: 0 select (foals and yearlings), 1 selection, 2 summer, 3 autumn,
  // 4 Chiba (two-year-olds), 5 training sale (two-year-olds), 6 Kyushu yearlings.
  struct MarketPlan {
    int market, organiser, age, month, length_days, base_man;
  };
  static const MarketPlan kPlans[] = {
      {0, 0, 0, 7, 2, 3000}, {0, 0, 1, 7, 2, 2500}, {1, 1, 1, 7, 1, 1200}, {2, 1, 1, 8, 6, 400},
      {3, 1, 1, 10, 4, 250}, {4, 2, 2, 4, 1, 700},  {5, 1, 2, 5, 1, 500},  {6, 3, 1, 9, 1, 300}};
  static const double kShares[] = {0.2, 0.12, 0.12, 0.3, 0.1, 0.04, 0.06, 0.06};
  WeightedPicker plans(std::vector<double>(std::begin(kShares), std::end(kShares)));
  std::vector<int> candidates;
  for (size_t i = 0; i < w.horses.size(); ++i)
    if (InHorseFile(w, w.horses[i]) && !w.horses[i].foreign_bred)
      candidates.push_back(static_cast<int>(i));
  if (candidates.empty()) return;
  const size_t target = static_cast<size_t>(w.sp.sales);
  for (size_t attempt = 0; w.sales.size() < target && attempt < target * 3; ++attempt) {
    const int hi = candidates[rng.Below(static_cast<uint32_t>(candidates.size()))];
    const Horse& h = w.horses[static_cast<size_t>(hi)];
    const MarketPlan& first = kPlans[plans.Pick(rng)];
    // Some foals are offered again as yearlings.
    const int offers = first.age == 0 && rng.Chance(0.15) ? 2 : 1;
    for (int r = 0; r < offers; ++r) {
      const MarketPlan& p = r == 0 ? first : kPlans[3];
      Sale s;
      s.horse = hi;
      s.market = p.market;
      s.organiser = p.organiser;
      s.age = p.age;
      const int year = h.birth_year + s.age;
      s.start_day = DaysFromCivil(year, p.month, 1) + rng.Range(0, 20);
      s.end_day = s.start_day + p.length_days - 1;
      if (s.end_day >= w.as_of) break;
      const double sire_q = h.sire >= 0 ? w.breeding[static_cast<size_t>(h.sire)].quality : 0;
      double man = p.base_man * (0.2 + rng.Unit() * 1.8) * std::max(0.2, 1.0 + 0.5 * sire_q);
      if (rng.Chance(0.02)) man *= 6;
      s.price = static_cast<int64_t>(man / 10 + 1) * 100000;
      w.sales.push_back(s);
    }
  }
}

}  // namespace volq::gen
