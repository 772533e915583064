// The layouts of the result records in the record store: for each record
// kind, what its integer arrays L[i] and real arrays F[i] hold. One home for
// them: the module stand-ins write their records by these indexes, the
// console reads them by them, and the tests build them so. Plain constants,
// no ORB.
//
//   r.F[qelm_layout::RTLink::kDensity][i]              // link i's density, GUIRTLINKDATA
//   r.F[qelm_layout::PredLink::kSpeed][t * links + i]  // link i at step t, GUIPLINKDATA
//
// An array of one value holds it at [0]; per-link arrays follow the order of
// network.dat.
#pragma once

namespace qelm_layout {

// GUIRTLINKDATA: the estimated state of every link and the OD demand.
struct RTLink
{
  static constexpr int kLinks = 0;  // L: {number of links}
  static constexpr int kZones = 1;  // L: {OD zone count}
  static constexpr int kLArrays = 2;

  static constexpr int kDensity = 0;  // F: per link
  static constexpr int kSpeed = 1;    // F: per link
  static constexpr int kQueue = 2;    // F: per link, fraction of the link's length
  static constexpr int kFlow = 3;     // F: per link
  static constexpr int kOD = 4;       // F: zones x zones, origin i and destination j at j * zones + i
  static constexpr int kFArrays = 5;
};

// GUIRTSTATDATA: the network statistics of an estimation.
struct RTStat
{
  static constexpr int kNumCars = 0;  // L: {vehicles in the network}
  static constexpr int kLArrays = 1;

  static constexpr int kAvgDensity = 0;  // F: {value}
  static constexpr int kAvgSpeed = 1;    // F: {value}
  static constexpr int kAvgStops = 2;    // F: {value}
  static constexpr int kTimeNow = 3;     // F: {seconds of the day}
  static constexpr int kFArrays = 4;
};

// GUIPLINKDATA and GUIPLINKDATA_1: the predicted state of every link, step
// after step: value i of step t at t * links + i.
struct PredLink
{
  static constexpr int kSteps = 0;  // L: {number of steps}
  static constexpr int kLinks = 1;  // L: {values per step}
  static constexpr int kLArrays = 2;

  static constexpr int kSpeed = 0;    // F: steps x links
  static constexpr int kDensity = 1;  // F: steps x links
  static constexpr int kQueue = 2;    // F: steps x links, fractions of the links' lengths
  static constexpr int kFlow = 3;     // F: steps x links
  static constexpr int kFArrays = 4;
};

// GUIPSTATDATA and GUIPSTATDATA_1: the network statistics of a prediction
// and its stage.
struct PredStat
{
  static constexpr int kNumCars = 0;  // L: {vehicles in the network}
  static constexpr int kLArrays = 1;

  static constexpr int kAvgDensity = 0;   // F: {value}
  static constexpr int kAvgSpeed = 1;     // F: {value}
  static constexpr int kAvgStops = 2;     // F: {value}
  static constexpr int kStageStart = 3;   // F: {minute of the day}
  static constexpr int kStageLength = 4;  // F: {minutes}
  static constexpr int kFArrays = 5;
};

// CCA_CORRECTION (FARVET) and CCB_UPDATED_SPEED (NEARVET): a value per link
// and the module's one value.
struct Consistency
{
  static constexpr int kLinks = 0;  // L: {number of links}
  static constexpr int kLArrays = 1;

  static constexpr int kPerLink = 0;  // F: per link (correction, or updated speed)
  static constexpr int kValue = 1;    // F: {the module's value}
  static constexpr int kFArrays = 2;
};

// GUISTLINKDATA: the observed links and their measures, N of each.
struct STLink
{
  static constexpr int kLinks = 0;        // L: {number of links}, not read by the console
  static constexpr int kObserved = 1;     // L: {N}
  static constexpr int kLinkNumbers = 2;  // L: N link numbers, 1-based positions in network.dat
  static constexpr int kLArrays = 3;

  static constexpr int kFlow = 0;     // F: N values
  static constexpr int kDensity = 1;  // F: N values
  static constexpr int kSpeed = 2;    // F: N values
  static constexpr int kFArrays = 3;
};

// ODE_PREDICTED_COEFF: the corrected OD coefficients.
struct ODECoeff
{
  static constexpr int kHead = 0;  // L: {zones, corrected 0 or 1}
  static constexpr int kLArrays = 1;

  static constexpr int kOD = 0;  // F: zones x zones
  static constexpr int kFArrays = 1;
};

// ODP_PREDICTED_OD: the predicted OD matrices, one array per slot.
struct ODPredicted
{
  static constexpr int kHead = 0;  // L: {zones, slots, first slot}
  static constexpr int kLArrays = 1;
  // F[s]: zones x zones of slot s
};

}  // namespace qelm_layout
