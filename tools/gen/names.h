#pragma once
// Names of horses, people, farms, owners, races and places as code page 932
// bytes, with their half-width katakana and Latin forms where the records
// carry them. Every text here is made of whole double-byte characters.
#include <string>
#include <string_view>

#include "tools/gen/rng.h"

namespace volq::gen {

struct NameForms {
  std::string full;   // double-byte
  std::string half;   // half-width katakana reading
  std::string latin;  // Latin letters
};

// A katakana racehorse name of 2 to max_chars characters.
NameForms HorseName(Rng& rng, int max_chars = 9);

struct PersonName {
  NameForms forms;         // surname, ideographic space, given name
  std::string short_name;  // surname and the first character of the given name
  std::string surname;
};
PersonName RandomPerson(Rng& rng);
// A foreign rider or trainer: katakana initial-dot-surname.
PersonName ForeignPerson(Rng& rng);

struct OrgName {
  NameForms forms;         // with the corporate form, if any
  std::string plain;       // without it
  std::string plain_half;  // its reading
};
// An owning company or a person (owners), a farm or a person (breeders).
OrgName OwnerName(Rng& rng);
OrgName BreederName(Rng& rng);
// The same farm under a new corporate form (a breeder that re-registered).
OrgName Reincorporated(const OrgName& old, Rng& rng);

std::string RacingColours(Rng& rng);
std::string_view Birthplace(Rng& rng, bool abroad);
std::string_view Prefecture(Rng& rng);
std::string_view InvitationRegion(int index);  // 0-9 local courses, 10-15 countries
std::string_view VenueName(int venue);         // 1-10
std::string_view VenueLatin(int venue);

struct RaceName {
  NameForms forms;  // half unused
};
RaceName SpecialRaceName(Rng& rng, int venue, bool graded, bool jump);

// "３歳以上１勝クラス" and the like: age text index 0-5, class index 0-5
// (新馬, 未勝利, １勝, ２勝, ３勝, オープン).
std::string ConditionName(int age_index, int class_index);

struct Market {
  std::string_view name, latin;
};
Market MarketOf(int index);  // 0-6
int MarketCount();
std::string_view Organiser(int index);  // 0-3

// Code page 932 text cut to at most `bytes` bytes without splitting a
// double-byte character.
std::string_view CutText(std::string_view text, size_t bytes);
// The first n double-byte characters of a text of double-byte characters.
std::string FirstChars(std::string_view text, size_t n);

inline constexpr std::string_view kUnknown = "\x95\x73\x96\xbe";  // 不明

}  // namespace volq::gen
