#include "QELM_Tallyhouse_i.h"

#include "BorrowArrays.h"
#include "HRTime.h"
#include "VQCheck.h"
#include "VQOStreamLog.h"
#include "VQTimeCentral.h"

#include <omniORB4/callHandle.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using QELM::DBKRecord;

// Creation order of the histories and their mutexes.
const int kCreationOrder[QELM_Tallyhouse_i::kIdCount] = {0, 1,  3,  2,  4,  5,  6,  7, 8,
                                                         9, 10, 11, 13, 14, 12, 15, 16};

// Far past: the latest insert time of an empty history.
QELM::HRTime FarPast()
{
  return -HRTimeFromWholeSeconds(2147483647);
}

// The first failed length check of the older records against the newest
// one's arrays, the condition's text, or null when all hold. An older record
// may hold more arrays than the newest (the extra ones are not averaged);
// one lacking an array of the newest fails that array's length check.
const char* AverageShapeFault(const std::vector<QELM_Tallyhouse_i::StoredRecord>& recs)
{
  const DBKRecord& newest = *recs[0];
  for (std::size_t i = 1; i < recs.size(); ++i) {
    const DBKRecord& older = *recs[i];
    for (CORBA::ULong j = 0; j < newest.L.length(); ++j)
      if (j >= older.L.length() || older.L[j].length() != newest.L[j].length())
        return "m_data_hist[lshid][i]->L[j].length() == sz";
    for (CORBA::ULong j = 0; j < newest.F.length(); ++j)
      if (j >= older.F.length() || older.F[j].length() != newest.F[j].length())
        return "m_data_hist[lshid][i]->F[j].length() == sz";
  }
  return nullptr;
}

// The element-wise mean of the newest record's arrays over the records,
// newest first. Integer arrays are summed in 64 bits (no sum of 32-bit
// values can overflow) and divided by the count, truncating toward zero.
void AverageIntegerArrays(const std::vector<QELM_Tallyhouse_i::StoredRecord>& recs, QELM::LongSeqArray& out)
{
  const QELM::LongSeqArray& newest = recs[0]->L;
  const std::int64_t count = static_cast<std::int64_t>(recs.size());
  out.length(newest.length());
  std::vector<std::int64_t> sum;
  for (CORBA::ULong j = 0; j < newest.length(); ++j) {
    const CORBA::ULong sz = newest[j].length();
    sum.assign(sz, 0);
    QELM::LongSeq& dst = out[j];
    dst.length(sz);
    // An empty array is not asked for its buffer (which may allocate).
    if (sz == 0)
      continue;
    for (const QELM_Tallyhouse_i::StoredRecord& r : recs) {
      const CORBA::Long* src = r->L[j].get_buffer();
      for (CORBA::ULong k = 0; k < sz; ++k)
        sum[k] += src[k];
    }
    for (CORBA::ULong k = 0; k < sz; ++k)
      dst[k] = static_cast<CORBA::Long>(sum[k] / count);
  }
}

// Real arrays: the newest record's values, to which each older record's are
// added in turn in single precision, then divided by the count as a
// single-precision real.
void AverageRealArrays(const std::vector<QELM_Tallyhouse_i::StoredRecord>& recs, QELM::FloatSeqArray& out)
{
  out = recs[0]->F;
  const float count = static_cast<float>(recs.size());
  for (CORBA::ULong j = 0; j < out.length(); ++j) {
    const CORBA::ULong sz = out[j].length();
    if (sz == 0)
      continue;
    CORBA::Float* dst = out[j].get_buffer();
    for (std::size_t i = 1; i < recs.size(); ++i) {
      const CORBA::Float* src = recs[i]->F[j].get_buffer();
      for (CORBA::ULong k = 0; k < sz; ++k)
        dst[k] += src[k];
    }
    for (CORBA::ULong k = 0; k < sz; ++k)
      dst[k] /= count;
  }
}

// Set while this thread dispatches a request that came over the wire; it
// then also points to the stored records whose buffers the reply borrows,
// which the dispatch keeps until the reply is marshalled.
thread_local bool t_remote_request = false;
thread_local std::vector<QELM_Tallyhouse_i::StoredRecord>* t_reply_holds = nullptr;

