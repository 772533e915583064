// The observation thread against a temp run directory: the reference table,
// obsData.dat versions (same stamp, values of 0 or below, short files,
// numbers out of range, the slot's wrap), and the thread's start, pause and
// joined stop.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "CDrawLine.h"
#include "GlobalArrays.h"
#include "LinkSeries.h"
#include "ObservationReader.h"

namespace fs = std::filesystem;

namespace {

struct RunDir
{
  fs::path dir;
  RunDir()
  {
    char tmpl[] = "/tmp/vlq_obs_XXXXXX";
    dir = ::mkdtemp(tmpl);
    fs::create_directories(dir / "NEARVET");
    fs::create_directories(dir / "odestimate");
  }
  ~RunDir() { fs::remove_all(dir); }
  std::string Path() const { return dir.string(); }
  void Reference(const std::string& text) const { Write(dir / "NEARVET" / "referencetable.txt", text); }
  void Obs(const std::string& text) const
  {
    // Written aside and renamed, as a whole file appears.
    Write(dir / "odestimate" / "obsData.tmp", text);
    fs::rename(dir / "odestimate" / "obsData.tmp", dir / "odestimate" / "obsData.dat");
  }
  static void Write(const fs::path& p, const std::string& text)
  {
    std::ofstream(p, std::ios::binary) << text;
  }
};

// Links 1..n with nothing observed.
struct Links
{
  CTypedObArray<CDrawLine> array;
  explicit Links(int n)
  {
    for (int i = 0; i < n; ++i)
      array.Add(new CDrawLine());
  }
  double Obs(int link, int slot) const
  {
    return array.GetAt(link - 1)->Series(kMeasureDensity, kSourceObserved, slot);
  }
  void SetObs(int link, int slot, double v)
  {
    array.GetAt(link - 1)->SetSeries(kMeasureDensity, kSourceObserved, slot, v);
  }
};

// Five links; rows 1, 3 and 4 carry detectors (fourth value > 0), so the
// detector list is links 1, 3, 4.
const char kReference[] = "5 3\n"
                          "1 0 0 1 0 0\n"
                          "2 0 0 0 0 0\n"
                          "3 0 0 2 0 0\n"
                          "4 0 0 7.5 0 0\n"
                          "5 0 0 -1 0 0\n";

template <class Pred>
bool WaitFor(Pred pred)
{
  // Bounded wait for the thread to reach a state; no speed is asserted.
  for (int i = 0; i < 3000; ++i) {
    if (pred())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return pred();
}

}  // namespace

TEST(ReferenceTable, DetectorRowsFlagsAndSlotZero)
{
  RunDir run;
  run.Reference(kReference);
  Links links(5);
  for (int l = 1; l <= 5; ++l)
    links.SetObs(l, 0, 9.0);
  CObservationReader r(links.array);
  EXPECT_EQ(r.ReadReferenceTable(run.Path()), ReferenceTableStatus::kRead);
  EXPECT_EQ(r.DetectorLinks(), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(r.ValuesPerRecord(), 3);
  const bool observed[] = {true, false, true, true, false};
  for (int l = 1; l <= 5; ++l) {
    EXPECT_EQ(links.array.GetAt(l - 1)->m_bObserved, observed[l - 1]) << l;
    EXPECT_EQ(links.Obs(l, 0), observed[l - 1] ? 0.0 : 9.0) << l;
  }
}

TEST(ReferenceTable, Mutations)
{
  struct Case
  {
    const char* name;
    const char* text;  // null: no file
    ReferenceTableStatus status;
    std::vector<int> detectors;
    int values;
  };
  const Case cases[] = {
      {"missing", nullptr, ReferenceTableStatus::kMissing, {}, 0},
      {"empty", "", ReferenceTableStatus::kShort, {}, 0},
      {"fewer rows than announced", "4 2\n1 0 0 1 0 0\n2 0 0 1 0", ReferenceTableStatus::kShort, {1}, 2},
      {"rows beyond the links",
       "3 3\n1 0 0 1 0 0\n7 0 0 1 0 0\n9 0 0 1 0 0\n",
       ReferenceTableStatus::kRead,
       {1, 7, 9},
       3},
      {"negative value count", "1 -4\n1 0 0 1 0 0\n", ReferenceTableStatus::kRead, {1}, 0},
      {"reals truncated", "2.9 1.7\n1.9 0 0 0.5 0 0\n2.2 0 0 3 0 0\n", ReferenceTableStatus::kRead, {2}, 1},
  };
  for (const Case& c : cases) {
    RunDir run;
    if (c.text)
      run.Reference(c.text);
    Links links(1);
    CObservationReader r(links.array);
    EXPECT_EQ(r.ReadReferenceTable(run.Path()), c.status) << c.name;
    EXPECT_EQ(r.DetectorLinks(), c.detectors) << c.name;
    EXPECT_EQ(r.ValuesPerRecord(), c.values) << c.name;
  }
}

TEST(ObservationFile, VersionsOfTheFile)
{
  RunDir run;
  run.Reference(kReference);
  Links links(5);
  CObservationReader r(links.array);
  ASSERT_EQ(r.ReadReferenceTable(run.Path()), ReferenceTableStatus::kRead);

  EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kMissing);

  run.Obs("8 0 0\n10.5 20 30\n");
  EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken);
  EXPECT_EQ(links.Obs(1, 0), 10.5);
  EXPECT_EQ(links.Obs(3, 0), 20.0);
  EXPECT_EQ(links.Obs(4, 0), 30.0);
  EXPECT_EQ(links.Obs(2, 0), 0.0);
  EXPECT_EQ(r.Slot(), 1);
  EXPECT_EQ(r.LastStamp(), (std::array<int, 3>{8, 0, 0}));

