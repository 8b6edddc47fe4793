#include "build/factors/form_categorysetup2024zz.h"

#include "platform/ui/cp932.h"

namespace volq {

FormCATEGORYSETUP2024ZZ::FormCATEGORYSETUP2024ZZ(DataDir& dir)
    : Window("FormCATEGORYSETUP2024ZZ", Cp932("CATEGORYSETUP20180101SETUPC")), FactorFrame(dir) {}

void FormCATEGORYSETUP2024ZZ::Form_Load() {}

}  // namespace volq
