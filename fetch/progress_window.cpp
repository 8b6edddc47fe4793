#include "fetch/progress_window.h"

#include <algorithm>
#include <string>

#include "fetch/download_window.h"
#include "platform/text/cp932.h"

namespace volq {

VOLQF2SETUP18Z::VOLQF2SETUP18Z(VOLQF1SETUP18Z& owner)
    : Window("VOLQF2SETUP18Z", Cp932("VOLQF2C:ダウンロード")), owner_(owner) {
  Command1.Caption = Cp932("キャンセル");
  Command1.Cancel = true;
  Command1.OnClick = [this] { Command1_Click(); };
  Timer1.OnTimer = [this] { Timer1_Timer(); };
}

void VOLQF2SETUP18Z::Form_Load() {
  ProgressBar1.Max = owner_.DownloadCount;
  ProgressBar1.Min = 0;
  ProgressBar1.Value = 0;
  Timer1.Interval = 10;
  Timer1.Enabled = true;
}

void VOLQF2SETUP18Z::Timer1_Timer() {
  // The status is kept in 32 bits, so a download of more than 32767 files
  // goes on instead of overflowing.
  int32_t s = owner_.JVLink1->JVStatus();
  if (s < 0) {
    Timer1.Enabled = false;
    failed_status_ = s;
    MsgBox(Cp932("ダウンロード失敗。RC=") + std::to_string(s));
    Close();
    return;
  }
  // A status past the announced count draws a full bar and ends the wait
  // like the count itself, instead of polling for ever.
  ProgressBar1.Value =
      std::clamp(s, ProgressBar1.Min, std::max(ProgressBar1.Min, ProgressBar1.Max));
  Label1.Caption = std::to_string(s) + " / " + std::to_string(owner_.DownloadCount);
  if (s >= owner_.DownloadCount) {
    owner_.DialogResult = 0;
    Close();
  }
}

void VOLQF2SETUP18Z::Command1_Click() {
  owner_.JVLink1->JVCancel();
  owner_.DialogResult = -1;
  Close();
}

}  // namespace volq