class RemoteRequestMark
{
public:
  explicit RemoteRequestMark(bool remote) : m_previous(t_remote_request), m_previous_holds(t_reply_holds)
  {
    t_remote_request = remote;
    t_reply_holds = remote ? &m_holds : nullptr;
  }
  ~RemoteRequestMark()
  {
    t_remote_request = m_previous;
    t_reply_holds = m_previous_holds;
  }
  RemoteRequestMark(const RemoteRequestMark&) = delete;
  RemoteRequestMark& operator=(const RemoteRequestMark&) = delete;

private:
  bool m_previous;
  std::vector<QELM_Tallyhouse_i::StoredRecord>* m_previous_holds;
  std::vector<QELM_Tallyhouse_i::StoredRecord> m_holds;
};

// Fills out with the stored record for a reply. A reply to another process
// borrows the stored arrays, and the record is held until the reply is
// marshalled, so that the history may drop it meanwhile; a caller in this
// process gets a copy of its own, which it may change and keep.
void ReplyRecord(const QELM_Tallyhouse_i::StoredRecord& rec, DBKRecord& out)
{
  if (t_reply_holds == nullptr) {
    out = *rec;
    return;
  }
  t_reply_holds->push_back(rec);
  out.timestamp = rec->timestamp;
  out.quasi_timestamp = rec->quasi_timestamp;
  BorrowArrays(rec->L, out.L);
  BorrowArrays(rec->F, out.F);
}

DBKRecord* NewReplyRecord(const QELM_Tallyhouse_i::StoredRecord& rec)
{
  DBKRecord* out = new DBKRecord;
  ReplyRecord(rec, *out);
  return out;
}

// Moves the elements of src into dst (empty); false when src does not own
// its buffer.
template <class Seq>
bool TakeElements(Seq& dst, Seq& src)
{
  const CORBA::ULong len = src.length();
  const CORBA::ULong max = src.maximum();
  if (len == 0)
    return true;
  auto* buf = src.get_buffer(true);
  if (buf == nullptr)
    return false;
  dst.replace(max, len, buf, true);
  return true;
}

// The record to store for an inserted one. A request from another process
// carries its record in a value that the ORB made for this call alone and
// destroys after it, so its arrays are taken over rather than copied; a
// caller in this process keeps its record, which is copied.
QELM_Tallyhouse_i::StoredRecord RecordToStore(const DBKRecord& L)
{
  if (!t_remote_request)
    return std::make_shared<const DBKRecord>(L);
  DBKRecord& arg = const_cast<DBKRecord&>(L);
  auto rec = std::make_shared<DBKRecord>();
  rec->timestamp = arg.timestamp;
  rec->quasi_timestamp = arg.quasi_timestamp;
  if (!TakeElements(rec->L, arg.L))
    rec->L = arg.L;
  if (!TakeElements(rec->F, arg.F))
    rec->F = arg.F;
  return rec;
}

// Adds to held the records of hist from index first on: those a trim to
// first records would free. Holding them lets the caller free them after the
// history's mutex is released.
void HoldFrom(const QELM_Tallyhouse_i::History& hist, std::size_t first,
              std::vector<QELM_Tallyhouse_i::StoredRecord>& held)
{
  for (std::size_t i = first; i < hist.Size(); ++i)
    held.push_back(*hist.At(i));
}

}  // namespace

CORBA::Boolean QELM_Tallyhouse_i::_dispatch(omniCallHandle& handle)
{
  RemoteRequestMark mark(handle.iop_s() != nullptr);
  return QELM::_impl_Tallyhouse::_dispatch(handle);
}

