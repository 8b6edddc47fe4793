// VolqBuild: the main window with every step wired, run by the console.
#include <iostream>

#include "build/entities/entity_files.h"
#include "build/entities/margin_step.h"
#include "build/entities/offspring_step.h"
#include "build/entities/recent_horses.h"
#include "build/extended/form_volqnq4dexpdsetup2024zz.h"
#include "build/factors/form_categorysetup2024zz.h"
#include "build/records/form_volq_build.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/console.h"

int main(int argc, char** argv) {
  using namespace volq;
  CommandLine cl = ParseCommandLine(argc, argv);
  if (cl.help || !cl.error.empty()) {
    if (!cl.error.empty()) std::cerr << cl.error << '\n';
    std::cout << "usage: volqbuild [--data-dir DIR] [-c 'COMMANDS']\n"
                 "  DIR: the data directory (default VOLQNQ4DPROJECT); its folders must exist.\n"
                 "  COMMANDS: press CONTROL; type CONTROL TEXT; pick CONTROL N; window N;\n"
                 "            windows; show; quit (separated by ';'). Without -c, commands\n"
                 "            are read from standard input or an interactive prompt.\n";
    return cl.error.empty() ? 0 : 2;
  }
  DataDir dir(cl.data_dir);
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
  Console console;
  WindowManager wm(console, "VolqBuild");
  FormVolqBuild form(dir, std::move(wiring));
  return console.Run(wm, form, cl.script);
}
