#include "build/factors/form_categorysetup2024zz.h"

namespace volq {

// The course horse lists.

void FormCATEGORYSETUP2024ZZ::Command1_Click() {}


}  // namespace volq
