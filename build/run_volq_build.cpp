// VolqBuild: the main window with every step wired, run by the console.
#include "build/run_volq_build.h"

#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "build/form_volq_build.h"
#include "common/data_dir_catalogue.h"
#include "common/interrupted_runs.h"
#include "platform/fs/data_dir.h"
#include "platform/fs/data_dir_lock.h"
#include "platform/ui/console.h"

namespace volq {
namespace {

constexpr const char* kUsageHead =
    "usage: volqbuild [--data-dir DIR] [-c 'COMMANDS']\n"
    "       volqbuild [--data-dir DIR] --forget-interrupted\n"
    "       volqbuild --help | --version | --catalogue\n"
    "  --data-dir DIR  the data directory (default: VOLQNQ4DPROJECT in the current\n"
    "                  directory) with the raw record files volqfetch wrote and\n"
    "                  these folders, which no step creates:";
constexpr const char* kUsageTail =
    "  -c COMMANDS     commands separated by ';', for instance\n"
    "                  -c 'press Command1; press Command2'; a ';' inside double\n"
    "                  quotes or written \\; belongs to its command (without -c:\n"
    "                  commands from standard input, or a prompt on a terminal)\n"
    "  --forget-interrupted\n"
    "                  removes from the data directory's journal the steps cut\n"
    "                  short that no press clears (an older version's, or one\n"
    "                  edited by hand), naming each; runs no commands\n"
    "  --catalogue     for scripts: the folders ('folder NAME') and the buttons\n"
    "                  ('button WINDOW CONTROL step|opens|none CAPTION'), in order\n"
    "commands: press CONTROL | type CONTROL TEXT | pick CONTROL N | window N |\n"
    "          windows | show [CONTROL] | help | quit\n"
    "buttons of the main window, in the order their steps need each other's files:";
constexpr const char* kUsageButtons =
    "  Command9   opens the extended-record window (window 2, current at once):\n"
    "             press 計算, press 表示, then pick List1 N (or an EX file's name)\n"
    "             shows one horse's records; window 1 returns to the main window\n"
    "  Command13  the margin step, in window 1 (after 計算)\n"
    "  Command10  opens the category window (window 3 after the extended-record\n"
    "             window): type Text1 201801, press Option1 (芝), Option2 (ダート)\n"
    "             or Option3 (障害), press Command1 (抽出), then the course's factor\n"
    "             build (Command2-4) and categorisation (Command5-7)\n"
    "  for instance: -c 'press Command1; ...; press Command8; press Command9;\n"
    "             window 2; press 計算; press 表示; window 1; press Command13'\n"
    "exit status: 0 done, 1 a command failed or a step skipped something,\n"
    "             2 a wrong command line, 128+N ended by signal N (130: Ctrl-C)\n";

// The head, the folders, the middle, the step buttons run before the first
// window opens, then the rest; lists as many a line as fit the console's width.
std::string Usage() {
  std::string folders(17, ' ');
  for (std::string_view f : kDataDirFolders) folders += " " + std::string(f);
  std::string buttons(1, ' ');
  for (const BuildButton& b : BuildButtons()) {
    if (b.step == BuildStep::OpenExtended) break;
    buttons += " " + std::string(b.control);
  }
  return std::string(kUsageHead) + "\n" + FoldWords(folders, kListWidth, 18) + kUsageTail + "\n" +
         FoldWords(buttons, kListWidth, 2) + kUsageButtons;
}

constexpr std::string_view kForgetOption = "--forget-interrupted";

// Removes the journal's runs that no press clears and names each; then says
// what the journal still holds, as a press would.
int ForgetInterrupted(const DataDir& dir) {
  try {
    DataDirLock held(dir.root(), kBuildProgram);
    const std::vector<std::string> removed = ForgetRunsNoPressClears(held.journal());
    for (const std::string& line : removed) std::cout << Printable(line) << '\n';
    if (removed.empty()) {
      std::cout << "the journal holds no step cut short that a press cannot clear: nothing "
                   "removed\n";
    }
    for (const std::string& line : TakeJournal(held.journal())) {
      std::cerr << "note: " << Printable(line) << '\n';
    }
    return 0;
  } catch (const Failure& e) {
    std::cerr << "volqbuild: " << Printable(e.text()) << '\n';
    return 1;
  }
}

}  // namespace

int RunVolqBuild(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--catalogue") {
    std::cout << CatalogueText();
    return 0;
  }
  // The one option that takes no value; the rest is the programs' shared
  // command line.
  std::vector<char*> args;
  bool forget = false;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && argv[i] == kForgetOption) {
      forget = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  CommandLine cl = ParseCommandLine(static_cast<int>(args.size()), args.data());
  if (forget && cl.error.empty() && cl.script) {
    cl.error = std::string(kForgetOption) + " runs no commands: give it without -c";
  }
  if (std::optional<int> end = CommandLineExit(cl, "volqbuild", Usage())) return *end;
  if (const std::string problem = DataDirProblem(cl.data_dir, kDataDirFolders); !problem.empty()) {
    std::cerr << "volqbuild: " << problem << '\n';
    return 2;
  }
  // Read-only is found before any step, not by the journal of the first.
  if (const std::string problem = DataDirWriteProblem(cl.data_dir); !problem.empty()) {
    std::cerr << "volqbuild: " << problem << '\n';
    return 1;
  }
  DataDir dir(cl.data_dir);
  if (forget) return ForgetInterrupted(dir);
  Console console;
  console.SetFirstReportLine(DataDirHeading(dir.root()));
  console.SetPlaceOfName(PlaceOfControl);
  WindowManager wm(console, "VolqBuild");
  FormVolqBuild form(dir, {});
  return console.Run(wm, form, cl.script);
}

}  // namespace volq