bool QELM_Tallyhouse_i::HistorySizes(int id, std::size_t& trim_size, std::size_t& max_size)
{
  switch (id) {
  case QELM::Tallyhouse::NOWSIM_FLOW_PROP:
    trim_size = 30;
    max_size = 80;
    return true;
  case QELM::Tallyhouse::NOWSIM_CCA_LINKPROP:
  case QELM::Tallyhouse::FORESIM_PREDICTED_STATS:
  case QELM::Tallyhouse::FORESIM_LINKPROP:
  case QELM::Tallyhouse::ODE_PREDICTED_COEFF:
  case QELM::Tallyhouse::CCA_CORRECTION:
  case QELM::Tallyhouse::CCB_UPDATED_SPEED:
  case QELM::Tallyhouse::FORESIM_RP_GPS:
    trim_size = 1;
    max_size = 1;
    return true;
  case QELM::Tallyhouse::ODP_PREDICTED_OD:
  case QELM::Tallyhouse::GUIRTLINKDATA:
  case QELM::Tallyhouse::GUIRTSTATDATA:
  case QELM::Tallyhouse::GUIPLINKDATA:
  case QELM::Tallyhouse::GUIPSTATDATA:
  case QELM::Tallyhouse::GUIPLINKDATA_1:
  case QELM::Tallyhouse::GUIPSTATDATA_1:
  case QELM::Tallyhouse::GUISTLINKDATA:
  case QELM::Tallyhouse::GUISTSTATDATA:
    trim_size = 30;
    max_size = 60;
    return true;
  default: return false;
  }
}

QELM_Tallyhouse_i::QELM_Tallyhouse_i(CORBA::ORB_ptr orb) : m_sim_params(), m_orb(CORBA::ORB::_duplicate(orb))
{
  // No run has given its parameters yet: all counts and intervals are 0.
  m_sim_params.noofarcs_org = 0;
  m_sim_params.noofarcs = 0;
  m_sim_params.noofnodes = 0;
  m_sim_params.noofzones = 0;
  m_sim_params.simulation_interval = 0;
  m_sim_params.assignment_interval = 0;
  m_sim_params.stage_length = 0;
  m_sim_params.state_length = 0;
  m_sim_params.roll_period = 0;
  m_sim_params.od_departure_interval = 0;
  m_sim_params.od_observation_interval = 0;
  m_sim_params.cc_observation_interval = 0;

  for (int id : kCreationOrder) {
    std::size_t trim = 0, max = 0;
    HistorySizes(id, trim, max);
    m_data_hist.emplace(std::piecewise_construct, std::forward_as_tuple(DBKIDEnum(id)),
                        std::forward_as_tuple(trim, max));
  }
  for (int id : kCreationOrder)
    m_hist_mutex.try_emplace(DBKIDEnum(id));
}

QELM_Tallyhouse_i::~QELM_Tallyhouse_i() = default;

void QELM_Tallyhouse_i::CheckId(DBKIDEnum lshid)
{
  const int id = static_cast<int>(lshid);
  if (!VQ_CHECK_TEXT(id >= 0 && id < kIdCount, "lshid >= 0 && lshid < 17"))
    throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);
}

QELM::Management_ptr QELM_Tallyhouse_i::GetManagement()
{
  std::lock_guard<std::mutex> lock(m_man_mutex);
  return QELM::Management::_duplicate(m_management.in());
}

CORBA::Long QELM_Tallyhouse_i::Initialize(QELM::Management_ptr man_ref)
{
  std::lock_guard<std::mutex> clock_lock(m_clock_mutex);
  QELM::Management_var man;
  {
    std::lock_guard<std::mutex> lock(m_man_mutex);
    if (m_shut_down)
      return -1;
    m_management = QELM::Management::_duplicate(man_ref);
    man = QELM::Management::_duplicate(man_ref);
  }
  VQOStreamLog::Line("Bound to %s.\n", "Management");
  VQOStreamLog::Line("Connecting to the time synchronization server...\n");
  const int ret = VQTimeCentral::Connect(man.in());
  // A nil reference stops the correction, which answers 0.
  return ret == 0 ? 0 : -1;
}

void QELM_Tallyhouse_i::UpdateSimulationParameters(const QELM::SimulationParameters& sim_param)
{
  std::lock_guard<std::mutex> lock(m_param_mutex);
  m_sim_params = sim_param;
}

QELM::SimulationParameters QELM_Tallyhouse_i::GetSimulationParameters()
{
  std::lock_guard<std::mutex> lock(m_param_mutex);
  return m_sim_params;
}

