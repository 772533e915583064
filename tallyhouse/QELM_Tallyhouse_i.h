// QELM_Tallyhouse_i: the record store servant. One bounded, newest-first
// history of DBKRecord values per record kind, each behind its own mutex.
#pragma once

#include "VQDynQ.h"

#include <QELM.hh>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

class QELM_Tallyhouse_i : public POA_QELM::Tallyhouse
{
public:
  using DBKIDEnum = QELM::Tallyhouse::DBKIDEnum;

  // A stored record is never changed once stored; readers share it and copy
  // it outside the history's mutex.
  using StoredRecord = std::shared_ptr<const QELM::DBKRecord>;
  using History = VQDynQ<StoredRecord>;

  // Number of record kinds (ids 0 to kIdCount - 1).
  static constexpr int kIdCount = 17;

  // Trim and max size of the history of a kind; false for an unknown id.
  static bool HistorySizes(int id, std::size_t& trim_size, std::size_t& max_size);

  explicit QELM_Tallyhouse_i(CORBA::ORB_ptr orb);
  ~QELM_Tallyhouse_i() override;

  QELM_Tallyhouse_i(const QELM_Tallyhouse_i&) = delete;
  QELM_Tallyhouse_i& operator=(const QELM_Tallyhouse_i&) = delete;

  CORBA::Long Initialize(QELM::Management_ptr man_ref) override;
  void UpdateSimulationParameters(const QELM::SimulationParameters& sim_param) override;
  QELM::SimulationParameters GetSimulationParameters() override;
  void Shutdown() override;
  void Flush() override;
  CORBA::Long GetTableMaxSize(DBKIDEnum lshid) override;
  void SetTableMaxSize(DBKIDEnum lshid, CORBA::Long max_size) override;
  CORBA::Long GetRecordCount(DBKIDEnum lshid) override;
  QELM::HRTime GetLatestInsertTime(DBKIDEnum lshid) override;
  QELM::DBKRecord* GetLatestRecord(DBKIDEnum lshid) override;
  QELM::DBKRecord* GetRecord(DBKIDEnum lshid, CORBA::Float quasi_timestamp) override;
  void InsertRecord(const QELM::DBKRecord& L, DBKIDEnum lshid) override;
  QELM::DBKRecord* GetRecordAverage(DBKIDEnum lshid, CORBA::Long numpast) override;
  QELM::LSHHistory* FetchLSHH(DBKIDEnum lshid, CORBA::Long numpast) override;

  // Marks the calls that arrive over the wire: their arguments were
  // unmarshalled into values of the ORB's call and are dropped after it.
  CORBA::Boolean _dispatch(omniCallHandle& handle) override;

  // The Management reference given by Initialize (nil before); a new
  // reference owned by the caller.
  QELM::Management_ptr GetManagement();

private:
  // Refuses an id that has no history (BAD_PARAM).
  static void CheckId(DBKIDEnum lshid);

  QELM::SimulationParameters m_sim_params;
  std::map<DBKIDEnum, History> m_data_hist;
  std::map<DBKIDEnum, std::mutex> m_hist_mutex;
  CORBA::ORB_var m_orb;
  QELM::Management_var m_management;

  // Guards m_sim_params.
  std::mutex m_param_mutex;
  // Guards m_management and m_shut_down.
  std::mutex m_man_mutex;
  bool m_shut_down = false;
  // Keeps the clock correction's connect (Initialize) and disconnect
  // (Shutdown) from running at the same time.
  std::mutex m_clock_mutex;
};