  // The same stamp again is not taken, whatever the values.
  run.Obs("8 0 0\n99 99 99\n");
  EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kSameStamp);
  EXPECT_EQ(r.Slot(), 1);
  EXPECT_EQ(links.Obs(1, 1), 0.0);

  // 0 and -3 leave their slots as they were.
  links.SetObs(3, 1, 4.0);
  links.SetObs(4, 1, 5.0);
  run.Obs("8 0 10\n1 0 -3\n");
  EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken);
  EXPECT_EQ(links.Obs(1, 1), 1.0);
  EXPECT_EQ(links.Obs(3, 1), 4.0);
  EXPECT_EQ(links.Obs(4, 1), 5.0);
  EXPECT_EQ(r.Slot(), 2);
  EXPECT_EQ(r.FilesTaken(), 2);
}

TEST(ObservationFile, TruncatedFileIsSkippedUntilWhole)
{
  struct Case
  {
    const char* name;
    const char* text;
  };
  const Case cases[] = {
      {"empty", ""},
      {"stamp cut", "8 0"},
      {"values cut", "8 0 20\n1 2"},
      {"only the stamp", "8 0 20\n"},
  };
  for (const Case& c : cases) {
    RunDir run;
    run.Reference(kReference);
    Links links(5);
    CObservationReader r(links.array);
    r.ReadReferenceTable(run.Path());
    run.Obs(c.text);
    EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kPartial) << c.name;
    EXPECT_EQ(r.Slot(), 0) << c.name;
    EXPECT_EQ(links.Obs(1, 0), 0.0) << c.name;
    EXPECT_EQ(r.LastStamp(), (std::array<int, 3>{-1, -1, -1})) << c.name;
    // The whole file, with the stamp of the cut one, is taken next.
    run.Obs("8 0 20\n1 2 3\n");
    EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken) << c.name;
    EXPECT_EQ(links.Obs(4, 0), 3.0) << c.name;
  }
}

