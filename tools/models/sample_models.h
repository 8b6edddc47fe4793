#pragma once
// Sample category-weight models: made-up weights, not fitted ones, so that
// factors 17 and 29 of the sample data score against a full-size model. For
// one course type ("Siba", "Dirt", "Shog") the model takes the category lists
// and counts a categorisation wrote into the data directory and gives every
// category of every column a weight of a thirtieth of the course's mean speed
// (from the categorisation's speed data set) moved by a small offset that a
// hash of column and category position fixes: the same categorisation gives
// the same bytes. The five files go into OPTION1N in the shapes the category
// window loads.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fs/data_dir.h"

namespace volq::models {

// The three models, in the order of their weight files (the catalogue's
// CourseFile names each speed's data set and weight file).
enum Speed { kAgari = 0, kPace = 1, kSoha = 2 };

// The weight of category j of column k for a course whose mean speed is mean.
float SampleWeight(int speed, int k, int32_t j, double mean);

struct SampleModel {
  std::array<int32_t, 31> count{};      // count[k], k = 1..30
  std::vector<std::string> categories;  // column 1's, then 2's, ... 30's
  std::array<double, 3> mean{};         // km/h, over the records with a speed
};

// Reads what the categorisation of course type word wrote; a missing or
// malformed file raises a Failure naming it.
SampleModel ReadCategorisation(DataDir& dir, const std::string& word);

// Writes the model's five files into OPTION1N; a Failure names the file.
void WriteSampleModel(DataDir& dir, const std::string& word, const SampleModel& m);

}  // namespace volq::models
