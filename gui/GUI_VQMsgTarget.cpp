#include "GUI_VQMsgTarget.h"

#include "VQOStreamLog.h"
#include "qelm_result_kinds.h"

// The plain kinds are the record store's own values.
static_assert(kKindCCACorrection == static_cast<int>(QELM::Tallyhouse::CCA_CORRECTION));
static_assert(kKindCCBUpdatedSpeed == static_cast<int>(QELM::Tallyhouse::CCB_UPDATED_SPEED));
static_assert(kKindRTLink == static_cast<int>(QELM::Tallyhouse::GUIRTLINKDATA));
static_assert(kKindRTStat == static_cast<int>(QELM::Tallyhouse::GUIRTSTATDATA));
static_assert(kKindPredLink == static_cast<int>(QELM::Tallyhouse::GUIPLINKDATA));
static_assert(kKindPredStat == static_cast<int>(QELM::Tallyhouse::GUIPSTATDATA));
static_assert(kKindPredLink1 == static_cast<int>(QELM::Tallyhouse::GUIPLINKDATA_1));
static_assert(kKindPredStat1 == static_cast<int>(QELM::Tallyhouse::GUIPSTATDATA_1));
static_assert(kKindSTLink == static_cast<int>(QELM::Tallyhouse::GUISTLINKDATA));

PlainRecord ToPlainRecord(const QELM::DBKRecord& r, int kind)
{
  PlainRecord out;
  out.kind = kind;
  out.L.resize(r.L.length());
  for (CORBA::ULong i = 0; i < r.L.length(); ++i) {
    const QELM::LongSeq& s = r.L[i];
    out.L[i].assign(s.get_buffer(), s.get_buffer() + s.length());
  }
  out.F.resize(r.F.length());
  for (CORBA::ULong i = 0; i < r.F.length(); ++i) {
    const QELM::FloatSeq& s = r.F[i];
    out.F[i].assign(s.get_buffer(), s.get_buffer() + s.length());
  }
  return out;
}

std::shared_ptr<FetchedMessage> FetchForMessage(long code, IRecordSource& source)
{
  if (!IsHandledCode(code))
    return nullptr;
  auto msg = std::make_shared<FetchedMessage>();
  msg->code = code;

  const int instance = PredictionInstanceOfCode(code);
  if (instance >= 0) {
    VQOStreamLog::Line("Before GUI get latest Record/n");
    auto paths = std::make_unique<CTypedObArray<CPath>>();
    msg->pathResult = ReadPredictedPathFile(PredictedPathFile(instance), *paths);
    if (msg->pathResult.status != PathFileStatus::kNotOpened)
      msg->paths = std::move(paths);
  }

  for (QELM::Tallyhouse::DBKIDEnum kind : ResultKindsOfEndedCode(code)) {
    PlainRecord record;
    std::string error;
    if (!source.FetchLatest(kind, record, error)) {
      msg->records.clear();
      msg->dropReason = "Message " + std::to_string(code) + " dropped: " + error;
      break;
    }
    msg->records.push_back(std::move(record));
    if (instance >= 0 && msg->records.size() == 1)
      VQOStreamLog::Line("After GUI get latest Record/n");
  }
  return msg;
}

GUI_VQMsgTarget::GUI_VQMsgTarget(IRecordSource& source) : m_source(source) {}

GUI_VQMsgTarget::~GUI_VQMsgTarget()
{
  // The handler uses this object's members: the loop ends before they go.
  if (m_is_running)
    StopLoop();
}

void GUI_VQMsgTarget::SetDisplay(IResultDisplay* display, GuiPoster post)
{
  std::lock_guard<std::mutex> lock(m_mutex);
  m_display = display;
  m_post = std::move(post);
}

int GUI_VQMsgTarget::HandleMsg(QELM::MSG* pmsg)
{
  const bool lostBefore = m_source.RecordStoreLost();
  std::shared_ptr<FetchedMessage> msg = FetchForMessage(pmsg->ID, m_source);
  if (!msg)
    return 1;
  const bool lostAfter = m_source.RecordStoreLost();
  // The loss and the return are told once: a message dropped while the
  // store is known lost leaves a line in debug.log only.
  std::string notice;
  bool quiet = false;
  if (!msg->dropReason.empty() && lostAfter) {
    if (lostBefore)
      quiet = true;
    else
      msg->dropReason += kTextStoreLost;
  } else if (lostBefore && !lostAfter) {
    notice = kTextStoreBack;
  }
  IResultDisplay* display;
  GuiPoster post;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    display = m_display;
    post = m_post;
  }
  if (!display) {
    VQOStreamLog::Line("Message %ld dropped: the console has no display for it.\n",
                       static_cast<long>(pmsg->ID));
    return 0;
  }
  auto apply = [msg, display, notice, quiet] {
    if (quiet) {
      display->DebugLog(msg->dropReason, false);
      return;
    }
    if (!notice.empty())
      display->DebugLog(notice, true);
    ApplyMessage(*msg, *display);
  };
  if (post)
    post(apply);
  else
    apply();
  return 0;
}