// A file short of values may still be in writing: it is taken, with the
// values it holds, once two polls in a row read it the same. A file without
// a whole stamp is never taken.
TEST(ObservationFile, ShortFileIsTakenOnceUnchangedOverTwoPolls)
{
  struct Case
  {
    const char* name;
    std::vector<const char*> versions;  // the file at each poll
    std::vector<ObservationPoll> polls;
    int slot;
    std::array<int, 3> stamp;
    std::array<double, 3> obs;  // links 1, 3, 4 at slot 0
  };
  using P = ObservationPoll;
  const Case cases[] = {
      {"values cut", {"8 0 20\n1 2", "8 0 20\n1 2"}, {P::kPartial, P::kTakenShort}, 1, {8, 0, 20}, {1, 2, 0}},
      {"only the stamp", {"8 0 20\n", "8 0 20\n"}, {P::kPartial, P::kTakenShort}, 1, {8, 0, 20}, {0, 0, 0}},
      {"short then whole",
       {"8 0 20\n1", "8 0 20\n1 2 3\n"},
       {P::kPartial, P::kTaken},
       1,
       {8, 0, 20},
       {1, 2, 3}},
      {"growing, then unchanged",
       {"8 0 20\n1", "8 0 20\n1 2", "8 0 20\n1 2"},
       {P::kPartial, P::kPartial, P::kTakenShort},
       1,
       {8, 0, 20},
       {1, 2, 0}},
      {"taken once, then the same stamp",
       {"8 0 20\n5", "8 0 20\n5", "8 0 20\n5", "8 0 20\n6 7 8\n"},
       {P::kPartial, P::kTakenShort, P::kSameStamp, P::kSameStamp},
       1,
       {8, 0, 20},
       {5, 0, 0}},
      {"a missing poll between",
       {"8 0 20\n1", nullptr, "8 0 20\n1"},
       {P::kPartial, P::kMissing, P::kPartial},
       0,
       {-1, -1, -1},
       {0, 0, 0}},
      {"stamp cut",
       {"8 0", "8 0", "8 0"},
       {P::kPartial, P::kPartial, P::kPartial},
       0,
       {-1, -1, -1},
       {0, 0, 0}},
      {"empty", {"", "", ""}, {P::kPartial, P::kPartial, P::kPartial}, 0, {-1, -1, -1}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunDir run;
    run.Reference(kReference);
    Links links(5);
    CObservationReader r(links.array);
    r.ReadReferenceTable(run.Path());
    for (size_t i = 0; i < c.versions.size(); ++i) {
      if (c.versions[i])
        run.Obs(c.versions[i]);
      else
        fs::remove(run.dir / "odestimate" / "obsData.dat");
      EXPECT_EQ(r.PollOnce(run.Path()), c.polls[i]) << "poll " << i;
    }
    EXPECT_EQ(r.Slot(), c.slot);
    EXPECT_EQ(r.FilesTaken(), c.slot);
    EXPECT_EQ(r.LastStamp(), c.stamp);
    EXPECT_EQ(links.Obs(1, 0), c.obs[0]);
    EXPECT_EQ(links.Obs(3, 0), c.obs[1]);
    EXPECT_EQ(links.Obs(4, 0), c.obs[2]);
    EXPECT_EQ(links.Obs(1, 1), 0.0) << "one slot per file";
  }
}

TEST(ObservationFile, IndicesOutOfRangeAreNeverUsed)
{
  // Detector link numbers 0 and 99 lie outside the three links; M = 5 is
  // larger than the list of three.
  RunDir run;
  run.Reference("3 5\n0 0 0 1 0 0\n99 0 0 1 0 0\n2 0 0 1 0 0\n");
  Links links(3);
  CObservationReader r(links.array);
  ASSERT_EQ(r.ReadReferenceTable(run.Path()), ReferenceTableStatus::kRead);
  run.Obs("1 2 3\n11 12 13 14 15\n");
  EXPECT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken);
  EXPECT_EQ(links.Obs(2, 0), 13.0);
  EXPECT_EQ(links.Obs(1, 0), 0.0);
  EXPECT_EQ(links.Obs(3, 0), 0.0);

  // M smaller than the list: the links past M get nothing.
  RunDir run2;
  run2.Reference("3 1\n1 0 0 1 0 0\n2 0 0 1 0 0\n3 0 0 1 0 0\n");
  Links links2(3);
  CObservationReader r2(links2.array);
  r2.ReadReferenceTable(run2.Path());
  run2.Obs("1 2 3\n7 8 9\n");
  EXPECT_EQ(r2.PollOnce(run2.Path()), ObservationPoll::kTaken);
  EXPECT_EQ(links2.Obs(1, 0), 7.0);
  EXPECT_EQ(links2.Obs(2, 0), 0.0);
}

