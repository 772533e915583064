#include "ModRecords.h"

#include <cmath>

#include "HRTime.h"
#include "qelm_record_layout.h"

namespace vlq::mod {

namespace {

void SetLongs(QELM::LongSeq& s, const std::vector<CORBA::Long>& v)
{
  s.length(static_cast<CORBA::ULong>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i)
    s[static_cast<CORBA::ULong>(i)] = v[i];
}

void SetFloats(QELM::FloatSeq& s, const std::vector<float>& v)
{
  s.length(static_cast<CORBA::ULong>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i)
    s[static_cast<CORBA::ULong>(i)] = v[i];
}

QELM::DBKRecord NewRecord(float quasi, std::size_t nl, std::size_t nf)
{
  QELM::DBKRecord r;
  r.timestamp = HRTimeNow();
  r.quasi_timestamp = quasi;
  r.L.length(static_cast<CORBA::ULong>(nl));
  r.F.length(static_cast<CORBA::ULong>(nf));
  return r;
}

void One(QELM::LongSeq& s, CORBA::Long v)
{
  s.length(1);
  s[0] = v;
}

void One(QELM::FloatSeq& s, float v)
{
  s.length(1);
  s[0] = v;
}

CORBA::Long Count(std::size_t n)
{
  return static_cast<CORBA::Long>(n);
}

// The network statistics both statistics records begin with.
template <class S>
QELM::DBKRecord StatRecord(float quasi, const NetStats& st)
{
  QELM::DBKRecord r = NewRecord(quasi, S::kLArrays, S::kFArrays);
  One(r.L[S::kNumCars], st.numcars);
  One(r.F[S::kAvgDensity], st.avg_density);
  One(r.F[S::kAvgSpeed], st.avg_speed);
  One(r.F[S::kAvgStops], st.avg_stops);
  return r;
}

}  // namespace

QELM::DBKRecord MakeRecord(float quasi, const std::vector<std::vector<CORBA::Long>>& L,
                           const std::vector<std::vector<float>>& F)
{
  QELM::DBKRecord r = NewRecord(quasi, L.size(), F.size());
  for (std::size_t i = 0; i < L.size(); ++i)
    SetLongs(r.L[static_cast<CORBA::ULong>(i)], L[i]);
  for (std::size_t i = 0; i < F.size(); ++i)
    SetFloats(r.F[static_cast<CORBA::ULong>(i)], F[i]);
  return r;
}

QELM::DBKRecord BuildRTLinkRecord(float quasi, const std::vector<LinkState>& links, int zones,
                                  const std::vector<float>& od)
{
  using R = qelm_layout::RTLink;
  const CORBA::ULong n = static_cast<CORBA::ULong>(links.size());
  QELM::DBKRecord r = NewRecord(quasi, R::kLArrays, R::kFArrays);
  One(r.L[R::kLinks], Count(links.size()));
  One(r.L[R::kZones], zones);
  for (int f : {R::kDensity, R::kSpeed, R::kQueue, R::kFlow})
    r.F[f].length(n);
  for (CORBA::ULong i = 0; i < n; ++i) {
    r.F[R::kDensity][i] = links[i].density;
    r.F[R::kSpeed][i] = links[i].speed;
    r.F[R::kQueue][i] = links[i].queue;
    r.F[R::kFlow][i] = links[i].flow;
  }
  SetFloats(r.F[R::kOD], od);
  return r;
}

QELM::DBKRecord BuildRTStatRecord(float quasi, const NetStats& st, double time_now_sec)
{
  using S = qelm_layout::RTStat;
  QELM::DBKRecord r = StatRecord<S>(quasi, st);
  One(r.F[S::kTimeNow], static_cast<float>(time_now_sec));
  return r;
}

QELM::DBKRecord BuildPredLinkRecord(float quasi, const std::vector<std::vector<LinkState>>& steps,
                                    std::size_t links)
{
  using P = qelm_layout::PredLink;
  QELM::DBKRecord r = NewRecord(quasi, P::kLArrays, P::kFArrays);
  One(r.L[P::kSteps], Count(steps.size()));
  One(r.L[P::kLinks], Count(links));
  const CORBA::ULong total = static_cast<CORBA::ULong>(steps.size() * links);
  for (int f : {P::kSpeed, P::kDensity, P::kQueue, P::kFlow})
    r.F[f].length(total);
  CORBA::ULong at = 0;
  for (const std::vector<LinkState>& step : steps) {
    for (std::size_t i = 0; i < links; ++i, ++at) {
      const LinkState s = i < step.size() ? step[i] : LinkState();
      r.F[P::kSpeed][at] = s.speed;
      r.F[P::kDensity][at] = s.density;
      r.F[P::kQueue][at] = s.queue;
      r.F[P::kFlow][at] = s.flow;
    }
  }
  return r;
}

QELM::DBKRecord BuildPredStatRecord(float quasi, const NetStats& st, int stage_start_minute,
                                    int stage_length_minutes)
{
  using S = qelm_layout::PredStat;
  QELM::DBKRecord r = StatRecord<S>(quasi, st);
  One(r.F[S::kStageStart], static_cast<float>(stage_start_minute));
  One(r.F[S::kStageLength], static_cast<float>(stage_length_minutes));
  return r;
}

QELM::DBKRecord BuildCCARecord(float quasi, const std::vector<float>& corrections, float value)
{
  using C = qelm_layout::Consistency;
  QELM::DBKRecord r = NewRecord(quasi, C::kLArrays, C::kFArrays);
  One(r.L[C::kLinks], Count(corrections.size()));
  SetFloats(r.F[C::kPerLink], corrections);
  One(r.F[C::kValue], value);
  return r;
}

QELM::DBKRecord BuildCCBRecord(float quasi, const std::vector<float>& speeds, float value)
{
  using C = qelm_layout::Consistency;
  QELM::DBKRecord r = NewRecord(quasi, C::kLArrays, C::kFArrays);
  One(r.L[C::kLinks], Count(speeds.size()));
  SetFloats(r.F[C::kPerLink], speeds);
  One(r.F[C::kValue], value);
  return r;
}

QELM::DBKRecord BuildSTLinkRecord(float quasi, std::size_t links, const std::vector<int>& link_numbers,
                                  const std::vector<LinkState>& obs)
{
  const std::size_t n = std::min(link_numbers.size(), obs.size());
  using T = qelm_layout::STLink;
  QELM::DBKRecord r = NewRecord(quasi, T::kLArrays, T::kFArrays);
  One(r.L[T::kLinks], Count(links));
  One(r.L[T::kObserved], Count(n));
  r.L[T::kLinkNumbers].length(static_cast<CORBA::ULong>(n));
  for (int f : {T::kFlow, T::kDensity, T::kSpeed})
    r.F[f].length(static_cast<CORBA::ULong>(n));
  for (CORBA::ULong j = 0; j < n; ++j) {
    r.L[T::kLinkNumbers][j] = link_numbers[j];
    r.F[T::kFlow][j] = obs[j].flow;
    r.F[T::kDensity][j] = obs[j].density;
    r.F[T::kSpeed][j] = obs[j].speed;
  }
  return r;
}

QELM::DBKRecord BuildODECoeffRecord(float quasi, int zones, bool corrected, const std::vector<float>& od)
{
  using O = qelm_layout::ODECoeff;
  QELM::DBKRecord r = NewRecord(quasi, O::kLArrays, O::kFArrays);
  SetLongs(r.L[O::kHead], {zones, corrected ? 1 : 0});
  SetFloats(r.F[O::kOD], od);
  return r;
}

QELM::DBKRecord BuildODPRecord(float quasi, int zones, int first_slot,
                               const std::vector<std::vector<float>>& slots)
{
  using O = qelm_layout::ODPredicted;
  QELM::DBKRecord r = NewRecord(quasi, O::kLArrays, slots.size());
  SetLongs(r.L[O::kHead], {zones, Count(slots.size()), first_slot});
  for (std::size_t s = 0; s < slots.size(); ++s)
    SetFloats(r.F[static_cast<CORBA::ULong>(s)], slots[s]);
  return r;
}

bool RTStatTime(const QELM::DBKRecord& r, double& time_now_sec)
{
  using S = qelm_layout::RTStat;
  if (r.F.length() <= S::kTimeNow || r.F[S::kTimeNow].length() < 1)
    return false;
  const double t = r.F[S::kTimeNow][0];
  if (!std::isfinite(t) || t < 0)
    return false;
  time_now_sec = t;
  return true;
}

}  // namespace vlq::mod