void QELM_Tallyhouse_i::Shutdown()
{
  VQOStreamLog::Line("Server shutting down...\n");
  Flush();
  VQOStreamLog::Line("Disconnecting from the time synchronization server...\n");
  {
    std::lock_guard<std::mutex> clock_lock(m_clock_mutex);
    {
      std::lock_guard<std::mutex> lock(m_man_mutex);
      m_shut_down = true;
    }
    VQTimeCentral::Connect(QELM::Management::_nil());
  }
  VQOStreamLog::Line("Waiting for the ORB to shutdown...\n");
  try {
    m_orb->shutdown(false);
  } catch (const CORBA::Exception&) {
    // A second Shutdown finds the ORB already going down.
  }
}

void QELM_Tallyhouse_i::Flush()
{
  for (int id = 0; id < kIdCount; ++id) {
    std::vector<StoredRecord> dropped;  // freed after the mutex is released
    std::lock_guard<std::mutex> lock(m_hist_mutex.at(DBKIDEnum(id)));
    History& hist = m_data_hist.at(DBKIDEnum(id));
    HoldFrom(hist, hist.GetTrimSize() + 1, dropped);
    hist.Clear();
  }
}

CORBA::Long QELM_Tallyhouse_i::GetTableMaxSize(DBKIDEnum lshid)
{
  CheckId(lshid);
  std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
  return static_cast<CORBA::Long>(m_data_hist.at(lshid).GetMaxSize());
}

void QELM_Tallyhouse_i::SetTableMaxSize(DBKIDEnum lshid, CORBA::Long max_size)
{
  CheckId(lshid);
  if (!VQ_CHECK(max_size > 0))
    throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);
  std::vector<StoredRecord> dropped;  // freed after the mutex is released
  std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
  History& hist = m_data_hist.at(lshid);
  HoldFrom(hist, static_cast<std::size_t>(max_size) + 1, dropped);
  hist.SetMaxSize(static_cast<std::size_t>(max_size));
}

CORBA::Long QELM_Tallyhouse_i::GetRecordCount(DBKIDEnum lshid)
{
  CheckId(lshid);
  std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
  return static_cast<CORBA::Long>(m_data_hist.at(lshid).Size());
}

QELM::HRTime QELM_Tallyhouse_i::GetLatestInsertTime(DBKIDEnum lshid)
{
  VQOStreamLog::Line("Tallyhouse: Call to GetLatestTimestamp. id = %d.\n", static_cast<int>(lshid));
  CheckId(lshid);
  std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
  const History& hist = m_data_hist.at(lshid);
  if (hist.Size() == 0)
    return FarPast();
  return (*hist.At(0))->timestamp;
}

QELM::DBKRecord* QELM_Tallyhouse_i::GetLatestRecord(DBKIDEnum lshid)
{
  VQOStreamLog::Line("Tallyhouse: Call to GetLatestRecord. id = %d.\n", static_cast<int>(lshid));
  CheckId(lshid);
  StoredRecord newest;
  {
    std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
    const History& hist = m_data_hist.at(lshid);
    if (!VQ_CHECK_TEXT(hist.Size() != 0, "m_data_hist[lshid].size() != 0"))
      throw CORBA::BAD_INV_ORDER(0, CORBA::COMPLETED_NO);
    newest = *hist.At(0);
  }
  return NewReplyRecord(newest);
}

QELM::DBKRecord* QELM_Tallyhouse_i::GetRecord(DBKIDEnum lshid, CORBA::Float quasi_timestamp)
{
  VQOStreamLog::Line("Tallyhouse: Call to GetRecord. id = %d, timestamp = %f.\n", static_cast<int>(lshid),
                     static_cast<double>(quasi_timestamp));
  CheckId(lshid);
  StoredRecord found;
  {
    std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
    const History& hist = m_data_hist.at(lshid);
    for (std::size_t i = 0; i < hist.Size(); ++i) {
      const StoredRecord& rec = *hist.At(i);
      const float diff = rec->quasi_timestamp - quasi_timestamp;
      if (std::fabs(diff) < 0.001) {
        found = rec;
        break;
      }
    }
  }
  const bool found_it = found != nullptr;
  if (!VQ_CHECK(found_it))
    throw QELM::Tallyhouse::InvalidQuasiTimestamp();
  VQOStreamLog::Line(" quasi_timestamp: %f\n", static_cast<double>(found->quasi_timestamp));
  return NewReplyRecord(found);
}

