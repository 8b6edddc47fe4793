#include "build/factors/form_categorysetup2024zz.h"

namespace volq {

// The categorisations.

void FormCATEGORYSETUP2024ZZ::Command5_Click() {}

void FormCATEGORYSETUP2024ZZ::Command6_Click() {}

void FormCATEGORYSETUP2024ZZ::Command7_Click() {}

void FormCATEGORYSETUP2024ZZ::SetItemCategoryGridTitles() {}

void FormCATEGORYSETUP2024ZZ::LookupCategoryIndexes() {}

int32_t FormCATEGORYSETUP2024ZZ::CategoryIndexOf(int, std::string_view) { return 0; }

}  // namespace volq
