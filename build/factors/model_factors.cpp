#include "build/factors/form_categorysetup2024zz.h"

#include "platform/fs/failure.h"

namespace volq {

// Factors scored with the category-weight models.

std::string FormCATEGORYSETUP2024ZZ::Factor17PaceDeviation() { FailIndex("Factor17PaceDeviation: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor29AgariDeviation() { FailIndex("Factor29AgariDeviation: not built yet"); }

void FormCATEGORYSETUP2024ZZ::ItemCategoryIndexAll() { FailIndex("ItemCategoryIndexAll: not built yet"); }

int32_t FormCATEGORYSETUP2024ZZ::ModelCategoryIndexOf() { FailIndex("ModelCategoryIndexOf: not built yet"); }

void FormCATEGORYSETUP2024ZZ::ScoreSumA() { FailIndex("ScoreSumA: not built yet"); }

void FormCATEGORYSETUP2024ZZ::ScoreSumC() { FailIndex("ScoreSumC: not built yet"); }

}  // namespace volq
