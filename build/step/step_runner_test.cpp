#include "build/step/step_runner.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "build/step/step_inputs.h"
#include "common/data_dir_catalogue.h"
#include "platform/base/stop_request.h"
#include "platform/fs/file_failure.h"
#include "platform/fs/record_file.h"
#include "platform/fs/replaced_file.h"
#include "platform/fs/run_journal.h"
#include "platform/ui/headless_host.h"

namespace volq {
namespace {

namespace fs = std::filesystem;

class TestForm : public Window {
 public:
  TestForm() : Window("FormTest", "TEST") {}
};

// Runs `step` as Command1 of a window on a fresh data directory `root`;
// returns what the window reported.
HeadlessHost RunStep(const fs::path& root, const StepFn& step) {
  fs::remove_all(root);
  fs::create_directories(root);
  DataDir dir(root);
  HeadlessHost host;
  WindowManager wm(host, "VolqBuild");
  TestForm w;
  wm.Open(w);
  int32_t count = 0;
  RunWindowStep(w, dir, count, "Command1", step);
  return host;
}

// Ctrl-C during a step: a step that changed none of its outputs says so and
// leaves the journal as it was; one that replaced an output stays named
// there and says how it is mended.
TEST(StepRunner, AStepStoppedBySignalSaysWhetherItChangedAnything) {
  const fs::path root = fs::temp_directory_path() / "volq_StepRunner_signal";
  const struct {
    const char* name;
    bool writes;
    const char* report;
    bool named;
  } cases[] = {
      {"before any change", false, "Command1 interrupted before it changed anything", false},
      {"after an output", true, "Command1 interrupted: its outputs are incomplete", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HeadlessHost host = RunStep(root, [&](StepContext& ctx) {
      BeginStep(ctx, {{}, {}, {kRaNewFile}});
      if (c.writes) ReplaceWholeFile(ctx.dir.Path(kRaNewFile), "RA\r\n");
      NoteStopSignal(SIGINT);
      ctx.frame.yield_hook(1, 2);
      return std::string("not reached");
    });
    TakeStopSignal();
    std::string reported;
    for (const std::string& line : host.failures) reported += line + "\n";
    EXPECT_NE(reported.find(c.report), std::string::npos) << reported;
    EXPECT_EQ(fs::exists(root / kJournalName), c.named);
  }
  fs::remove_all(root);
}

// A folder of the data directory that is a symlink, written into by a step:
// named once a run, with where it leads as an absolute path, whether the
// link is absolute or relative; not when the step does not run, nor for a
// folder of its own or one that a step only reads.
TEST(StepRunner, AFolderWrittenThroughASymlinkIsNamedOnce) {
  const fs::path root = fs::temp_directory_path() / "volq_StepRunner_linked";
  fs::remove_all(root);
  DataDir(root / "data").CreateFolders({{kHorseCountFolder}});
  fs::create_directories(root / "disk/horses");
  fs::create_directories(root / "disk/jockeys");
  fs::create_symlink(root / "disk/horses", root / "data" / kHorseEntryFolder);
  fs::create_symlink("../disk/jockeys", root / "data" / kJockeyEntryFolder);
  DataDir dir(root / "data");
  HeadlessHost host;
  WindowManager wm(host, "VolqBuild");
  TestForm w;
  wm.Open(w);
  int32_t count = 0;
  const auto press = [&](StepFiles files) {
    host.notes.clear();
    RunWindowStep(w, dir, count, "Command1", [&](StepContext& ctx) {
      BeginStep(ctx, files);
      return std::string("done");
    });
    return host.notes;
  };
  const std::string horses = std::string(kHorseEntryFolder) + " is a link to " +
                             (root / "disk/horses").string() + ": its files are written there";
  const std::string jockeys = std::string(kJockeyEntryFolder) + " is a link to " +
                              (root / "disk/jockeys").string() + ": its files are written there";
  const std::string_view both[] = {kFolderOutput<kHorseEntryFolder>,
                                   kFolderOutput<kJockeyEntryFolder>,
                                   kFolderOutput<kHorseCountFolder>};
  // Stopped for a missing input: nothing is written there, nothing said.
  EXPECT_EQ(press({{kRaRawFile}, {}, {both[0]}}), std::vector<std::string>{});
  // Read only: nothing said.
  EXPECT_EQ(press({{}, {}, {kRaNewFile}, {both[0]}}), std::vector<std::string>{});
  EXPECT_EQ(press({{}, {}, {both[0], both[1], both[2]}}),
            (std::vector<std::string>{horses, jockeys}));
  EXPECT_EQ(press({{}, {}, {both[0], both[1], both[2]}}), std::vector<std::string>{});
  fs::remove_all(root);
}

// How a step ended, as the console learns it to end a script: a full disk
// met by an operation of the step or by the step itself stops it on the file
// system; a signal at a yield point stops it; a signal after its last file
// lets it complete (either signal stays noted, for the program to end); a
// missing input or a failure of one file tells nothing.
TEST(StepRunner, TellsHowTheStepEnded) {
  const fs::path root = fs::temp_directory_path() / "volq_StepRunner_end";
  const fs::path output = root / "KS20180101NEW.dat";
  const struct {
    const char* name;
    std::function<void(StepContext&)> body;
    std::vector<StepEnd> told;
    int signal_after;
  } cases[] = {
      {"to its end", [](StepContext&) {}, {StepEnd::Completed}, 0},
      {"an operation meets a full disk",
       [&](StepContext& ctx) {
         ctx.frame.Do("write", [&] { FailFile("cannot write", output, ENOSPC); });
       },
       {StepEnd::StoppedByFileSystem},
       0},
      {"the step meets an I/O error",
       [&](StepContext&) { FailFile("cannot read", output, EIO); },
       {StepEnd::StoppedByFileSystem},
       0},
      {"a signal at a yield point",
       [](StepContext& ctx) {
         NoteStopSignal(SIGTERM);
         ctx.frame.Yield(1, 2);
       },
       {StepEnd::StoppedBySignal},
       SIGTERM},
      {"a signal after the last file",
       [](StepContext&) { NoteStopSignal(SIGHUP); },
       {StepEnd::Completed},
       SIGHUP},
      {"a missing input", [](StepContext&) { StopStep("missing input KS20180101.dat"); }, {}, 0},
      {"one file missing", [&](StepContext&) { FailFile("cannot open", output, ENOENT); }, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HeadlessHost host = RunStep(root, [&](StepContext& ctx) {
      c.body(ctx);
      return std::string("KS 終わり");
    });
    EXPECT_EQ(host.step_ends, c.told);
    EXPECT_EQ(TakeStopSignal(), c.signal_after);
  }
  fs::remove_all(root);
}

}  // namespace
}  // namespace volq
