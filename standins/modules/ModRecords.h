// The records the modules insert into the record store, in the layouts the
// console reads back: runtime/qelm_record_layout.h names the integer arrays
// L and the real arrays F of each kind.
#pragma once

#include <QELM.hh>

#include <vector>

#include "ModTraffic.h"

namespace vlq::mod {

QELM::DBKRecord MakeRecord(float quasi_timestamp, const std::vector<std::vector<CORBA::Long>>& L,
                           const std::vector<std::vector<float>>& F);

QELM::DBKRecord BuildRTLinkRecord(float quasi, const std::vector<LinkState>& links, int zones,
                                  const std::vector<float>& od);
QELM::DBKRecord BuildRTStatRecord(float quasi, const NetStats& st, double time_now_sec);
// steps[t][i]: link i at prediction step t; every step has `links` entries.
QELM::DBKRecord BuildPredLinkRecord(float quasi, const std::vector<std::vector<LinkState>>& steps,
                                    std::size_t links);
QELM::DBKRecord BuildPredStatRecord(float quasi, const NetStats& st, int stage_start_minute,
                                    int stage_length_minutes);
QELM::DBKRecord BuildCCARecord(float quasi, const std::vector<float>& corrections, float value);
QELM::DBKRecord BuildCCBRecord(float quasi, const std::vector<float>& speeds, float value);
// link_numbers are 1-based positions in network.dat; obs[j] belongs to link_numbers[j].
QELM::DBKRecord BuildSTLinkRecord(float quasi, std::size_t links, const std::vector<int>& link_numbers,
                                  const std::vector<LinkState>& obs);
QELM::DBKRecord BuildODECoeffRecord(float quasi, int zones, bool corrected, const std::vector<float>& od);
QELM::DBKRecord BuildODPRecord(float quasi, int zones, int first_slot,
                               const std::vector<std::vector<float>>& slots);

// The time_now of a GUIRTSTATDATA record (F[3][0]); false when the record
// does not have that shape.
bool RTStatTime(const QELM::DBKRecord& r, double& time_now_sec);

}  // namespace vlq::mod
