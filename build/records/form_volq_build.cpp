#include "build/records/form_volq_build.h"

#include "build/records/breeding_step.h"
#include "build/records/horse_step.h"
#include "build/records/jockey_step.h"
#include "build/records/new_file.h"
#include "build/step/step_runner.h"
#include "build/records/trainer_step.h"
#include "platform/ui/cp932.h"

namespace volq {

const BuildButton kBuildButtons[16] = {
    {"Command1", "RA(レース）"},   {"Command2", "SE(詳細)"},       {"Command3", "UM(競走馬)"},
    {"Command12", "KS(騎手）"},    {"Command14", "CH/BR/BN"},      {"Command7", "HN（繁殖）"},
    {"Command4", "SK（母産駒）"},  {"Command5", "SK（父産駒）"},   {"Command11", "SK/HN"},
    {"Command6", "SE/UM"},         {"Command15", "SE/KS"},         {"Command8", "血統Q、騎手"},
    {"Command9", "VOLQNQ4DEXPD"},  {"Command13", "着差"},          {"Command10", "CATEGORY2006"},
    {"Command16", ""},
};

FormVolqBuild::FormVolqBuild(DataDir& dir, FormVolqBuildWiring wiring)
    : Window("FormVolqBuild", Cp932("VOLQNQ4DPROJECT 20180101SETUPC")),
      dir_(dir),
      wiring_(std::move(wiring)) {
  std::map<std::string, StepFn> defaults = {
      {"Command1", RaceStep},
      {"Command2", RaceEntryStep},
      {"Command3", HorseStep},
      {"Command7", BreedingHorseStep},
      {"Command12", JockeyStep},
      {"Command14", TrainerBreederOwnerStep},
  };
  for (auto& [name, fn] : defaults) wiring_.steps.emplace(name, fn);

  for (const BuildButton& b : kBuildButtons) {
    auto* button = static_cast<CommandButton*>(Find(b.name));
    button->Caption = Cp932(b.caption);
  }
  Command1.OnClick = [this] { Command1_Click(); };
  Command2.OnClick = [this] { Command2_Click(); };
  Command3.OnClick = [this] { Command3_Click(); };
  Command4.OnClick = [this] { Command4_Click(); };
  Command5.OnClick = [this] { Command5_Click(); };
  Command6.OnClick = [this] { Command6_Click(); };
  Command7.OnClick = [this] { Command7_Click(); };
  Command8.OnClick = [this] { Command8_Click(); };
  Command9.OnClick = [this] { Command9_Click(); };
  Command10.OnClick = [this] { Command10_Click(); };
  Command11.OnClick = [this] { Command11_Click(); };
  Command12.OnClick = [this] { Command12_Click(); };
  Command13.OnClick = [this] { Command13_Click(); };
  Command14.OnClick = [this] { Command14_Click(); };
  Command15.OnClick = [this] { Command15_Click(); };
  Command16.OnClick = [this] { Command16_Click(); };
}

void FormVolqBuild::RunStep(const std::string& button) {
  auto it = wiring_.steps.find(button);
  RunWindowStep(*this, dir_, RecordCount, button, it == wiring_.steps.end() ? StepFn{} : it->second);
}

void FormVolqBuild::Command9_Click() {
  if (wiring_.open_extended) ShowModeless(wiring_.open_extended());
}

void FormVolqBuild::Command10_Click() {
  if (wiring_.open_category) ShowModeless(wiring_.open_category());
}

}  // namespace volq
