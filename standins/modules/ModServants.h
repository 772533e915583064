// The servants of the six modules. Each cycle operation sends the module's
// started code, inserts the cycle's records (and writes its files), then
// sends the ended code, all inside the call.
#pragma once

#include <QELM.hh>

#include <vector>

#include "ModProgram.h"

namespace vlq::mod {

class NOWSIM_i : public ModuleServant<POA_QELM::Descriptive>
{
public:
  explicit NOWSIM_i(ModuleContext& ctx) : ModuleServant(ctx) {}
  void SendMsg(const QELM::MSG& m) override;
  void PostInitialize(QELM::SimulationParameters& sim_param) override;
  void Simulate(CORBA::ULongLong start_time, CORBA::ULongLong end_time, CORBA::Long flags) override;
  void UpdateCCA() override;
  void UpdateCCB() override;
  void SaveNetworkState(CORBA::Long total_foresim) override;
  void GetNetworkState(QELM::OctetSeq_out network_state, CORBA::Long foresim_instance) override;
};

// FORESIM; instance 1 (the second prediction) reports 50/51, writes
// GUIPLINKDATA_1 and GUIPSTATDATA_1 and its paths to predict1/.
class FORESIM_i : public ModuleServant<POA_QELM::Predictive>
{
public:
  explicit FORESIM_i(ModuleContext& ctx) : ModuleServant(ctx) {}
  void Simulate(CORBA::Long flags) override;
  void GetNetworkState(QELM::Descriptive_ptr nowsim) override;
};

class ODE_i : public ModuleServant<POA_QELM::ODEstimate>
{
public:
  explicit ODE_i(ModuleContext& ctx) : ModuleServant(ctx) {}
  void RunODEStart(CORBA::Float time_now) override;
  void RunODECorrection() override;
  void RunODEFinalMapping() override;
};

class ODP_i : public ModuleServant<POA_QELM::ODPredict>
{
public:
  explicit ODP_i(ModuleContext& ctx) : ModuleServant(ctx) {}
  void RunODPredict(CORBA::Float& start_time, CORBA::Float horizon) override;
};

// NEARVET keeps the detector links of estimate/Detector.dat (every fifth
// link without one) and writes NEARVET/referencetable.txt at start.
class NEARVET_i : public ModuleServant<POA_QELM::ShortTermCC>
{
public:
  explicit NEARVET_i(ModuleContext& ctx);
  void RunShortTermCC() override;

private:
  std::vector<int> m_detectors;
};

class FARVET_i : public ModuleServant<POA_QELM::LongTermCC>
{
public:
  explicit FARVET_i(ModuleContext& ctx) : ModuleServant(ctx) {}
  void RunLongTermCC() override;
};

}  // namespace vlq::mod
