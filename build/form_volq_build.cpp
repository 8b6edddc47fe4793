#include "build/form_volq_build.h"

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "build/entities/entity_files.h"
#include "build/entities/margin_step.h"
#include "build/entities/offspring_step.h"
#include "build/entities/recent_horses.h"
#include "build/extended/form_volqnq4dexpdsetup2024zz.h"
#include "build/factors/form_categorysetup2024zz.h"
#include "build/records/breeding_step.h"
#include "build/records/horse_step.h"
#include "build/records/jockey_step.h"
#include "build/records/new_file.h"
#include "build/records/trainer_step.h"
#include "platform/base/ascii_case.h"
#include "platform/text/cp932.h"

namespace volq {

StepFn StepOf(BuildStep step) {
  switch (step) {
    case BuildStep::Race:
      return RaceStep;
    case BuildStep::RaceEntry:
      return RaceEntryStep;
    case BuildStep::Horse:
      return HorseStep;
    case BuildStep::Jockey:
      return JockeyStep;
    case BuildStep::TrainerBreederOwner:
      return TrainerBreederOwnerStep;
    case BuildStep::Breeding:
      return BreedingHorseStep;
    case BuildStep::DamOffspring:
      return DamOffspringStep;
    case BuildStep::SireOffspring:
      return SireOffspringStep;
    case BuildStep::DamOffspringFiles:
      return DamOffspringFilesStep;
    case BuildStep::HorseEntryFiles:
      return HorseEntryFilesStep;
    case BuildStep::JockeyEntryFiles:
      return JockeyEntryFilesStep;
    case BuildStep::RecentHorses:
      return RecentHorsesStep;
    case BuildStep::Margin:
      return MarginStep;
    // The extended-record window runs its own two steps.
    case BuildStep::ExBuild:
    case BuildStep::StandardTimes:
    case BuildStep::OpenExtended:
    case BuildStep::OpenCategory:
    case BuildStep::Nothing:
      return {};
  }
  return {};
}

namespace {

// A name or caption as typed against one of the catalogue's (UTF-8), with
// width forms folded and ASCII case ignored, as a window matches its own.
bool SameControl(std::string_view typed, std::string_view name_utf8) {
  if (name_utf8.empty()) return false;
  const std::optional<std::string> name = TryCp932(name_utf8);
  return name && SameIgnoringAsciiCase(WidthFolded(*name), WidthFolded(typed));
}

}  // namespace

std::string PlaceOfControl(const Window& current, std::string_view typed) {
  const std::string from_main = current.name() == kMainWindow ? "" : "window 1, ";
  auto in = [&](std::string_view control, std::string_view caption, std::string_view window,
                BuildStep opens) -> std::string {
    if (!SameControl(typed, control) && !SameControl(typed, caption)) return {};
    const std::string shown = ToUtf8(typed);
    return (SameControl(typed, control) ? shown : shown + " (" + std::string(control) + ")") +
           " is in the " + std::string(window) + " window: " + from_main + "press " +
           ButtonShown(ButtonOf(opens)) + " first";
  };
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != kExtendedWindow) continue;
    if (std::string place = in(b.control, b.caption, "extended-record", BuildStep::OpenExtended);
        !place.empty())
      return place;
  }
  std::vector<std::pair<std::string_view, std::string_view>> category = {
      {kExtractionButton, kExtractionCaption}};
  for (const CourseKind& k : kCourseKinds) {
    category.insert(category.end(), {{k.option, k.option_caption},
                                     {k.build, k.build_caption},
                                     {k.categorise, k.categorise_caption}});
  }
  for (const auto& [control, caption] : category) {
    if (std::string place = in(control, caption, "category", BuildStep::OpenCategory);
        !place.empty())
      return place;
  }
  return {};
}

FormVolqBuild::FormVolqBuild(DataDir& dir, FormVolqBuildWiring wiring)
    : Window(std::string(kMainWindow), Cp932("VOLQNQ4DPROJECT 20180101SETUPC")),
      dir_(dir),
      wiring_(std::move(wiring)) {
  for (const BuildButton& b : BuildButtons()) {
    if (b.window != kMainWindow) continue;
    auto* button = dynamic_cast<CommandButton*>(Find(std::string(b.control)));
    if (!button) throw std::logic_error("the main window has no button " + std::string(b.control));
    button->Caption = Cp932(b.caption);
    if (StepFn step = StepOf(b.step)) wiring_.steps.emplace(std::string(b.control), step);
  }
  if (!wiring_.open_extended) {
    wiring_.open_extended = [&dir] { return std::make_unique<FormVOLQNQ4DEXPDSETUP2024ZZ>(dir); };
  }
  if (!wiring_.open_category) {
    wiring_.open_category = [&dir] { return std::make_unique<FormCATEGORYSETUP2024ZZ>(dir); };
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
}

void FormVolqBuild::RunStep(const CommandButton& button) {
  auto it = wiring_.steps.find(button.name());
  RunWindowStep(*this, dir_, RecordCount, button.name(),
                it == wiring_.steps.end() ? StepFn{} : it->second);
}

std::string FormVolqBuild::Guide() const {
  return Cp932("press its buttons in this order, each needing what the earlier ones wrote: " +
               ButtonOrder(kMainWindow) + " (docs/glossary.md says what each writes).");
}

void FormVolqBuild::Command9_Click() { ShowModeless(wiring_.open_extended()); }

void FormVolqBuild::Command10_Click() { ShowModeless(wiring_.open_category()); }

}  // namespace volq