void QELM_Tallyhouse_i::InsertRecord(const QELM::DBKRecord& L, DBKIDEnum lshid)
{
  VQOStreamLog::Line("Tallyhouse: Call to InsertRecord. id = %d.\n", static_cast<int>(lshid));
  CheckId(lshid);
  // The stored record is made before the mutex is taken, and the records
  // that the insert trims are freed after it is released.
  StoredRecord* plsh = new StoredRecord(RecordToStore(L));
  std::vector<StoredRecord> dropped;
  std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
  History& hist = m_data_hist.at(lshid);
  if (hist.Size() + 1 > hist.GetMaxSize())
    HoldFrom(hist, hist.GetTrimSize(), dropped);
  hist.Insert(plsh);
}

QELM::DBKRecord* QELM_Tallyhouse_i::GetRecordAverage(DBKIDEnum lshid, CORBA::Long numpast)
{
  VQOStreamLog::Line("Tallyhouse: Call to GetRecordAverage. id,numpast = %d,%d.\n", static_cast<int>(lshid),
                     static_cast<int>(numpast));
  CheckId(lshid);
  if (!VQ_CHECK(numpast >= 1))
    throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);

  // The newest numpast records, taken under the mutex; they are immutable,
  // so the sums need no lock.
  std::vector<StoredRecord> recs;
  {
    std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
    const History& hist = m_data_hist.at(lshid);
    // An empty history is refused as an operation out of order, a count
    // above a filled history's size as a bad argument.
    if (!VQ_CHECK_TEXT(static_cast<std::size_t>(numpast) <= hist.Size(),
                       "numpast <= m_data_hist[lshid].size()")) {
      if (hist.Size() == 0)
        throw CORBA::BAD_INV_ORDER(0, CORBA::COMPLETED_NO);
      throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);
    }
    recs.reserve(static_cast<std::size_t>(numpast));
    for (CORBA::Long i = 0; i < numpast; ++i)
      recs.push_back(*hist.At(static_cast<std::size_t>(i)));
  }

  if (const char* fault = AverageShapeFault(recs)) {
    VQ_CHECK_TEXT(false, fault);
    throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);
  }

  DBKRecord* buffer = new DBKRecord;
  buffer->timestamp = recs[0]->timestamp;
  buffer->quasi_timestamp = recs[0]->quasi_timestamp;
  AverageIntegerArrays(recs, buffer->L);
  AverageRealArrays(recs, buffer->F);
  return buffer;
}

QELM::LSHHistory* QELM_Tallyhouse_i::FetchLSHH(DBKIDEnum lshid, CORBA::Long numpast)
{
  VQOStreamLog::Line("Tallyhouse: Call to FetchLSHH. id,numpast = %d,%d.\n", static_cast<int>(lshid),
                     static_cast<int>(numpast));
  CheckId(lshid);
  if (!VQ_CHECK(numpast >= 0))
    throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);

  std::vector<StoredRecord> recs;
  {
    std::lock_guard<std::mutex> lock(m_hist_mutex.at(lshid));
    const History& hist = m_data_hist.at(lshid);
    if (!VQ_CHECK_TEXT(static_cast<std::size_t>(numpast) <= hist.Size(),
                       "numpast <= m_data_hist[lshid].size()"))
      throw CORBA::BAD_PARAM(0, CORBA::COMPLETED_NO);
    recs.reserve(static_cast<std::size_t>(numpast));
    for (CORBA::Long i = 0; i < numpast; ++i)
      recs.push_back(*hist.At(static_cast<std::size_t>(i)));
  }

  QELM::LSHHistory* buffer = new QELM::LSHHistory;
  buffer->length(static_cast<CORBA::ULong>(recs.size()));
  for (CORBA::ULong i = 0; i < recs.size(); ++i)
    ReplyRecord(recs[i], (*buffer)[i]);
  return buffer;
}
