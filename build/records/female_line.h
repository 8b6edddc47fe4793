#pragma once
// The dam line of every mare among the breeding horses: the mare herself and
// her dams up the female line, 13 generations (the 12th dam by breeding number
// alone), six values each, and its list FL20180101.dat.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace volq {

inline constexpr int kFemaleLineGenerations = 13;  // the mare and 12 dams
inline constexpr int kFemaleLineValues = 6;
inline constexpr int kFemaleLinePasses = 11;

// Rows 1 to m, one per mare in NEW-file order; generation g, value k:
// 0 breeding number, 1 horse name, 2 birth year, 3 birthplace name,
// 4 sire's breeding number, 5 dam's breeding number. Each value is its field
// at its width in characters, untrimmed; an unset value is empty.
//
// A found ancestor's values 1 to 5 are those of her own row, so a row keeps
// only its own six values and, per generation, the row its values come from.
class FemaleLineTable {
 public:
  // Appends a row for the mare of a stored breeding-horse record: generation
  // 0 from her fields, value 0 of generation 1 her dam's breeding number.
  void AddMare(std::string_view rec);
  int32_t rows() const { return static_cast<int32_t>(own_.size()) - 1; }

  // The 11 passes: pass g looks up the breeding number of generation g of
  // every row among the rows' own numbers; when found, generation g takes
  // that row's values and generation g+1 its dam's breeding number.
  void RunPasses();

  std::string_view Value(int32_t r, int g, int k) const;

 private:
  struct Line {
    // Row whose dam's breeding number is value 0 of each generation (its own
    // row for generation 0 and 1 of a mare); 0 when value 0 is empty.
    std::array<int32_t, kFemaleLineGenerations> number_of{};
    // Row found for each generation (the row itself for generation 0); 0 when
    // the generation was not found.
    std::array<int32_t, kFemaleLineGenerations> found{};
  };
  // Row 0 holds no mare.
  std::vector<std::array<std::string, kFemaleLineValues>> own_{1};
  std::vector<Line> lines_{1};
};

// Writes generations 0 to 12 of rows 1 to m, six quoted values a line, to
// one list. A failed open or write raises a file Failure.
void WriteFemaleLineList(const FemaleLineTable& table, const std::filesystem::path& path);

}  // namespace volq
