#include "build/program_wiring.h"

#include <memory>

#include "build/entities/entity_files.h"
#include "build/entities/margin_step.h"
#include "build/entities/offspring_step.h"
#include "build/entities/recent_horses.h"
#include "build/extended/form_volqnq4dexpdsetup2024zz.h"
#include "build/factors/form_categorysetup2024zz.h"

namespace volq {

FormVolqBuildWiring ProgramWiring(DataDir& dir) {
  FormVolqBuildWiring wiring;
  wiring.steps["Command4"] = DamOffspringStep;
  wiring.steps["Command5"] = SireOffspringStep;
  wiring.steps["Command11"] = DamOffspringFilesStep;
  wiring.steps["Command6"] = HorseEntryFilesStep;
  wiring.steps["Command15"] = JockeyEntryFilesStep;
  wiring.steps["Command8"] = RecentHorsesStep;
  wiring.steps["Command13"] = MarginStep;
  wiring.open_extended = [&dir] { return std::make_unique<FormVOLQNQ4DEXPDSETUP2024ZZ>(dir); };
  wiring.open_category = [&dir] { return std::make_unique<FormCATEGORYSETUP2024ZZ>(dir); };
  return wiring;
}

}  // namespace volq
