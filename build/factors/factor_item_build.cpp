#include "build/factors/form_categorysetup2024zz.h"

namespace volq {

// The factor item builds.

void FormCATEGORYSETUP2024ZZ::Command2_Click() {}

void FormCATEGORYSETUP2024ZZ::Command3_Click() {}

void FormCATEGORYSETUP2024ZZ::Command4_Click() {}


}  // namespace volq
