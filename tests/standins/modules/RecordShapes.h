// The shapes the console expects of the records it fetches, as assertion
// helpers for the module tests (unit and end to end).
#pragma once

#include <QELM.hh>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace shapes {

inline ::testing::AssertionResult Fail(const std::string& what)
{
  return ::testing::AssertionFailure() << what;
}

inline bool OneValue(const QELM::LongSeq& s)
{
  return s.length() == 1;
}

inline bool OneValue(const QELM::FloatSeq& s)
{
  return s.length() == 1;
}

inline bool AllFinite(const QELM::FloatSeq& s)
{
  for (CORBA::ULong i = 0; i < s.length(); ++i)
    if (!std::isfinite(s[i]))
      return false;
  return true;
}

// GUIRTLINKDATA: L[0] {links}, L[1] {zones <= 120}; F[0..3] links values,
// F[4] zones^2 values.
inline ::testing::AssertionResult RTLink(const QELM::DBKRecord& r, long links, long* zones_out = nullptr)
{
  if (r.L.length() < 2 || !OneValue(r.L[0]) || !OneValue(r.L[1]))
    return Fail("GUIRTLINKDATA: L needs two one-value arrays");
  if (r.L[0][0] != links)
    return Fail("GUIRTLINKDATA: L[0] is " + std::to_string(r.L[0][0]) + ", links " + std::to_string(links));
  const long zones = r.L[1][0];
  if (zones < 0 || zones > 120)
    return Fail("GUIRTLINKDATA: zone count " + std::to_string(zones) + " outside 0..120");
  if (r.F.length() < 5)
    return Fail("GUIRTLINKDATA: F needs five arrays");
  for (CORBA::ULong f = 0; f < 4; ++f) {
    if (static_cast<long>(r.F[f].length()) != links)
      return Fail("GUIRTLINKDATA: F[" + std::to_string(f) + "] has " + std::to_string(r.F[f].length()) +
                  " values");
    if (!AllFinite(r.F[f]))
      return Fail("GUIRTLINKDATA: F[" + std::to_string(f) + "] not finite");
  }
  if (static_cast<long>(r.F[4].length()) != zones * zones)
    return Fail("GUIRTLINKDATA: OD matrix of " + std::to_string(r.F[4].length()) + " values");
  for (CORBA::ULong i = 0; i < r.F[2].length(); ++i)
    if (r.F[2][i] < 0 || r.F[2][i] > 1)
      return Fail("GUIRTLINKDATA: queue fraction outside 0..1");
  if (zones_out)
    *zones_out = zones;
  return ::testing::AssertionSuccess();
}

// GUIRTSTATDATA: L[0] {numcars}; F[0..3] one value each, F[3] time_now in seconds.
inline ::testing::AssertionResult RTStat(const QELM::DBKRecord& r, double* time_now = nullptr)
{
  if (r.L.length() < 1 || !OneValue(r.L[0]))
    return Fail("GUIRTSTATDATA: L[0] needs one value");
  if (r.F.length() < 4)
    return Fail("GUIRTSTATDATA: F needs four arrays");
  for (CORBA::ULong f = 0; f < 4; ++f)
    if (!OneValue(r.F[f]) || !AllFinite(r.F[f]))
      return Fail("GUIRTSTATDATA: F[" + std::to_string(f) + "] needs one finite value");
  if (r.L[0][0] < 0 || r.F[3][0] < 0)
    return Fail("GUIRTSTATDATA: negative numcars or time");
  if (time_now)
    *time_now = r.F[3][0];
  return ::testing::AssertionSuccess();
}

