// The message target's loop-thread half: which records each code fetches
// and in which order, the predicted paths read before the fetch, a message
// dropped when there is no record store or a fetch fails, and one posted
// call per handled message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "HandlerFixtures.h"
#include "StandInGuiThread.h"
#include "TestSupport.h"
#include "qelm_msg_codes.h"

using namespace handler_test;
using K = QELM::Tallyhouse;

namespace {

// Answers every fetch with an empty record of the kind, or fails one kind.
struct FakeSource : IRecordSource
{
  std::vector<K::DBKIDEnum> asked;
  int failKind = -1;
  bool noStore = false;
  bool FetchLatest(K::DBKIDEnum kind, PlainRecord& out, std::string& error) override
  {
    asked.push_back(kind);
    if (noStore) {
      error = "no record store (the system is not initialized).";
      return false;
    }
    if (static_cast<int>(kind) == failKind) {
      error = "fetching " + ResultKindName(kind) + " failed (TRANSIENT).";
      return false;
    }
    out = PlainRecord();
    out.kind = kind;
    return true;
  }
};

// The working directory for a test: a run directory with predict/ and
// predict1/.
class RunDirectory
{
public:
  RunDirectory() : m_old(std::filesystem::current_path())
  {
    std::filesystem::create_directories(m_dir.file("predict"));
    std::filesystem::create_directories(m_dir.file("predict1"));
    std::filesystem::current_path(m_dir.path());
  }
  ~RunDirectory() { std::filesystem::current_path(m_old); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(m_dir.file(name)) << text; }

private:
  TempDir m_dir{"vlq-gui-run"};
  std::filesystem::path m_old;
};

TEST(FetchForMessage, RecordsOfEachCodeInOrder)
{
  RunDirectory run;
  const std::map<long, std::vector<K::DBKIDEnum>> expected = {
      {MSG_NOWSIM_ENDED, {K::GUIRTSTATDATA, K::GUIRTLINKDATA}},
      {MSG_FORESIM_ENDED, {K::GUIPLINKDATA, K::GUIPSTATDATA}},
      {MSG_FORESIM1_ENDED, {K::GUIPLINKDATA_1, K::GUIPSTATDATA_1}},
      {MSG_FARVET_ENDED, {K::CCA_CORRECTION}},
      {MSG_NEARVET_ENDED, {K::CCB_UPDATED_SPEED, K::GUISTLINKDATA}},
      {MSG_NOWSIM_STARTED, {}},
      {MSG_CYCLIC_STARTED, {}},
      {MSG_ODE_ENDED, {}},
      {MSG_ODP_ENDED, {}},
  };
  for (const auto& [code, kinds] : expected) {
    FakeSource source;
    std::shared_ptr<FetchedMessage> m = FetchForMessage(code, source);
    ASSERT_TRUE(m) << code;
    EXPECT_EQ(m->code, code);
    EXPECT_EQ(source.asked, kinds) << code;
    ASSERT_EQ(m->records.size(), kinds.size()) << code;
    for (std::size_t k = 0; k < kinds.size(); ++k)
      EXPECT_EQ(m->records[k].kind, static_cast<int>(kinds[k])) << code;
    EXPECT_TRUE(m->dropReason.empty()) << code;
  }
  for (long ignored : {0L, 1L, 42L, 47L, 52L}) {
    FakeSource source;
    EXPECT_FALSE(FetchForMessage(ignored, source)) << ignored;
    EXPECT_TRUE(source.asked.empty()) << ignored;
  }
}

TEST(FetchForMessage, FailedFetchDropsTheMessage)
{
  RunDirectory run;
  FakeSource source;
  source.failKind = K::GUIRTSTATDATA;
  std::shared_ptr<FetchedMessage> m = FetchForMessage(MSG_NOWSIM_ENDED, source);
  ASSERT_TRUE(m);
  EXPECT_EQ(source.asked, (std::vector<K::DBKIDEnum>{K::GUIRTSTATDATA}));
  EXPECT_TRUE(m->records.empty());
  EXPECT_EQ(m->dropReason, "Message 9 dropped: fetching GUIRTSTATDATA failed (TRANSIENT).");

  FakeSource none;
  none.noStore = true;
  m = FetchForMessage(MSG_NEARVET_ENDED, none);
  EXPECT_EQ(m->dropReason, "Message 39 dropped: no record store (the system is not initialized).");
  // A code without records needs no store.
  m = FetchForMessage(MSG_NEARVET_STARTED, none);
  EXPECT_TRUE(m->dropReason.empty());
}

TEST(FetchForMessage, PredictedPathsOfTheInstance)
{
  RunDirectory run;
  run.Write("predict1/Predictive_PathTravelTime.dat", "0 2\n1 3.5 2 11 12\n2 4 1 13\n");
  FakeSource source;
  std::shared_ptr<FetchedMessage> second = FetchForMessage(MSG_FORESIM1_ENDED, source);
  ASSERT_TRUE(second && second->paths);
  EXPECT_EQ(second->pathResult.status, PathFileStatus::kRead);
  ASSERT_EQ(second->paths->GetSize(), 2);
  EXPECT_EQ((*second->paths)[0]->m_Nodes, (std::vector<unsigned>{11, 12}));
  EXPECT_DOUBLE_EQ((*second->paths)[1]->m_dTravelTime, 4);
  // No file for the first instance.
  std::shared_ptr<FetchedMessage> first = FetchForMessage(MSG_FORESIM_ENDED, source);
  EXPECT_FALSE(first->paths);
  EXPECT_EQ(first->pathResult.status, PathFileStatus::kNotOpened);
  // Other codes read no paths.
  EXPECT_FALSE(FetchForMessage(MSG_NOWSIM_ENDED, source)->paths);
}

TEST(PlainRecords, FromTheWireRecord)
{
  QELM::DBKRecord r;
  r.L.length(3);
  r.L[0].length(2);
  r.L[0][0] = -4;
  r.L[0][1] = 2147483647;
  r.L[2].length(1);
  r.L[2][0] = 9;
  r.F.length(1);
  r.F[0].length(2);
  r.F[0][0] = 1.25f;
  r.F[0][1] = -0.0f;
  PlainRecord p = ToPlainRecord(r, 8);
  EXPECT_EQ(p.kind, 8);
  EXPECT_EQ(p.L, (std::vector<std::vector<std::int32_t>>{{-4, 2147483647}, {}, {9}}));
  EXPECT_EQ(p.F, (std::vector<std::vector<float>>{{1.25f, -0.0f}}));
  EXPECT_TRUE(ToPlainRecord(QELM::DBKRecord(), 6).L.empty());
}

QELM::MSG Msg(long code)
{
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  return m;
}

TEST(MessageTarget, OnePostPerHandledMessage)
{
  RunDirectory run;
  ResetWorld(2);
  FakeSource source;
  GUI_VQMsgTarget target(source);
  RecordingDisplay display;
  int posts = 0;
  target.SetDisplay(&display, [&](std::function<void()> f) {
    ++posts;
    f();
  });
  QELM::MSG ignored = Msg(44);
  EXPECT_EQ(target.HandleMsg(&ignored), 1);
  EXPECT_EQ(posts, 0);
  QELM::MSG started = Msg(MSG_ODE_STARTED);
  EXPECT_EQ(target.HandleMsg(&started), 0);
  QELM::MSG ended = Msg(MSG_NOWSIM_ENDED);  // empty records: skipped, one post all the same
  EXPECT_EQ(target.HandleMsg(&ended), 0);
  EXPECT_EQ(posts, 2);
  EXPECT_EQ(display.Texts().front(), "ODE started.");

  // Without a display nothing is posted.
  target.SetDisplay(nullptr, nullptr);
  EXPECT_EQ(target.HandleMsg(&started), 0);
  EXPECT_EQ(posts, 2);
  ResetWorld(0);
}

TEST(MessageTarget, TheLoopAppliesMessagesInArrivalOrderOnTheWindowThread)
{
  RunDirectory run;
  ResetWorld(2);
  FakeSource source;
  RecordingDisplay display;
  GuiThread gui;
  {
    GUI_VQMsgTarget target(source);
    target.SetDisplay(&display, gui.Poster());
    target.StartThread();
    for (long code :
         std::vector<long>{MSG_CYCLIC_STARTED, MSG_ODE_STARTED, 77, MSG_ODE_ENDED, MSG_CYCLIC_STOPPED})
      target.Post(Msg(code));
    ASSERT_TRUE(WaitUntil([&] { return gui.Posted() >= 4; }));
    target.StopLoop();
  }
  gui.Run([&] {
    EXPECT_EQ(display.Texts(), (std::vector<std::string>{"Cyclic executive started.", "ODE started.",
                                                         "ODE ended.", "Cyclic executive stoped."}));
  });
  ResetWorld(0);
}

}  // namespace
