#include "build/factors/form_categorysetup2024zz.h"

#include "platform/fs/failure.h"

namespace volq {

// The three speeds of a race entry.

std::string FormCATEGORYSETUP2024ZZ::AgariSpeed() { FailIndex("AgariSpeed: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::PaceSpeed() { FailIndex("PaceSpeed: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::SohaSpeed() { FailIndex("SohaSpeed: not built yet"); }

}  // namespace volq
