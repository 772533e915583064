// The records the modules insert into the record store, in the layouts the
// console reads back (integer arrays L, real arrays F):
//
//   GUIRTLINKDATA     L[0] {links}, L[1] {zones};  F[0..3] density, speed,
//                     queue fraction, flow per link; F[4] zones x zones OD
//                     demand, origin i and destination j at j * zones + i
//   GUIRTSTATDATA     L[0] {numcars};  F[0..3] {avg density}, {avg speed},
//                     {avg stops}, {time_now in seconds}
//   GUIPLINKDATA(_1)  L[0] {steps}, L[1] {links};  F[0..3] speed, density,
//                     queue fraction, flow, steps x links each, step after step
//   GUIPSTATDATA(_1)  L[0] {numcars};  F[0..4] {avg density}, {avg speed},
//                     {avg stops}, {stage start minute}, {stage length minutes}
//   CCA_CORRECTION    L[0] {links};  F[0] per-link correction, F[1] {FARVET value}
//   CCB_UPDATED_SPEED L[0] {links};  F[0] per-link updated speed, F[1] {NEARVET value}
//   GUISTLINKDATA     L[0] {links}, L[1] {N}, L[2] N link numbers (1-based);
//                     F[0] flows, F[1] densities, F[2] speeds, N each
//   ODE_PREDICTED_COEFF L[0] {zones, corrected 0/1};  F[0] zones x zones
//   ODP_PREDICTED_OD  L[0] {zones, slots, first slot};  F[s] zones x zones per slot
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