TEST(ObservationFile, SlotWrapsAfter5000Files)
{
  RunDir run;
  run.Reference("1 1\n1 0 0 1 0 0\n");
  Links links(1);
  CObservationReader r(links.array);
  r.ReadReferenceTable(run.Path());
  for (int k = 0; k < CObservationReader::kSlots; ++k) {
    run.Obs(std::to_string(k) + " 0 0\n" + std::to_string(k + 1) + "\n");
    ASSERT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken) << k;
  }
  EXPECT_EQ(r.Slot(), 0);
  EXPECT_EQ(links.Obs(1, 0), 1.0);
  EXPECT_EQ(links.Obs(1, 4999), 5000.0);
  run.Obs("-5 0 0\n777\n");
  ASSERT_EQ(r.PollOnce(run.Path()), ObservationPoll::kTaken);
  EXPECT_EQ(links.Obs(1, 0), 777.0);
  EXPECT_EQ(r.Slot(), 1);
}

TEST(ObservationThread, TakesNewFilesAndShortOnesOnceUnchangedAndStopJoins)
{
  RunDir run;
  run.Reference(kReference);
  Links links(5);
  CObservationReader r(links.array);
  r.Start(run.Path(), 10, 5);
  EXPECT_TRUE(r.IsRunning());
  run.Obs("1 0 0\n1 2 3\n");
  ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 1; }));
  EXPECT_EQ(links.Obs(3, 0), 2.0);

  run.Obs("2 0 0\n4 5");  // short: taken at the poll that finds it unchanged
  ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 2; }));
  EXPECT_EQ(r.Slot(), 2);
  EXPECT_EQ(links.Obs(1, 1), 4.0);
  EXPECT_EQ(links.Obs(3, 1), 5.0);
  EXPECT_EQ(links.Obs(4, 1), 0.0);

  run.Obs("3 0 0\n4 5 6\n");
  ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 3; }));
  EXPECT_EQ(links.Obs(4, 2), 6.0);

  r.Stop();
  EXPECT_FALSE(r.IsRunning());
  EXPECT_TRUE(r.ThreadEnded());
  // Nothing is taken after the stop.
  run.Obs("4 0 0\n7 8 9\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(r.FilesTaken(), 3);
}

TEST(ObservationThread, StopWakesALongPause)
{
  RunDir run;
  run.Reference(kReference);
  run.Obs("1 0 0\n1 2 3\n");
  Links links(5);
  CObservationReader r(links.array);
  r.Start(run.Path(), 3600 * 1000, 3600 * 1000);
  ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 1; }));
  r.Stop();  // would hang for an hour if the pause were not woken
  EXPECT_TRUE(r.ThreadEnded());
}

TEST(ObservationThread, MissingFileIsPolledAtAPause)
{
  RunDir run;
  run.Reference(kReference);
  Links links(5);
  CObservationReader r(links.array);
  r.Start(run.Path(), 3600 * 1000, 3600 * 1000);
  ASSERT_TRUE(WaitFor([&] { return r.Polls() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(r.Polls(), 1);  // a spinning thread would have polled again
  r.Stop();
}

TEST(ObservationThread, MissingReferenceTableEndsTheThread)
{
  RunDir run;
  run.Obs("1 0 0\n1 2 3\n");
  Links links(5);
  CObservationReader r(links.array);
  r.Start(run.Path(), 5, 5);
  ASSERT_TRUE(WaitFor([&] { return r.ThreadEnded(); }));
  EXPECT_EQ(r.ReferenceStatus(), ReferenceTableStatus::kMissing);
  EXPECT_EQ(r.Polls(), 0);
  EXPECT_FALSE(r.IsRunning());
  r.Stop();
}

TEST(ObservationThread, RestartBeginsAfreshAndDestructorJoins)
{
  RunDir run;
  run.Reference(kReference);
  run.Obs("1 0 0\n1 2 3\n");
  Links links(5);
  {
    CObservationReader r(links.array);
    r.Start(run.Path(), 5, 5);
    ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 1; }));
    r.Start(run.Path(), 5, 5);  // stops the first thread, state anew
    ASSERT_TRUE(WaitFor([&] { return r.FilesTaken() == 1; }));
    EXPECT_EQ(r.Slot(), 1);
  }  // destroyed while running: joined
}

#include "CProject.h"

namespace {

struct StatusRecorder : IStatusSink
{
  std::vector<std::string> texts;
  void SetStatusText(const std::string& t) override { texts.push_back(t); }
};

}  // namespace

