// Reading a categorisation for the sample models: what it takes from the
// files, and the faults in them that stop a model from being written.
#include "tools/models/sample_models.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/fs/file_failure.h"
#include "platform/fs/text_list.h"

namespace volq::models {
namespace {

namespace fs = std::filesystem;

// A turf categorisation of two records: column 1 has the categories "1600A"
// and "1200B", the other columns none. The second record ran without a time.
struct Categorisation {
  int64_t records = 2;
  int64_t columns = 30;
  std::vector<std::string> categories{"1600A", "1200B"};
  std::vector<std::string> speeds{"60.5", "0"};

  void Write(const fs::path& dir) const {
    auto header = [&](TextListWriter& w) {
      w.Number(records).Number(columns).EndLine();
      w.Number(2).EndLine();
      for (int k = 2; k <= 30; ++k) w.Number(0).EndLine();
    };
    TextListWriter totals(dir / "QA1SibaTotalData201801N2024.dat");
    header(totals);
    totals.Close();
    TextListWriter list(dir / "SibaItemCategory201801N2024.dat");
    for (const std::string& c : categories) list.String(c).EndLine();
    list.Close();
    for (const char* s : {"Agari", "Pace", "Soha"}) {
      TextListWriter w(dir / ("QA1Siba" + std::string(s) + "Data201801N2024.dat"));
      header(w);
      for (const std::string& v : speeds) {
        w.Raw(v);
        for (int k = 1; k <= 30; ++k) w.Number(k == 1 ? 1 : 0);
        w.EndLine();
      }
      w.Close();
    }
  }
};

TEST(SampleModels, ReadsCountsCategoriesAndTheMeanOfTimedSpeeds) {
  const fs::path dir = fs::temp_directory_path() / "volq_sample_models_read";
  fs::remove_all(dir);
  fs::create_directories(dir);
  Categorisation().Write(dir);
  DataDir data(dir);
  const SampleModel m = ReadCategorisation(data, "Siba");
  EXPECT_EQ(m.count[1], 2);
  EXPECT_EQ(m.count[2], 0);
  EXPECT_EQ(m.categories, (std::vector<std::string>{"1600A", "1200B"}));
  EXPECT_DOUBLE_EQ(m.mean[kPace], 60.5);
  fs::remove_all(dir);
}

TEST(SampleModels, AFaultyCategorisationIsAFailureNamingItsFile) {
  struct Case {
    const char* what;
    std::function<void(Categorisation&)> spoil;
    const char* file;  // the file the failure names
    bool removed;      // the file is not written at all
  };
  const Case cases[] = {
      {"not 30 columns", [](Categorisation& c) { c.columns = 31; },
       "QA1SibaTotalData201801N2024.dat", false},
      {"fewer categories than counted", [](Categorisation& c) { c.categories.pop_back(); },
       "SibaItemCategory201801N2024.dat", false},
      {"more categories than counted", [](Categorisation& c) { c.categories.push_back("1000C"); },
       "SibaItemCategory201801N2024.dat", false},
      {"a speed that is not a number", [](Categorisation& c) { c.speeds[1] = "fast"; },
       "QA1SibaAgariData201801N2024.dat", false},
      {"a speed data set cut short", [](Categorisation& c) { c.records = 3; },
       "QA1SibaAgariData201801N2024.dat", false},
      {"no speed data set", [](Categorisation&) {}, "QA1SibaSohaData201801N2024.dat", true},
  };
  const fs::path dir = fs::temp_directory_path() / "volq_sample_models_faults";
  for (const Case& c : cases) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    Categorisation cat;
    c.spoil(cat);
    cat.Write(dir);
    if (c.removed) fs::remove(dir / c.file);
    DataDir data(dir);
    try {
      ReadCategorisation(data, "Siba");
      ADD_FAILURE() << c.what << ": read without a failure";
    } catch (const Failure& e) {
      EXPECT_NE(std::string(e.what()).find(c.file), std::string::npos)
          << c.what << ": " << e.what();
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace volq::models
