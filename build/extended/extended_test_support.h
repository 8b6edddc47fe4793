#pragma once
// Fixture records of the extended-record tests: source records whose every
// byte differs from its neighbours, so that a field copied from the wrong
// place shows, with the keys the build joins on set.
#include <string>
#include <string_view>

#include "common/derived_layout.h"
#include "common/record_layout.h"

namespace volq::testing {

// `length` letters that vary with the offset and `salt`, ended by CR LF
// (the record type is put over the first two).
inline std::string Patterned(int length, int salt) {
  std::string r(static_cast<size_t>(length), ' ');
  for (int i = 0; i < length; ++i) r[i] = static_cast<char>('A' + (i * 7 + salt) % 26);
  r.replace(r.size() - 2, 2, "\r\n");
  return r;
}

inline std::string& Put(std::string& r, int offset, std::string_view text) {
  r.replace(offset, text.size(), text);
  return r;
}

// A race key: racecourse, year, month-day, race number.
struct RaceKeyText {
  std::string venue = "05", year = "2024", month_day = "0105", number = "11";
};

inline std::string SetRaceKey(std::string r, const RaceKeyText& k) {
  Put(r, 11, k.year);
  Put(r, 15, k.month_day);
  Put(r, 19, k.venue);
  return Put(r, 25, k.number);
}

inline std::string EntryRec(std::string_view horse, std::string_view jockey,
                            const RaceKeyText& k = {}, int salt = 1) {
  std::string r = SetRaceKey(Patterned(kRaceEntryLength, salt), k);
  Put(r, 0, "SE");
  Put(r, 30, horse);
  return Put(r, 296, jockey);
}

inline std::string RaceRec(const RaceKeyText& k = {}, int salt = 2) {
  std::string r = SetRaceKey(Patterned(kRaceLength, salt), k);
  return Put(r, 0, "RA");
}

inline std::string HorseRecOf(std::string_view horse, std::string_view dam, int salt = 3) {
  std::string r = Patterned(kHorseLength, salt);
  Put(r, 0, "UM");
  Put(r, 11, horse);
  return Put(r, 250, dam);
}

inline std::string JockeyRecOf(std::string_view jockey, int salt = 4) {
  std::string r = Patterned(kJockeyLength, salt);
  Put(r, 0, "KS");
  return Put(r, 11, jockey);
}

inline std::string OffspringRecOf(std::string_view foal) {
  std::string r(static_cast<size_t>(kOffspringLength), ' ');
  Put(r, 0, "SK");
  Put(r, 11, foal);
  return Put(r, kOffspringLength - 2, "\r\n");
}

// A market-sale line (without its CR LF) of the horse with the given values.
inline std::string SaleLine(std::string_view horse, std::string_view code, std::string_view host,
                            std::string_view start, std::string_view price) {
  std::string r(198, ' ');
  Put(r, 0, "HS1");
  Put(r, 11, horse);
  Put(r, 45, code);
  Put(r, 51, host);
  Put(r, 91, "SALE-");
  Put(r, 96, code);
  Put(r, 171, start);
  Put(r, 179, start);
  Put(r, 187, "1");
  return Put(r, 188, price);
}

}  // namespace volq::testing
