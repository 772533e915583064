#include "ModServants.h"

#include <filesystem>
#include <system_error>

#include "FileText.h"
#include "ModCycles.h"
#include "ModFormats.h"
#include "VQOStreamLog.h"
#include "qelm_msg_codes.h"

namespace vlq::mod {

namespace {

// Stage length when scheduler.dat is not there, in minutes.
constexpr int kDefaultStageMinutes = 20;

// Writes the run directory's file `path` as the module reaches it from its
// folder.
bool WriteRunFile(ModuleContext& ctx, const std::string& run_path, const std::string& text)
{
  const std::string path = ctx.RunFile(run_path);
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::path(path).parent_path();
  if (!dir.empty())
    std::filesystem::create_directories(dir, ec);
  std::string error;
  if (!ReplaceFileText(path, text, &error)) {
    VQOStreamLog::Line("%s: %s\n", ctx.Name().c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

// ---------------------------------------------------------------- commands

// Defined here, away from RunModule, so that the construction is not
// inlined into it (GCC then misreads the virtual base's offset).
CommandTarget_i::CommandTarget_i(ModuleContext& ctx) : m_ctx(ctx) {}

void CommandTarget_i::SendMsg(const QELM::MSG& m)
{
  qelm_upcall([&] { m_ctx.HandleMsg(m); });
}

// ---------------------------------------------------------------- NOWSIM

void NOWSIM_i::SendMsg(const QELM::MSG& m)
{
  qelm_upcall([&] { m_ctx.HandleMsg(m); });
}

void NOWSIM_i::PostInitialize(QELM::SimulationParameters& p)
{
  qelm_upcall([&] {
    const ModNetwork& net = m_ctx.Net();
    const SchedulerValues& s = m_ctx.Schedule();
    p.noofarcs_org = static_cast<CORBA::Long>(net.links.size());
    p.noofarcs = static_cast<CORBA::Long>(net.links.size());
    p.noofnodes = static_cast<CORBA::Long>(net.node_numbers.size());
    p.noofzones = net.ODZones();
    if (m_ctx.HaveSchedule()) {
      p.simulation_interval = static_cast<CORBA::Float>(s.nowsim_period);
      p.assignment_interval = static_cast<CORBA::Float>(s.od_departure_interval);
      p.stage_length = static_cast<CORBA::Float>(s.foresim_stage_length);
      p.state_length = static_cast<CORBA::Float>(s.ode_state_length);
      p.roll_period = static_cast<CORBA::Float>(s.foresim_roll);
      p.od_departure_interval = static_cast<CORBA::Float>(s.od_departure_interval);
      p.od_observation_interval = static_cast<CORBA::Float>(s.od_observation_interval);
      p.cc_observation_interval = static_cast<CORBA::Float>(s.cc_observation_interval);
    }
    VQOStreamLog::Line("NOWSIM: PostInitialize: %ld links, %ld nodes, %ld zones.\n",
                       static_cast<long>(p.noofarcs), static_cast<long>(p.noofnodes),
                       static_cast<long>(p.noofzones));
  });
}

void NOWSIM_i::Simulate(CORBA::ULongLong start_time, CORBA::ULongLong end_time, CORBA::Long flags)
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_NOWSIM_STARTED);
    const double t = static_cast<double>(end_time);
    const NowsimOutput out = NowsimCycle(m_ctx.Model(), m_ctx.Events(), t);
    m_ctx.Insert(out.link, QELM::Tallyhouse::GUIRTLINKDATA, "GUIRTLINKDATA");
    m_ctx.Insert(out.stat, QELM::Tallyhouse::GUIRTSTATDATA, "GUIRTSTATDATA");
    VQOStreamLog::Line("NOWSIM: simulated %llu to %llu s (flags %ld): minute %d.\n",
                       static_cast<unsigned long long>(start_time), static_cast<unsigned long long>(end_time),
                       static_cast<long>(flags), static_cast<int>(MinuteOfDay(t)));
    m_ctx.Send(MSG_NOWSIM_ENDED);
  });
}

void NOWSIM_i::UpdateCCA()
{
  qelm_upcall([&] { VQOStreamLog::Line("NOWSIM: UpdateCCA.\n"); });
}

void NOWSIM_i::UpdateCCB()
{
  qelm_upcall([&] { VQOStreamLog::Line("NOWSIM: UpdateCCB.\n"); });
}

void NOWSIM_i::SaveNetworkState(CORBA::Long total_foresim)
{
  qelm_upcall([&] {
    VQOStreamLog::Line("NOWSIM: SaveNetworkState for %ld predictions.\n", static_cast<long>(total_foresim));
  });
}

void NOWSIM_i::GetNetworkState(QELM::OctetSeq_out network_state, CORBA::Long foresim_instance)
{
  qelm_upcall([&] {
    // The state is rebuilt from the time and the events by every module,
    // so nothing needs to travel.
    network_state = new QELM::OctetSeq;
    VQOStreamLog::Line("NOWSIM: GetNetworkState for prediction %ld.\n", static_cast<long>(foresim_instance));
  });
}

// ---------------------------------------------------------------- FORESIM

void FORESIM_i::Simulate(CORBA::Long flags)
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    const bool second = m_ctx.Instance() == 1;
    m_ctx.Send(second ? MSG_FORESIM1_STARTED : MSG_FORESIM_STARTED);
    const double t = m_ctx.CycleTime();
    const int stage =
        m_ctx.HaveSchedule() ? m_ctx.Schedule().foresim_stage_length / 60 : kDefaultStageMinutes;
    const ForesimOutput out = ForesimCycle(m_ctx.Model(), m_ctx.Events(), t, stage);
    WriteRunFile(m_ctx,
                 second ? "predict1/Predictive_PathTravelTime.dat" : "predict/Predictive_PathTravelTime.dat",
                 out.paths);
    m_ctx.Insert(out.link, second ? QELM::Tallyhouse::GUIPLINKDATA_1 : QELM::Tallyhouse::GUIPLINKDATA,
                 second ? "GUIPLINKDATA_1" : "GUIPLINKDATA");
    m_ctx.Insert(out.stat, second ? QELM::Tallyhouse::GUIPSTATDATA_1 : QELM::Tallyhouse::GUIPSTATDATA,
                 second ? "GUIPSTATDATA_1" : "GUIPSTATDATA");
    VQOStreamLog::Line("%s: predicted minutes %d to %d (flags %ld).\n", m_ctx.Name().c_str(), out.stage_start,
                       out.stage_start + out.stage_length, static_cast<long>(flags));
    m_ctx.Send(second ? MSG_FORESIM1_ENDED : MSG_FORESIM_ENDED);
  });
}

