#pragma once
// The download progress: shown modally while the service downloads what
// JVOpen announced; polls the status every 10 ms and tells the main window
// through its DialogResult how the download ended.
#include <cstdint>
#include <optional>

#include "platform/ui/window.h"

namespace volq {

class VOLQF1SETUP18Z;

class VOLQF2SETUP18Z : public Window {
 public:
  explicit VOLQF2SETUP18Z(VOLQF1SETUP18Z& owner);

  ProgressBar ProgressBar1{this, "ProgressBar1"};
  Label Label1{this, "Label1"};
  CommandButton Command1{this, "Command1"};
  Timer Timer1{this, "Timer1"};

  void Form_Load() override;
  void Timer1_Timer();
  void Command1_Click();

  // The negative status that ended the wait, if one did.
  std::optional<int32_t> failed_status() const { return failed_status_; }

 private:
  VOLQF1SETUP18Z& owner_;
  std::optional<int32_t> failed_status_;
};

}  // namespace volq
