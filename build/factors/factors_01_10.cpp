#include "build/factors/form_categorysetup2024zz.h"

#include "platform/fs/failure.h"

namespace volq {

// Factors 1 to 10.

std::string FormCATEGORYSETUP2024ZZ::Factor01Year() { FailIndex("Factor01Year: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor02VenueTrack() { FailIndex("Factor02VenueTrack: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor03PrevRunChange() { FailIndex("Factor03PrevRunChange: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor04Futan() { FailIndex("Factor04Futan: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor05PrizeLog() { FailIndex("Factor05PrizeLog: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor06RaceKigo() { FailIndex("Factor06RaceKigo: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor07KishuSeiseki() { FailIndex("Factor07KishuSeiseki: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor08KyosobaValue() { FailIndex("Factor08KyosobaValue: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor09RaceCount() { FailIndex("Factor09RaceCount: not built yet"); }

std::string FormCATEGORYSETUP2024ZZ::Factor10FutanRatio() { FailIndex("Factor10FutanRatio: not built yet"); }

}  // namespace volq
