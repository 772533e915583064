// The message target's loop-thread half: which records each code fetches
// and in which order, the predicted paths read before the fetch, a message
// dropped when there is no record store or a fetch fails, and one posted
// call per handled message.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "HandlerFixtures.h"
#include "StandInGuiThread.h"
#include "TestSupport.h"
#include "qelm_msg_codes.h"

using namespace handler_test;
using K = QELM::Tallyhouse;

namespace {

// Answers every fetch with the record given for its kind or an empty one,
// or fails one kind.
struct FakeSource : IRecordSource
{
  std::vector<K::DBKIDEnum> asked;
  std::map<int, PlainRecord> records;
  int failKind = -1;
  bool noStore = false;
  bool FetchLatest(K::DBKIDEnum kind, PlainRecord& out, std::string& error) override
  {
    asked.push_back(kind);
    if (records.count(kind)) {
      out = records[kind];
      return true;
    }
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
  auto* owned = new QELM::DBKRecord(r);
  const QELM::DBKRecord& wire = *owned;  // p keeps it from here
  PlainRecord p = ToPlainRecord(owned, 8);
  EXPECT_EQ(p.kind, 8);
  EXPECT_EQ(p.L, (std::vector<RecordArray<std::int32_t>>{{-4, 2147483647}, {}, {9}}));
  EXPECT_EQ(p.F, (std::vector<RecordArray<float>>{{1.25f, -0.0f}}));
  // The values stay where the reply left them: no copy.
  EXPECT_TRUE(p.F[0].Borrowed());
  EXPECT_EQ(p.F[0].data(), wire.F[0].get_buffer());
  EXPECT_TRUE(p.L[2].Borrowed());
  EXPECT_EQ(p.L[2].data(), wire.L[2].get_buffer());
  // A copy of the plain record borrows the same values.
  const PlainRecord copy = p;
  EXPECT_EQ(copy.F[0].data(), wire.F[0].get_buffer());
  EXPECT_TRUE(ToPlainRecord(new QELM::DBKRecord(), 6).L.empty());
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

// A source whose record store is lost or answers again during a fetch.
struct LosingSource : FakeSource
{
  bool lost = false;       // what RecordStoreLost says
  bool lostAfter = false;  // what it says once a fetch has run
  bool fail = false;       // the fetch fails for want of the store
  bool RecordStoreLost() const override { return lost; }
  bool FetchLatest(K::DBKIDEnum kind, PlainRecord& out, std::string& error) override
  {
    lost = lostAfter;
    if (fail) {
      asked.push_back(kind);
      error = "no record store (the system is not initialized).";
      return false;
    }
    return FakeSource::FetchLatest(kind, out, error);
  }
};

// The loss of the record store and its return are told once in the control
// panel: the later dropped messages go to debug.log only.
TEST(MessageTarget, TheLossAndTheReturnOfTheStoreAreToldOnce)
{
  using Lines = std::vector<std::pair<std::string, bool>>;
  const std::string dropped = "Message " + std::to_string(MSG_FARVET_ENDED) +
                              " dropped: no record store (the system is not initialized).";
  const Lines applied = {{"FARVET ended.", true},
                         {"Updating display from FARVET.", false},
                         {"Finished updating display from FARVET.", false}};
  const std::pair<std::string, bool> back = {kTextStoreBack, true};
  struct Fetch
  {
    bool lostBefore, lostAfter, fails;
    Lines lines;
  };
  struct Case
  {
    const char* name;
    std::vector<Fetch> fetches;
  };
  const Case cases[] = {
      {"never lost", {{false, false, false, applied}}},
      {"a failed fetch while the store is not lost", {{false, false, true, {{dropped, true}}}}},
      {"lost on this fetch", {{false, true, true, {{dropped + kTextStoreLost, true}}}}},
      {"already lost", {{true, true, true, {{dropped, false}}}}},
      {"back on this fetch", {{true, false, false, {back, applied[0], applied[1], applied[2]}}}},
      {"back, yet this fetch failed", {{true, false, true, {back, {dropped, true}}}}},
      {"lost after a fetch that gave its records", {{false, true, false, applied}}},
      {"lost, dropped twice, back, applied",
       {{false, true, true, {{dropped + kTextStoreLost, true}}},
        {true, true, true, {{dropped, false}}},
        {true, true, true, {{dropped, false}}},
        {true, false, false, {back, applied[0], applied[1], applied[2]}},
        {false, false, false, applied}}},
  };
  RunDirectory run;
  for (const Case& c : cases) {
    ResetWorld(2);
    LosingSource source;
    source.records[kKindCCACorrection] = Record(kKindCCACorrection, {{2}}, {{1, 2}, {0.5f}});
    GUI_VQMsgTarget target(source);
    for (std::size_t k = 0; k < c.fetches.size(); ++k) {
      const Fetch& f = c.fetches[k];
      source.lost = f.lostBefore;
      source.lostAfter = f.lostAfter;
      source.fail = f.fails;
      RecordingDisplay display;
      target.SetDisplay(&display, nullptr);
      QELM::MSG msg = Msg(MSG_FARVET_ENDED);
      EXPECT_EQ(target.HandleMsg(&msg), 0) << c.name << " " << k;
      EXPECT_EQ(display.lines, f.lines) << c.name << " " << k;
      target.SetDisplay(nullptr, nullptr);
    }
  }
  ResetWorld(0);
}

// The window side of a message in the real order: the per-link values are
// written on the loop thread before the view moves to their minute, every
// display call comes from the window thread.
struct ThreadCheckingDisplay : RecordingDisplay
{
  std::thread::id window;
  std::atomic<int> offWindowCalls{0};
  double densityAtNewMinute = -1;
  void Check()
  {
    if (std::this_thread::get_id() != window)
      ++offWindowCalls;
  }
  void DebugLog(const std::string& text, bool toPanel) override
  {
    Check();
    RecordingDisplay::DebugLog(text, toPanel);
  }
  int ViewMinute(int view) const override
  {
    const_cast<ThreadCheckingDisplay*>(this)->Check();
    return RecordingDisplay::ViewMinute(view);
  }
  void SetViewMinute(int view, int minute) override
  {
    Check();
    if (view == kEstimationView)
      densityAtNewMinute = Series(1, kMeasureDensity, kSourceEstimate, minute);
    RecordingDisplay::SetViewMinute(view, minute);
  }
  void InvalidateViews() override
  {
    Check();
    RecordingDisplay::InvalidateViews();
  }
};

TEST(MessageTarget, LinkValuesAreWrittenOffTheWindowThreadBeforeTheViewsMove)
{
  RunDirectory run;
  ResetWorld(3);
  FakeSource source;
  source.records[kKindRTStat] = RTStat(4200);
  source.records[kKindRTLink] = RTLink(3, 2);
  source.records[kKindPredLink] = PredLink(kKindPredLink, 2, 3);
  source.records[kKindPredStat] = PredStat(kKindPredStat, 70, 2);
  ThreadCheckingDisplay display;
  GuiThread gui;
  gui.Run([&] { display.window = std::this_thread::get_id(); });
  {
    GUI_VQMsgTarget target(source);
    target.SetDisplay(&display, gui.Poster());
    target.StartThread();
    target.Post(Msg(MSG_NOWSIM_ENDED));
    target.Post(Msg(MSG_FORESIM_ENDED));
    ASSERT_TRUE(WaitUntil([&] {
      bool done = false;
      gui.Run([&] { done = display.Texts().size() >= 7; });
      return done;
    }));
    target.StopLoop();
  }
  gui.Run([&] {
    EXPECT_EQ(display.offWindowCalls.load(), 0);
    EXPECT_EQ(display.densityAtNewMinute, LinkValue(0, 1));
    EXPECT_EQ(display.minutes[IResultDisplay::kEstimationView], 70);
    EXPECT_EQ(display.Texts().back(), "Finished updating display from FORESIM.");
    EXPECT_EQ(Series(2, kMeasureSpeed, kSourcePredict0, 71), LinkValue(0, 2, 1));
    EXPECT_EQ(Series(2, kMeasureSpeed, kSourcePredict0, 72), LinkValue(0, 2, 1));  // the last step again
  });
  ResetWorld(0);
}

// A window thread that never runs the handler's calls (it is the one
// stopping the loop) does not keep the loop from stopping.
TEST(MessageTarget, AStopEndsTheWaitForTheWindowThread)
{
  RunDirectory run;
  ResetWorld(2);
  FakeSource source;
  RecordingDisplay display;
  std::vector<std::function<void()>> held;
  std::mutex heldMutex;
  {
    GUI_VQMsgTarget target(source);
    target.SetDisplay(&display, [&](std::function<void()> f) {
      std::lock_guard<std::mutex> lock(heldMutex);
      held.push_back(std::move(f));
    });
    target.StartThread();
    target.Post(Msg(MSG_FORESIM_ENDED));
    target.Post(Msg(MSG_NOWSIM_ENDED));
    ASSERT_TRUE(WaitUntil([&] {
      std::lock_guard<std::mutex> lock(heldMutex);
      return !held.empty();
    }));
    target.StopLoop();
  }
  // Only the first step was handed over; it still runs safely later.
  ASSERT_EQ(held.size(), 1u);
  held[0]();
  EXPECT_EQ(display.Texts().front(), "FORESIM simulation ended.");
  ResetWorld(0);
}

}  // namespace
