#pragma once
// The factor-category window. For now it opens with its caption.
#include "platform/fs/data_dir.h"
#include "platform/ui/window.h"

namespace volq {

class FormCATEGORYSETUP2024ZZ : public Window {
 public:
  explicit FormCATEGORYSETUP2024ZZ(DataDir& dir);
  TextBox Text1{this, "Text1"};

 private:
  DataDir& dir_;
};

}  // namespace volq
