#pragma once
// The build program's main window: thirteen step buttons, two that open the
// extended-record and category windows, and one that does nothing. It sits
// beside the program's main, above every subsystem, and takes its buttons
// (names, captions, steps) from the catalogue's table of buttons.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "build/step/step_runner.h"
#include "common/data_dir_catalogue.h"
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

// The routine of a step of the table (BuildStep); empty for the buttons that
// open a window or do nothing.
StepFn StepOf(BuildStep step);

// What a test may put in place of the program's own steps and windows; what
// it leaves empty is wired as the program runs it, so that
// FormVolqBuild(dir, {}) is the whole program's main window.
struct FormVolqBuildWiring {
  // Steps by button name ("Command1" ...).
  std::map<std::string, StepFn> steps;
  std::function<std::unique_ptr<Window>()> open_extended;  // Command9
  std::function<std::unique_ptr<Window>()> open_category;  // Command10
};

// Where a button or option of a window that is not open is (the console asks
// for a name that no open window has): "芝因子設定 (Command2) is in the
// category window: press Command10 first", from `current`; "" for a name no
// window of the program has. `typed` is in code page 932.
std::string PlaceOfControl(const Window& current, std::string_view typed);

class FormVolqBuild : public Window {
 public:
  FormVolqBuild(DataDir& dir, FormVolqBuildWiring wiring);

  // In the order the steps are run, so the window lists them that way.
  CommandButton Command1{this, "Command1"};
  CommandButton Command2{this, "Command2"};
  CommandButton Command3{this, "Command3"};
  CommandButton Command12{this, "Command12"};
  CommandButton Command14{this, "Command14"};
  CommandButton Command7{this, "Command7"};
  CommandButton Command4{this, "Command4"};
  CommandButton Command5{this, "Command5"};
  CommandButton Command11{this, "Command11"};
  CommandButton Command6{this, "Command6"};
  CommandButton Command15{this, "Command15"};
  CommandButton Command8{this, "Command8"};
  CommandButton Command9{this, "Command9"};
  CommandButton Command13{this, "Command13"};
  CommandButton Command10{this, "Command10"};
  CommandButton Command16{this, "Command16"};
  TextBox Text1{this, "Text1"};

  // The count of the current step's input records, shared by the steps.
  int32_t RecordCount = 0;

  // The buttons in the order their steps need each other's files.
  std::string Guide() const override;

  void Command1_Click() { RunStep(Command1); }
  void Command2_Click() { RunStep(Command2); }
  void Command3_Click() { RunStep(Command3); }
  void Command4_Click() { RunStep(Command4); }
  void Command5_Click() { RunStep(Command5); }
  void Command6_Click() { RunStep(Command6); }
  void Command7_Click() { RunStep(Command7); }
  void Command8_Click() { RunStep(Command8); }
  void Command9_Click();
  void Command10_Click();
  void Command11_Click() { RunStep(Command11); }
  void Command12_Click() { RunStep(Command12); }
  void Command13_Click() { RunStep(Command13); }
  void Command14_Click() { RunStep(Command14); }
  void Command15_Click() { RunStep(Command15); }
  // Command16 has no handler: it does nothing, and the console says so.

 private:
  void RunStep(const CommandButton& button);
  DataDir& dir_;
  FormVolqBuildWiring wiring_;
};

}  // namespace volq