// GUIPLINKDATA(_1): L[0] {blocks}, L[1] {values per block = links};
// F[0..3] blocks x links values.
inline ::testing::AssertionResult PredLink(const QELM::DBKRecord& r, long links, long* blocks_out = nullptr)
{
  if (r.L.length() < 2 || !OneValue(r.L[0]) || !OneValue(r.L[1]))
    return Fail("GUIPLINKDATA: L needs two one-value arrays");
  const long blocks = r.L[0][0], size = r.L[1][0];
  if (blocks < 0 || size != links)
    return Fail("GUIPLINKDATA: " + std::to_string(blocks) + " blocks of " + std::to_string(size) +
                " values, links " + std::to_string(links));
  if (r.F.length() < 4)
    return Fail("GUIPLINKDATA: F needs four arrays");
  for (CORBA::ULong f = 0; f < 4; ++f)
    if (static_cast<long>(r.F[f].length()) != blocks * size || !AllFinite(r.F[f]))
      return Fail("GUIPLINKDATA: F[" + std::to_string(f) + "] has " + std::to_string(r.F[f].length()) +
                  " values");
  if (blocks_out)
    *blocks_out = blocks;
  return ::testing::AssertionSuccess();
}

// GUIPSTATDATA(_1): L[0] {numcars}; F[0..4] one value each; F[3] the stage
// start minute, F[4] its length in minutes.
inline ::testing::AssertionResult PredStat(const QELM::DBKRecord& r, long* start = nullptr,
                                           long* length = nullptr)
{
  if (r.L.length() < 1 || !OneValue(r.L[0]))
    return Fail("GUIPSTATDATA: L[0] needs one value");
  if (r.F.length() < 5)
    return Fail("GUIPSTATDATA: F needs five arrays");
  for (CORBA::ULong f = 0; f < 5; ++f)
    if (!OneValue(r.F[f]) || !AllFinite(r.F[f]))
      return Fail("GUIPSTATDATA: F[" + std::to_string(f) + "] needs one finite value");
  if (r.F[3][0] < 0 || r.F[3][0] >= 1440 || r.F[4][0] < 0)
    return Fail("GUIPSTATDATA: stage start or length out of range");
  if (start)
    *start = static_cast<long>(r.F[3][0]);
  if (length)
    *length = static_cast<long>(r.F[4][0]);
  return ::testing::AssertionSuccess();
}

// CCA_CORRECTION / CCB_UPDATED_SPEED: at least two real arrays, F[1] one value.
inline ::testing::AssertionResult CCValue(const QELM::DBKRecord& r, float* value = nullptr)
{
  if (r.F.length() < 2 || !OneValue(r.F[1]) || !AllFinite(r.F[1]))
    return Fail("consistency record: F[1] needs one finite value");
  if (value)
    *value = r.F[1][0];
  return ::testing::AssertionSuccess();
}

// GUISTLINKDATA: L[1] {N}, L[2] N link numbers in 1..links; F[0..2] N values.
inline ::testing::AssertionResult STLink(const QELM::DBKRecord& r, long links, long* n_out = nullptr)
{
  if (r.L.length() < 3 || !OneValue(r.L[0]) || !OneValue(r.L[1]))
    return Fail("GUISTLINKDATA: L needs three arrays, the first two of one value");
  const long n = r.L[1][0];
  if (n < 0 || static_cast<long>(r.L[2].length()) != n)
    return Fail("GUISTLINKDATA: N " + std::to_string(n) + " but " + std::to_string(r.L[2].length()) +
                " link numbers");
  for (CORBA::ULong j = 0; j < r.L[2].length(); ++j)
    if (r.L[2][j] < 1 || r.L[2][j] > links)
      return Fail("GUISTLINKDATA: link number " + std::to_string(r.L[2][j]) + " outside 1.." +
                  std::to_string(links));
  if (r.F.length() < 3)
    return Fail("GUISTLINKDATA: F needs three arrays");
  for (CORBA::ULong f = 0; f < 3; ++f)
    if (static_cast<long>(r.F[f].length()) != n || !AllFinite(r.F[f]))
      return Fail("GUISTLINKDATA: F[" + std::to_string(f) + "] has " + std::to_string(r.F[f].length()) +
                  " values");
  if (n_out)
    *n_out = n;
  return ::testing::AssertionSuccess();
}

}  // namespace shapes
