#include "common/records.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/fs/file_failure.h"

namespace volq {
namespace {

struct LengthCase {
  const RecordLayout& (*layout)();
  std::span<const LayoutEntry> table;
  const char* type;
  int delivered;
  int stored;
};

// The flattened layouts the download parses and packs by, against the
// compile-time tables the steps read fields by.
TEST(RecordLayout, LengthsOfEveryTypeAndFieldsWhereTheTableHasThem) {
  const LengthCase cases[] = {
      {RaceLayout, kRaceTable, "RA", 1272, 1272},
      {RaceEntryLayout, kRaceEntryTable, "SE", 555, 555},
      {HorseLayout, kHorseTable, "UM", 1609, 1609},
      {BreedingHorseLayout, kBreedingHorseTable, "HN", 251, 251},
      {JockeyLayout, kJockeyTable, "KS", 4173, 4161},
      {OffspringLayout, kOffspringTable, "SK", 208, 208},
      {TrainerLayout, kTrainerTable, "CH", 3862, 3850},
      {BreederLayout, kBreederTable, "BR", 545, 545},
      {OwnerLayout, kOwnerTable, "BN", 477, 477},
      {MarketSaleLayout, kMarketSaleTable, "HS", 200, 200},
  };
  for (const auto& c : cases) {
    const RecordLayout& l = c.layout();
    EXPECT_EQ(l.type(), c.type);
    EXPECT_EQ(l.delivered_length(), c.delivered) << c.type;
    EXPECT_EQ(l.stored_length(), c.stored) << c.type;
    EXPECT_EQ(LayoutOf(c.type), &l);
    // Every layout ends with its CR LF.
    EXPECT_EQ(l.fields().back().offset, c.stored - 2) << c.type;
    int delivered = 0;
    for (const Field& f : l.fields()) {
      const Slice s = layout_detail::Find(c.table, 0, f.name);
      EXPECT_EQ(s.offset, f.offset) << c.type << " " << f.name;
      EXPECT_EQ(s.length, f.width) << c.type << " " << f.name;
      EXPECT_EQ(f.delivered_offset, delivered) << c.type << " " << f.name;
      delivered += f.delivered_width;
    }
  }
  EXPECT_EQ(LayoutOf("TK"), nullptr);
}

struct OffsetCase {
  const RecordLayout& (*layout)();
  const char* field;
  int offset;
  int width;
};

TEST(RecordLayout, StoredOffsetsThatStepsCite) {
  const OffsetCase cases[] = {
      {HorseLayout, "pedigree_number", 11, 10},
      {HorseLayout, "style[0]", 1592, 3},
      {HorseLayout, "prize[0]", 1052, 9},
      {HorseLayout, "overall.count[0]", 1106, 3},
      {HorseLayout, "ancestor[0].breeding_number", 204, 10},
      {HorseLayout, "ancestor[1].breeding_number", 250, 10},
      {HorseLayout, "breeder_code", 882, 8},
      {HorseLayout, "registered_races", 1604, 3},
      {HorseLayout, "distance[0].count[0]", 1484, 3},
      {JockeyLayout, "results[0].year", 1015, 4},
      {JockeyLayout, "results[1].year", 2063, 4},
      {JockeyLayout, "results[2].year", 3111, 4},
      {JockeyLayout, "results[0].prize[1]", 1028, 9},
      {JockeyLayout, "results[0].flat.count[0]", 1055, 6},
      {JockeyLayout, "results[0].venue_surface[0].count[0]", 1127, 6},
      {JockeyLayout, "results[0].distance[0].count[0]", 1847, 6},
      {TrainerLayout, "results[0].year", 704, 4},
      {TrainerLayout, "results[1].year", 1752, 4},
      {TrainerLayout, "results[2].year", 2800, 4},
      {TrainerLayout, "results[0].prize[1]", 717, 9},
      {RaceEntryLayout, "jockey_code", 296, 5},
      {RaceEntryLayout, "arrival_order", 332, 2},
      {RaceEntryLayout, "pedigree_number", 30, 10},
      {RaceEntryLayout, "opponent[0].pedigree_number", 393, 10},
      {RaceEntryLayout, "time_difference", 531, 4},
      {RaceLayout, "race.race_number", 25, 2},
      {RaceLayout, "distance", 697, 4},
      {RaceLayout, "track", 705, 2},
      {RaceLayout, "corner[0].corner", 981, 1},
      {RaceLayout, "last4f", 978, 3},
      {BreedingHorseLayout, "dam_breeding_number", 239, 10},
      {OffspringLayout, "ancestor[1]", 76, 10},
      {BreederLayout, "results[0].year", 423, 4},
      {BreederLayout, "results[1].main_prize", 487, 10},
      {OwnerLayout, "results[0].year", 355, 4},
      {OwnerLayout, "colours", 295, 60},
      {MarketSaleLayout, "price", 188, 10},
  };
  for (const auto& c : cases) {
    const Field& f = c.layout().field(c.field);
    EXPECT_EQ(f.offset, c.offset) << c.field;
    EXPECT_EQ(f.width, c.width) << c.field;
  }
  EXPECT_EQ(JockeyLayout().field("results[1].year").delivered_offset, 2067);
  EXPECT_THROW(HorseLayout().field("no_such_field"), Failure);
}

// A delivered text of the layout's length: digits, ASCII and double-byte
// (code page 932) characters, ending in CR LF.
std::string DeliveredText(const RecordLayout& l, unsigned seed) {
  std::mt19937 rng(seed);
  std::string t;
  for (const Field& f : l.fields()) {
    std::string v;
    if (f.name == "crlf") {
      v = "\r\n";
    } else if (f.name == "header.record_type") {
      v = l.type();
    } else {
      while (static_cast<int>(v.size()) < f.delivered_width) {
        int room = f.delivered_width - static_cast<int>(v.size());
        if (room >= 2 && rng() % 3 == 0) {
          v += "\x83\x41";  // katakana A
        } else {
          v += static_cast<char>('0' + rng() % 10);
        }
      }
    }
    t += v;
  }
  return t;
}

TEST(Records, StoredEqualsDeliveredForEqualLengthTypes) {
  for (const char* type : {"RA", "SE", "UM", "HN", "SK", "BR", "BN"}) {
    const RecordLayout& l = *LayoutOf(type);
    std::string text = DeliveredText(l, 7);
    ASSERT_EQ(static_cast<int>(text.size()), l.delivered_length());
    EXPECT_EQ(StoreDelivered(l, text), text) << type;
  }
}

TEST(Records, JockeyAndTrainerLoseTheLastDigitOfEachPrizeTotal) {
  for (const char* type : {"KS", "CH"}) {
    const RecordLayout& l = *LayoutOf(type);
    std::string text = DeliveredText(l, 11);
    // Build the expected stored bytes by dropping the 10th digit of every
    // narrowed field and nothing else.
    std::string expected;
    int narrowed = 0;
    for (const Field& f : l.fields()) {
      expected += text.substr(f.delivered_offset, f.width);
      if (f.width != f.delivered_width) ++narrowed;
    }
    EXPECT_EQ(narrowed, 12) << type;
    std::string stored = StoreDelivered(l, text);
    EXPECT_EQ(stored, expected) << type;
    EXPECT_EQ(static_cast<int>(stored.size()), l.stored_length());
  }
  // The typed routines do the same.
  std::string text = DeliveredText(JockeyLayout(), 3);
  text.replace(1019, 10, "0001234567");
  JockeyParsed p;
  ParseKS(text, p);
  EXPECT_EQ(p.Get("results[0].prize[0]"), "0001234567");
  JockeyRecord r;
  PackKS(p, r);
  EXPECT_EQ((Slice{1019, 9}.Of(r.bytes)), "000123456");
  EXPECT_EQ((Slice{1028, 9}.Of(r.bytes)), text.substr(1029, 9));
}

TEST(Records, ShortAndEmptyTexts) {
  HorseParsed p;
  ParseUM("UM7202401012019105", p);
  EXPECT_EQ(p.Get("pedigree_number"), "2019105");
  EXPECT_EQ(p.Get("birth_date"), "");
  HorseRecord r;
  PackUM(p, r);
  EXPECT_EQ(r.bytes.size(), 1609u);
  EXPECT_EQ(r.bytes.substr(0, 18), "UM7202401012019105");
  EXPECT_EQ(r.bytes.substr(18), std::string(1609 - 18, ' '));

  OwnerParsed e;
  ParseBN("", e);
  for (const auto& f : e.fields) EXPECT_EQ(f, "");
  OwnerRecord er;
  PackBN(e, er);
  EXPECT_EQ(er.bytes, std::string(477, ' '));

  // A longer text has its excess ignored.
  std::string text = DeliveredText(OffspringLayout(), 5);
  EXPECT_EQ(StoreDelivered(OffspringLayout(), text + "EXTRA"), text);

  MarketSaleParsed hs;
  ParseHS(DeliveredText(MarketSaleLayout(), 9), hs);
  EXPECT_EQ(hs.Get("header.record_type"), "HS");
  EXPECT_EQ(hs.Get("price").size(), 10u);
}

TEST(MidBytes, AdvancesByTheFullLength) {
  int32_t pos = 1;
  EXPECT_EQ(MidBytes("abcdef", pos, 4), "abcd");
  EXPECT_EQ(pos, 5);
  EXPECT_EQ(MidBytes("abcdef", pos, 4), "ef");
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(MidBytes("abcdef", pos, 3), "");
  EXPECT_EQ(pos, 12);
  int32_t big = 2147483640;
  EXPECT_THROW(MidBytes("abc", big, 10), Failure);
}

}  // namespace
}  // namespace volq
