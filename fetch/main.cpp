// volqfetch: downloads the racing-data service's records (here through the
// stand-in that serves a record source directory) into the raw record files
// of the data directory.
#include <iostream>

#include "fetch/download_window.h"
#include "platform/jvlink/stand_in.h"
#include "platform/ui/console.h"

namespace {

constexpr const char* kUsage =
    "usage: volqfetch [--data-dir DIR] [--source DIR] [-c 'COMMANDS']\n"
    "  --data-dir DIR  the data directory (default: VOLQNQ4DPROJECT in the current directory)\n"
    "  --source DIR    record source served by the service's stand-in for this run\n"
    "                  (default: the one chosen with the settings button 設定)\n"
    "  -c COMMANDS     commands separated by ';', e.g. -c 'press Command2'\n"
    "                  (without -c: commands from standard input, or a prompt on a terminal)\n"
    "commands: press CONTROL | type CONTROL TEXT | pick CONTROL N | window N | windows | show | "
    "quit\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace volq;
  CommandLine cl = ParseCommandLine(argc, argv, {"--source"});
  if (!cl.error.empty()) {
    std::cerr << "volqfetch: " << cl.error << '\n' << kUsage;
    return 2;
  }
  if (cl.help) {
    std::cout << kUsage;
    return 0;
  }
  Console console;
  StandInJVLink jvlink(StandInJVLink::DefaultSettingsPath());
  if (auto s = cl.options.find("--source"); s != cl.options.end()) jvlink.SetSource(s->second);
  jvlink.SetAsk([&console](const std::string& prompt) { return console.Ask(prompt); });
  WindowManager wm(console, "VolqFetch");
  DataDir dir(cl.data_dir);
  VOLQF1SETUP18Z form(dir, jvlink, "JV-Link stand-in serving a record source directory");
  return console.Run(wm, form, cl.script);
}
