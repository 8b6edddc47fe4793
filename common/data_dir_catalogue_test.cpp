#include "common/data_dir_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace volq {
namespace {

bool IsFolder(std::string_view name) {
  return std::find(std::begin(kDataDirFolders), std::end(kDataDirFolders), name) !=
         std::end(kDataDirFolders);
}

// Every name a step goes through is a file of the data directory or of one
// of its twelve folders, and every folder of per-entity files it writes is
// one of them: a name typed wrong in the table stops the step as a missing
// folder or input.
TEST(DataDirCatalogue, EveryButtonNamesFilesOfTheTwelveFolders) {
  std::set<std::pair<std::string_view, std::string_view>> controls;
  std::set<BuildStep> steps;
  for (const BuildButton& b : BuildButtons()) {
    SCOPED_TRACE(std::string(b.window) + " " + std::string(b.control));
    EXPECT_TRUE(controls.emplace(b.window, b.control).second) << "control listed twice";
    EXPECT_TRUE(steps.insert(b.step).second) << "step on two buttons";
    EXPECT_EQ(&ButtonOf(b.step), &b);
    for (const auto* names : {&b.walks, &b.consults, &b.writes, &b.also_reads}) {
      for (std::string_view name : *names) {
        ASSERT_FALSE(name.empty());
        const size_t slash = name.find('/');
        if (slash == std::string_view::npos) continue;
        EXPECT_TRUE(IsFolder(name.substr(0, slash))) << name;
        EXPECT_EQ(name.find('/', slash + 1), std::string_view::npos) << name;
      }
    }
  }
  EXPECT_EQ(steps.size(), static_cast<size_t>(BuildStep::StandardTimes) + 1);
  EXPECT_EQ(
      std::set<std::string_view>(std::begin(kDataDirFolders), std::end(kDataDirFolders)).size(),
      12u);
}

TEST(DataDirCatalogue, JoinedNamesAndCourseFiles) {
  EXPECT_EQ(kKyosobaFile, "OPTION1N/KYOSOBA.dat");
  EXPECT_EQ(kFolderOutput<kHorseCountFolder>, "KYOSOBA/");
  // Passed on as C strings: the joined text ends with a NUL byte.
  EXPECT_EQ(std::strlen(kDonichiFile.data()), kDonichiFile.size());
  for (const CourseKind& k : kCourseKinds) {
    EXPECT_EQ(CourseHorseList(k.word, "201801"), k.horse_list);
    EXPECT_TRUE(k.item_file.starts_with(k.word)) << k.item_file;
  }
  struct Case {
    CourseFile file;
    const char* name;
  };
  for (const Case& c : {Case{CourseFile::ItemCategory, "DirtItemCategory201801N2024.dat"},
                        Case{CourseFile::ItemCategoryCount, "DirtItemCategoryCount201801N2024.dat"},
                        Case{CourseFile::TotalData, "QA1DirtTotalData201801N2024.dat"},
                        Case{CourseFile::SohaData, "QA1DirtSohaData201801N2024.dat"},
                        Case{CourseFile::SohaWeightData, "QA1DirtSohaWeightData201801N2024.dat"}}) {
    EXPECT_EQ(CourseFileName(c.file, "Dirt"), c.name);
  }
  EXPECT_EQ(InOptionFolder("x.dat"), "OPTION1N/x.dat");
}

// What the scripts read: the folders, then the buttons in the window's order.
TEST(DataDirCatalogue, TextForScripts) {
  const std::string text = CatalogueText();
  EXPECT_TRUE(text.starts_with("folder UMAGOTOSETUP\nfolder KISHUGOTOSETUP\n")) << text;
  for (const char* line :
       {"\nfolder UMAGOTOEXSETUP\nbutton FormVolqBuild Command1 step RA(レース）\n",
        "\nbutton FormVolqBuild Command9 opens VOLQNQ4DEXPD\n",
        "\nbutton FormVolqBuild Command16 none\n",
        "\nbutton FormVOLQNQ4DEXPDSETUP2024ZZ Command2 step 表示\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
}

// A missing input's advice names the press that writes it, from the table.
TEST(DataDirCatalogue, WriteItFirstNamesThePressThatWritesAFile) {
  const struct {
    std::string_view file;
    const char* advice;
  } cases[] = {
      {"UM20180101.dat", "download first with volqfetch"},
      {"HS20180101.dat", "download first with volqfetch"},
      {"KETTONUM20180101.dat", "write it first: press Command3 (UM(競走馬))"},
      {"OPTION1N/KYOSOBA.dat", "write it first: press Command3 (UM(競走馬))"},
      {"SK20180101NEW.dat", "write it first: press Command4 (SK（母産駒）)"},
      {"KETTONUM20180101Q.dat", "write it first: press Command8 (血統Q、騎手)"},
      {"KIJUNTIME.dat",
       "write it first: press Command9 (VOLQNQ4DEXPD), then Command2 (表示) in the window it "
       "opens"},
      {"DIRT201905N.dat",
       "write it first: press Command10 (CATEGORY2006), then in the window it opens type Text1 "
       "201905, press Option2 (ダート) and Command1 (抽出)"},
      {"SHOGITEM201801N2024.dat",
       "write it first: press Command10 (CATEGORY2006), then in the window it opens press "
       "Option3 (障害) and Command4 (障因子設定)"},
      {"OPTION1N/QA1SibaTotalData201801N2024.dat", ""},  // made outside the system
      {"SIBAXN.dat", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(WriteItFirst(c.file), c.advice) << c.file;
}

}  // namespace
}  // namespace volq