void FORESIM_i::GetNetworkState(QELM::Descriptive_ptr)
{
  qelm_upcall([&] { VQOStreamLog::Line("%s: GetNetworkState.\n", m_ctx.Name().c_str()); });
}

// ---------------------------------------------------------------- ODE, ODP

void ODE_i::RunODEStart(CORBA::Float time_now)
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_ODE_STARTED);
    m_ctx.Insert(OdeCycle(m_ctx.Model(), time_now, false), QELM::Tallyhouse::ODE_PREDICTED_COEFF,
                 "ODE_PREDICTED_COEFF");
    VQOStreamLog::Line("ODE: estimated the OD demand at %.0f s.\n", static_cast<double>(time_now));
    m_ctx.Send(MSG_ODE_ENDED);
  });
}

void ODE_i::RunODECorrection()
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_ODEC_STARTED);
    const double t = m_ctx.CycleTime();
    m_ctx.Insert(OdeCycle(m_ctx.Model(), t, true), QELM::Tallyhouse::ODE_PREDICTED_COEFF,
                 "ODE_PREDICTED_COEFF");
    VQOStreamLog::Line("ODEC: corrected the OD demand at %.0f s.\n", t);
    m_ctx.Send(MSG_ODEC_ENDED);
  });
}

void ODE_i::RunODEFinalMapping()
{
  qelm_upcall([&] { VQOStreamLog::Line("ODE: final mapping.\n"); });
}

void ODP_i::RunODPredict(CORBA::Float& start_time, CORBA::Float horizon)
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_ODP_STARTED);
    m_ctx.Insert(OdpCycle(m_ctx.Model(), start_time, horizon), QELM::Tallyhouse::ODP_PREDICTED_OD,
                 "ODP_PREDICTED_OD");
    VQOStreamLog::Line("ODP: predicted the OD demand from %.0f s over %.0f s.\n",
                       static_cast<double>(start_time), static_cast<double>(horizon));
    m_ctx.Send(MSG_ODP_ENDED);
  });
}

// ---------------------------------------------------------------- NEARVET, FARVET

NEARVET_i::NEARVET_i(ModuleContext& ctx) : ModuleServant(ctx)
{
  std::string text;
  int unknown = 0;
  if (ReadFileText(ctx.RunFile("estimate/Detector.dat"), text))
    m_detectors = DetectorLinksFromText(ctx.Net(), text, &unknown);
  if (m_detectors.empty()) {
    m_detectors = DefaultDetectorLinks(ctx.Net().links.size());
    VQOStreamLog::Line("NEARVET: no detectors in estimate/Detector.dat: every fifth link is observed.\n");
  }
  if (unknown > 0)
    VQOStreamLog::Line("NEARVET: %d detector lines of estimate/Detector.dat name no link.\n", unknown);
  WriteRunFile(ctx, "NEARVET/referencetable.txt", FormatReferenceTable(ctx.Net(), m_detectors));
  VQOStreamLog::Line("NEARVET: %zu detector links.\n", m_detectors.size());
}

void NEARVET_i::RunShortTermCC()
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_NEARVET_STARTED);
    const double t = m_ctx.CycleTime();
    const NearvetOutput out = NearvetCycle(m_ctx.Model(), m_ctx.Events(), t, m_detectors);
    WriteRunFile(m_ctx, "odestimate/obsData.dat", out.obs_data);
    m_ctx.Insert(out.updated_speed, QELM::Tallyhouse::CCB_UPDATED_SPEED, "CCB_UPDATED_SPEED");
    m_ctx.Insert(out.observed, QELM::Tallyhouse::GUISTLINKDATA, "GUISTLINKDATA");
    VQOStreamLog::Line("NEARVET: minute %d, error %.2f%%.\n", static_cast<int>(MinuteOfDay(t)),
                       static_cast<double>(out.value));
    m_ctx.Send(MSG_NEARVET_ENDED);
  });
}

void FARVET_i::RunLongTermCC()
{
  qelm_upcall([&] {
    std::lock_guard<std::mutex> cycle(m_ctx.CycleMutex());
    m_ctx.Send(MSG_FARVET_STARTED);
    const double t = m_ctx.CycleTime();
    const FarvetOutput out = FarvetCycle(m_ctx.Model(), m_ctx.Events(), t);
    m_ctx.Insert(out.correction, QELM::Tallyhouse::CCA_CORRECTION, "CCA_CORRECTION");
    VQOStreamLog::Line("FARVET: minute %d, deviation %.2f%%.\n", static_cast<int>(MinuteOfDay(t)),
                       static_cast<double>(out.value));
    m_ctx.Send(MSG_FARVET_ENDED);
  });
}

}  // namespace vlq::mod
