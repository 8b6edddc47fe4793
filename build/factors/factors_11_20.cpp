#include "build/factors/form_categorysetup2024zz.h"

#include "platform/fs/failure.h"

namespace volq {

// Factors 11 to 20 (17 is a model factor).

std::string FormCATEGORYSETUP2024ZZ::Factor11Bataiju() { FailIndex("Factor11Bataiju: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor12AgeMonths() { FailIndex("Factor12AgeMonths: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor13StallionLog() { FailIndex("Factor13StallionLog: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor14Interval() { FailIndex("Factor14Interval: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor15PrevOddsLog() { FailIndex("Factor15PrevOddsLog: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor16StallionValue() { FailIndex("Factor16StallionValue: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor18KishuAgeBand() { FailIndex("Factor18KishuAgeBand: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor19ChokyoSeiseki() { FailIndex("Factor19ChokyoSeiseki: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor20StallionStat() { FailIndex("Factor20StallionStat: not built yet"); }

}  // namespace volq
