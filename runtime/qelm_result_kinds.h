// The records that a module's ended code leads the console to fetch with
// Tallyhouse::GetLatestRecord, in the order it fetches them. The modules
// insert these records before they send the code.
#pragma once

#include "qelm_msg_codes.h"

#include <QELM.hh>

#include <vector>

inline std::vector<QELM::Tallyhouse::DBKIDEnum> ResultKindsOfEndedCode(long code)
{
  using T = QELM::Tallyhouse;
  switch (code) {
  case MSG_NOWSIM_ENDED: return {T::GUIRTSTATDATA, T::GUIRTLINKDATA};
  case MSG_FORESIM_ENDED: return {T::GUIPLINKDATA, T::GUIPSTATDATA};
  case MSG_FORESIM1_ENDED: return {T::GUIPLINKDATA_1, T::GUIPSTATDATA_1};
  case MSG_FARVET_ENDED: return {T::CCA_CORRECTION};
  case MSG_NEARVET_ENDED: return {T::CCB_UPDATED_SPEED, T::GUISTLINKDATA};
  default: return {};
  }
}
