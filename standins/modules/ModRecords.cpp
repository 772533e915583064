#include "ModRecords.h"

#include <cmath>

#include "HRTime.h"

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
  const CORBA::ULong n = static_cast<CORBA::ULong>(links.size());
  QELM::DBKRecord r = NewRecord(quasi, 2, 5);
  One(r.L[0], Count(links.size()));
  One(r.L[1], zones);
  for (CORBA::ULong f = 0; f < 4; ++f)
    r.F[f].length(n);
  for (CORBA::ULong i = 0; i < n; ++i) {
    r.F[0][i] = links[i].density;
    r.F[1][i] = links[i].speed;
    r.F[2][i] = links[i].queue;
    r.F[3][i] = links[i].flow;
  }
  SetFloats(r.F[4], od);
  return r;
}

QELM::DBKRecord BuildRTStatRecord(float quasi, const NetStats& st, double time_now_sec)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, 4);
  One(r.L[0], st.numcars);
  One(r.F[0], st.avg_density);
  One(r.F[1], st.avg_speed);
  One(r.F[2], st.avg_stops);
  One(r.F[3], static_cast<float>(time_now_sec));
  return r;
}

QELM::DBKRecord BuildPredLinkRecord(float quasi, const std::vector<std::vector<LinkState>>& steps,
                                    std::size_t links)
{
  QELM::DBKRecord r = NewRecord(quasi, 2, 4);
  One(r.L[0], Count(steps.size()));
  One(r.L[1], Count(links));
  const CORBA::ULong total = static_cast<CORBA::ULong>(steps.size() * links);
  for (CORBA::ULong f = 0; f < 4; ++f)
    r.F[f].length(total);
  CORBA::ULong at = 0;
  for (const std::vector<LinkState>& step : steps) {
    for (std::size_t i = 0; i < links; ++i, ++at) {
      const LinkState s = i < step.size() ? step[i] : LinkState();
      r.F[0][at] = s.speed;
      r.F[1][at] = s.density;
      r.F[2][at] = s.queue;
      r.F[3][at] = s.flow;
    }
  }
  return r;
}

QELM::DBKRecord BuildPredStatRecord(float quasi, const NetStats& st, int stage_start_minute,
                                    int stage_length_minutes)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, 5);
  One(r.L[0], st.numcars);
  One(r.F[0], st.avg_density);
  One(r.F[1], st.avg_speed);
  One(r.F[2], st.avg_stops);
  One(r.F[3], static_cast<float>(stage_start_minute));
  One(r.F[4], static_cast<float>(stage_length_minutes));
  return r;
}

QELM::DBKRecord BuildCCARecord(float quasi, const std::vector<float>& corrections, float value)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, 2);
  One(r.L[0], Count(corrections.size()));
  SetFloats(r.F[0], corrections);
  One(r.F[1], value);
  return r;
}

QELM::DBKRecord BuildCCBRecord(float quasi, const std::vector<float>& speeds, float value)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, 2);
  One(r.L[0], Count(speeds.size()));
  SetFloats(r.F[0], speeds);
  One(r.F[1], value);
  return r;
}

QELM::DBKRecord BuildSTLinkRecord(float quasi, std::size_t links, const std::vector<int>& link_numbers,
                                  const std::vector<LinkState>& obs)
{
  const std::size_t n = std::min(link_numbers.size(), obs.size());
  QELM::DBKRecord r = NewRecord(quasi, 3, 3);
  One(r.L[0], Count(links));
  One(r.L[1], Count(n));
  r.L[2].length(static_cast<CORBA::ULong>(n));
  for (CORBA::ULong f = 0; f < 3; ++f)
    r.F[f].length(static_cast<CORBA::ULong>(n));
  for (CORBA::ULong j = 0; j < n; ++j) {
    r.L[2][j] = link_numbers[j];
    r.F[0][j] = obs[j].flow;
    r.F[1][j] = obs[j].density;
    r.F[2][j] = obs[j].speed;
  }
  return r;
}

QELM::DBKRecord BuildODECoeffRecord(float quasi, int zones, bool corrected, const std::vector<float>& od)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, 1);
  SetLongs(r.L[0], {zones, corrected ? 1 : 0});
  SetFloats(r.F[0], od);
  return r;
}

QELM::DBKRecord BuildODPRecord(float quasi, int zones, int first_slot,
                               const std::vector<std::vector<float>>& slots)
{
  QELM::DBKRecord r = NewRecord(quasi, 1, slots.size());
  SetLongs(r.L[0], {zones, Count(slots.size()), first_slot});
  for (std::size_t s = 0; s < slots.size(); ++s)
    SetFloats(r.F[static_cast<CORBA::ULong>(s)], slots[s]);
  return r;
}

bool RTStatTime(const QELM::DBKRecord& r, double& time_now_sec)
{
  if (r.F.length() < 4 || r.F[3].length() < 1)
    return false;
  const double t = r.F[3][0];
  if (!std::isfinite(t) || t < 0)
    return false;
  time_now_sec = t;
  return true;
}

}  // namespace vlq::mod
