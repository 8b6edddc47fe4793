#include "build/factors/form_categorysetup2024zz.h"

#include "platform/fs/failure.h"

namespace volq {

// Factors 21 to 30 (29 is a model factor).

std::string FormCATEGORYSETUP2024ZZ::Factor21GradeRaceNo() { FailIndex("Factor21GradeRaceNo: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor22DistanceCode() { FailIndex("Factor22DistanceCode: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor23StallionDistance() { FailIndex("Factor23StallionDistance: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor24Umaban() { FailIndex("Factor24Umaban: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor25UmaKigo() { FailIndex("Factor25UmaKigo: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor26PrevTimeDiff() { FailIndex("Factor26PrevTimeDiff: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor27KaijiNichiji() { FailIndex("Factor27KaijiNichiji: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor28CountBand() { FailIndex("Factor28CountBand: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor30KyosobaValue() { FailIndex("Factor30KyosobaValue: not built yet"); }

}  // namespace volq
