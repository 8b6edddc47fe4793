// volqfetch: downloads the racing-data service's records (here through the
// stand-in that serves a record source directory) into the raw record files
// of the data directory.
#include "fetch/run_volq_fetch.h"

#include <iostream>
#include <optional>
#include <string>

#include "common/data_dir_catalogue.h"
#include "fetch/data_dir_mistake.h"
#include "fetch/download_window.h"
#include "platform/fs/data_dir.h"
#include "platform/jvlink/stand_in.h"
#include "platform/ui/console.h"

namespace volq {
namespace {

constexpr const char* kUsage =
    "usage: volqfetch [--data-dir DIR] [--source DIR] [-c 'COMMANDS']\n"
    "       volqfetch --help | --version\n"
    "  --data-dir DIR  the data directory (default: VOLQNQ4DPROJECT in the current\n"
    "                  directory)\n"
    "  --source DIR    record source served by the service's stand-in for this run\n"
    "                  (default: the one chosen with the settings button 設定)\n"
    "  -c COMMANDS     commands separated by ';', e.g. -c 'press Command2'; a ';'\n"
    "                  inside double quotes or written \\; belongs to its command\n"
    "                  (without -c: commands from standard input, or a prompt on a\n"
    "                  terminal)\n"
    "commands: press CONTROL | type CONTROL TEXT | pick CONTROL N | window N |\n"
    "          windows | show [CONTROL] | help | quit\n"
    "buttons: Command2 downloads every record into the raw record files, Command3\n"
    "         checks the market-sale file, 設定 chooses the record source\n"
    "exit status: 0 done, 1 a command failed or the download was not complete,\n"
    "             2 a wrong command line, 128+N ended by signal N (130: Ctrl-C)\n";

}  // namespace

int RunVolqFetch(int argc, char** argv) {
  CommandLine cl = ParseCommandLine(argc, argv, {"--source"});
  if (std::optional<int> end = CommandLineExit(cl, "volqfetch", kUsage)) return *end;
  // The shape first: a folder to be made inside another data directory's
  // folder is refused before its mkdir is shown.
  if (const std::string mistake = DataDirMistake(cl.data_dir); !mistake.empty()) {
    std::cerr << "volqfetch: " << mistake << '\n';
    return 2;
  }
  if (const std::string problem = DataDirProblem(cl.data_dir, kDataDirFolders); !problem.empty()) {
    std::cerr << "volqfetch: " << problem << '\n';
    return 2;
  }
  // Read-only is found before the download begins, not at its end.
  if (const std::string problem = DataDirWriteProblem(cl.data_dir); !problem.empty()) {
    std::cerr << "volqfetch: " << problem << '\n';
    return 1;
  }
  Console console;
  console.SetFirstReportLine(DataDirHeading(cl.data_dir));
  StandInJVLink jvlink(StandInJVLink::DefaultSettingsPath());
  if (auto s = cl.options.find("--source"); s != cl.options.end()) jvlink.SetSource(s->second);
  jvlink.SetAsk([&console](const std::string& prompt) { return console.Ask(prompt); });
  WindowManager wm(console, "VolqFetch");
  DataDir dir(cl.data_dir);
  VOLQF1SETUP18Z form(dir, jvlink, "JV-Link stand-in serving a record source directory");
  return console.Run(wm, form, cl.script);
}

}  // namespace volq
