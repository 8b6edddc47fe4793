#pragma once
// The synthetic racing world behind a record source: breeding horses over many
// generations, foal crops, racehorses, people and organisations, and the races
// they run, simulated day by day. The records are written from this model
// afterwards (emit_*.cpp), so that every cross-reference holds by construction.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/gen/names.h"
#include "tools/gen/rng.h"

namespace volq::gen {

enum class Scale { Small, Full };

struct Options {
  uint64_t seed = 1;
  Scale scale = Scale::Small;
  int from = 2018;  // first year delivered
  int to = 2026;    // last year delivered
};

// Sizes of one scale.
struct ScaleParams {
  int weekends_per_year;  // racing weekends drawn per year; 0 = the whole calendar
  int venues_per_day;     // at most 3
  int races_per_day;      // 12, or fewer cards drawn from the twelve
  int cohort;             // horses born per year
  int jockeys, trainers, breeders, owners;
  int mare_peak, stallion_peak;  // breeding horses born per year at the peak
  int sales;
};
ScaleParams ParamsOf(Scale scale);

// Six placing counts: 1st to 5th and unplaced.
struct Counts6 {
  std::array<int32_t, 6> c{};
  void Add(int placing) { ++c[placing >= 1 && placing <= 5 ? placing - 1 : 5]; }
  void operator+=(const Counts6& o) {
    for (int i = 0; i < 6; ++i) c[i] += o.c[i];
  }
};

// One year of a jockey's or trainer's results (central races only).
struct PersonYear {
  Counts6 flat, jump;
  std::array<Counts6, 20> venue_surface;  // venue 1-10, turf then dirt
  std::array<Counts6, 6> distance;        // turf <=1600, <=2200, >2200, then dirt
  std::array<int64_t, 4> prize{};         // flat main, jump main, flat added, jump added
  void operator+=(const PersonYear& o);
};

// One year of a breeder's or owner's results.
struct OrgYear {
  int64_t main = 0, added = 0;
  Counts6 counts;
  void operator+=(const OrgYear& o) {
    main += o.main;
    added += o.added;
    counts += o.counts;
  }
};

struct BreedingHorse {
  int birth_year = 0;
  char sex = '2';
  int sire = -1, dam = -1;  // indices into World::breeding, -1 unknown
  int horse = -1;           // the racehorse it was, when it raced here
  bool imported = false;
  double quality = 0;
  int first_foal_year = 0;
  int last_foal_year = 0;
  int foals = 0;
  int coat = 3;
  std::string number;    // breeding number, 10 digits
  std::string pedigree;  // pedigree number or blanks
  NameForms name;
  std::string_view birthplace;
};

struct Horse {
  std::string pedigree;  // birth year + 6 digits
  int birth_day = 0, birth_year = 0;
  char sex = '1';  // 1 colt, 2 filly, 3 gelding
  int coat = 3;
  int symbol = 0;
  int sire = -1, dam = -1;  // breeding horses
  int breeder = -1, trainer = -1, owner = -1;
  bool foreign_bred = false;
  bool registered = false;  // has a horse record (foals that never raced on the flat do not)
  bool offspring = false;   // has an offspring record
  NameForms name;
  std::string_view birthplace;
  double ability = 0;
  int surface = 0;  // 0 turf, 1 dirt
  int style = 2;    // 1 leader .. 4 closer
  int best_distance = 1600;
  int body_weight = 470;
  // Racing state of the simulation.
  int cls = 0;  // 0 unraced, 1 maiden, 2-4 one to three wins, 5 open
  bool jumper = false;
  int jump_cls = 0;  // 0 maiden over jumps, 1 open
  int ready_day = 0;
  uint32_t version = 0;
  bool retired = false;
  int retire_day = 0;
  int stud_year = 0;  // leaves racing at the end of this year for the stud
  int breeding = -1;  // breeding horse it became
  int starts = 0;
  int last_race_day = 0;
  int last_body_weight = 0;
  int registration_day = 0;
  int debut_day = 0;
  int first_entry_slot = 0;  // entries of this horse: horse_entries[first .. first+count)
  int entry_count = 0;
};

// Jockeys and trainers.
struct Person {
  std::string code;  // 5 digits
  PersonName name;
  char sex = '1';
  int affiliation = 1;                              // 1 east, 2 west, 3 local, 4 abroad
  int region = -1;                                  // invitation region for 3 and 4
  int licence_day = 0, end_day = 0, birth_day = 0;  // end_day 0: still licensed
  double skill = 1;
  bool jump_rider = false;
  bool flat_rider = true;
  int stable = -1;  // trainer of a jockey's stable
  bool deleted = false;
  std::vector<PersonYear> years;                          // from the first simulated year
  int first_ride[2] = {-1, -1}, first_win[2] = {-1, -1};  // entries: flat, jump
  std::vector<int> graded_wins;                           // entries, oldest first
  int last_activity_day = 0;
  int wins = 0;
};

struct Breeder {
  std::string code;  // 8 characters; re-registered farms share the first 6
  OrgName name;
  std::string_view address;
  double weight = 1;
  int active_from = 0;  // a re-registered code is used for foals from this year on
  int successor = -1;   // the newer code of the same farm
  bool deleted = false;
  std::vector<OrgYear> years;
  int last_activity_day = 0;
};

struct Owner {
  std::string code;  // 6 digits
  OrgName name;
  std::string colours;
  double weight = 1;
  bool deleted = false;
  std::vector<OrgYear> years;
  int last_activity_day = 0;
};

enum RaceClass { kNewcomer = 0, kMaiden, kOneWin, kTwoWins, kThreeWins, kOpen };

struct Race {
  int day = 0;
  int venue = 0;  // 1-10 central; local and overseas courses above
  std::string venue_code;
  int meeting = 1, day_of_meeting = 1, number = 1;
  char weekday = '1';
  char kind = '7';       // 7 run, A local, B overseas, 2 not yet run, 9 abandoned
  bool early = false;    // also delivered as 1 and 2 before its result
  bool visible = false;  // inside the delivered years
  bool bogus = false;    // a key delivered by mistake and deleted afterwards
  int withdrawn = -1;    // a horse declared, then deleted before the draw
  int age_kind = 13;     // 11 two-year-olds .. 19 jumps four and up
  int age_index = 2;     // index into the condition-name age texts
  int category = kOneWin;
  char grade = ' ';
  bool jump = false;
  int surface = 0;
  int distance = 1600;
  int track = 17;
  char course = 'A';
  char weight_rule = '3';
  int registered = 0, starters = 0, finishers = 0;
  int field_total = 0;  // starters of a local or overseas race, ours and theirs
  int weather = 1, turf_going = 1, dirt_going = 1;
  int post_time = 950;
  std::array<int, 7> prize{};
  std::array<int, 5> added{};
  std::array<int, 25> laps{};
  int winner_time = 0, first3f = 0, first4f = 0, last3f = 0, last4f = 0;
  int jump_mile = 0;
  int first_entry = 0, entry_count = 0;
  int special_number = 0;
  int edition = 0;
  RaceName name;
  bool special = false;
};

struct Entry {
  int race = 0, horse = 0, jockey = 0, trainer = 0, owner = 0;
  int bracket = 0, number = 0;
  int weight = 550;        // tenths of a kilogram
  int jockey_before = -1;  // a rider replaced after the declarations
  int body_weight = 0;
  int body_change = 0;
  bool first_start = false;
  int abnormality =
      0;  // 0 none, 1 withdrawn, 2 excluded before the start, 4 did not finish, 7 demoted
  int arrival = 0, placing = 0;
  int dead_heat = 0;  // horses in the dead heat (0 none)
  int time = 0;       // tenths of a second
  int time_diff = 0;  // tenths; negative for the winner
  std::string margin = "   ";
  std::array<int, 4> corner{};
  int odds = 0, popularity = 0;
  int prize = 0, added = 0;
  int last3f = 0, last4f = 0;
  int opponent = -1;  // the winner, or the runner-up for the winner
  int style = 0;      // running style judged from the corners
  int age = 0;
  char sex = '1';
  bool blinkers = false;
  int apprentice = 0;
};

struct Sale {
  int horse = 0;
  int market = 0;
  int organiser = 0;
  int start_day = 0, end_day = 0;
  int age = 0;
  int64_t price = 0;
};

struct World {
  Options opt;
  ScaleParams sp{};
  int sim_from_year = 0;  // racing is simulated from here, delivered from opt.from
  int first_cohort = 0;
  int as_of = 0;  // day of the last delivery
  std::vector<BreedingHorse> breeding;
  std::vector<Horse> horses;
  std::vector<Person> jockeys, trainers;
  std::vector<Breeder> breeders;
  std::vector<Owner> owners;
  std::vector<Race> races;
  std::vector<Entry> entries;
  std::vector<int> horse_entries;  // entry indices grouped by horse, in race order
  std::vector<Sale> sales;
};

// Builds the whole world for the options: people, breeding, foals, racing.
void BuildWorld(const Options& opt, World& w);

// Parts of BuildWorld (population.cpp, racing.cpp).
void BuildPeople(World& w, Rng& rng);
void BuildBreedingAndFoals(World& w, Rng& rng);
void SimulateRacing(World& w, Rng& rng);
void BuildSales(World& w, Rng& rng);

// Whether a horse has a horse record: registered by the last delivery, and
// raced in the simulated years or young enough to be delivered unraced.
inline bool InHorseFile(const World& w, const Horse& h) {
  return h.registered && h.registration_day <= w.as_of &&
         (h.entry_count > 0 || h.birth_year >= w.opt.from - 4);
}

// Index of the distance class of the results blocks: 0-2 turf, 3-5 dirt.
inline int DistanceClass(int surface, int distance) {
  return surface * 3 + (distance <= 1600 ? 0 : distance <= 2200 ? 1 : 2);
}

}  // namespace volq::gen
