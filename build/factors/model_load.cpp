#include "build/factors/form_categorysetup2024zz.h"

namespace volq {

// Tables the window loads when it opens.

void FormCATEGORYSETUP2024ZZ::Form_Load() {}


}  // namespace volq