TEST(ObservationThread, ProjectStartsItInTheWorkingDirectoryAndStopsIt)
{
  RunDir run;
  run.Reference("2 2\n1 0 0 1 0 0\n2 0 0 1 0 0\n");
  run.Obs("4 5 6\n3.5 4.5\n");
  g_LineArray.RemoveAll();
  g_LineArray.Add(new CDrawLine());
  g_LineArray.Add(new CDrawLine());
  fs::path old = fs::current_path();
  fs::current_path(run.dir);
  StatusRecorder status;
  IStatusSink* saved = g_Project.m_pStatusBar;
  g_Project.m_pStatusBar = &status;
  g_Project.StartRealTimeReader();
  bool taken = WaitFor([] { return g_ObservationReader.FilesTaken() == 1; });
  g_Project.StopRealTimeReader();
  g_Project.m_pStatusBar = saved;
  fs::current_path(old);
  ASSERT_TRUE(taken);
  EXPECT_FALSE(g_ObservationReader.IsRunning());
  ASSERT_FALSE(status.texts.empty());
  EXPECT_EQ(status.texts.front(), "  Reading real time data");
  EXPECT_TRUE(g_LineArray[0]->m_bObserved);
  EXPECT_EQ(g_LineArray[1]->Series(kMeasureDensity, kSourceObserved, 0), 4.5);
  g_LineArray.RemoveAll();
}

// ---- hostile run directories -----------------------------------------------

#include "ProjectFixtures.h"

namespace {

// A run directory of one link (nodes 1 and 2) whose link carries a
// detector, loaded by the project as the console does; the observation
// thread then runs over the given reference table and observation file.
class OneLinkRun : public ::testing::Test
{
protected:
  void SetUp() override
  {
    sinks.Attach(g_Project);
    fs::create_directories("NEARVET");
    fs::create_directories("odestimate");
  }
  void TearDown() override
  {
    fixtures::RecordingSinks::Detach(g_Project);
    g_Project.ClearNetworkArrays();
  }
  void Load(const std::string& reference)
  {
    WriteAll("estimate/network.dat", "0 2 1 10 0\n1 0\n2 0\n1 2 0 0 100 1 0 0 0 0 0 0 0\n");
    WriteAll("NEARVET/referencetable.txt", reference);
    ASSERT_TRUE(g_Project.LoadNetworkData());
    ASSERT_EQ(g_LineArray.GetSize(), 1);
  }
  fixtures::RunDir run;
  fixtures::RecordingSinks sinks;
};

}  // namespace

// obsData.dat replaced by a directory: its read fails, and the thread polls
// it again as a missing file instead of ending the console.
TEST_F(OneLinkRun, UnreadableObservationFileIsPolledAgain)
{
  fs::create_directories("odestimate/obsData.dat");
  Load("1 1\n1 0 0 1 0 0\n");
  ASSERT_TRUE(WaitFor([] { return g_ObservationReader.Polls() >= 2; }));
  EXPECT_TRUE(g_ObservationReader.IsRunning());
  EXPECT_EQ(g_ObservationReader.FilesTaken(), 0);

  // A readable file in its place is taken at a later poll.
  fs::remove("odestimate/obsData.dat");
  WriteAll("odestimate/obsData.dat", "1 2 3\n5\n");
  ASSERT_TRUE(WaitFor([] { return g_ObservationReader.FilesTaken() == 1; }));
  EXPECT_EQ(g_LineArray[0]->Series(kMeasureDensity, kSourceObserved, 0), 5.0);

  // The same at the reader's own poll.
  CObservationReader r(g_LineArray);
  r.ReadReferenceTable(".");
  fs::remove("odestimate/obsData.dat");
  fs::create_directories("odestimate/obsData.dat");
  EXPECT_EQ(r.PollOnce("."), ObservationPoll::kMissing);
}

// Detector link numbers at and beyond the int range (read values clamp to
// it) are checked before any arithmetic and mark no link.
TEST_F(OneLinkRun, ExtremeDetectorLinkNumbersAreNeverUsed)
{
  for (const char* number : {"-2147483648", "-99999999999", "2147483647", "99999999999", "0"}) {
    SCOPED_TRACE(number);
    WriteAll("odestimate/obsData.dat", "1 2 3\n5\n");
    Load(std::string("1 1\n") + number + " 0 0 1 0 0\n");
    ASSERT_TRUE(WaitFor([] { return g_ObservationReader.FilesTaken() == 1; }));
    EXPECT_EQ(g_LineArray[0]->Series(kMeasureDensity, kSourceObserved, 0), 0.0);
    g_Project.StopRealTimeReader();
  }
}
