// The bring-up steps over fake services: the state machine over (state,
// distribution, command), the server step's key order and titles, Setup
// CORBA and Start with its lines, boxes and stops, the scenario sent at the
// end, one step at a time, Close Components and the end of the console.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <numeric>

#include "BringUp.h"
#include "BringUpFakes.h"
#include "CDrawLine.h"
#include "CommandSender.h"
#include "DistributionScheme.h"
#include "GlobalArrays.h"
#include "LinkSeries.h"
#include "ScenarioObjects.h"
#include "TestSupport.h"

namespace {

using namespace bringup_test;

void WriteDistribution(const std::string& path, const std::map<std::string, int>& values)
{
  std::ofstream out(path);
  out << "[VORLANTISQ]\n";
  for (const auto& [key, value] : values)
    out << key << "=" << value << "\n";
}

const std::map<std::string, int> kAllOnServer = {{"foresim", 0},    {"foresim1", 0}, {"nowsim", 0},
                                                 {"nearvet", 0},    {"farvet", 0},   {"management", 0},
                                                 {"tallyhouse", 0}, {"ode", 0},      {"odp", 0}};

class BringUp : public ::testing::Test
{
protected:
  void SetUp() override { WriteDistribution(dir.file("distribution.ini"), kAllOnServer); }

  std::unique_ptr<BringUpSequence> Make(std::optional<std::string> host = "127.0.0.1:2809")
  {
    BringUpSequence::Options o;
    o.runDir = dir.path();
    o.realTimeMode = [this] { return realTime; };
    o.nameServiceHost = [host] { return host; };
    return std::make_unique<BringUpSequence>(platform, corba, output, o);
  }

  // Through the steps up to state 4 (all modules on the server).
  void UpToServerModules(BringUpSequence& b)
  {
    ASSERT_EQ(b.CheckSystemSettings(nullptr), BringUpSequence::Result::kDone);
    ASSERT_EQ(b.ActivateNamingService(), BringUpSequence::Result::kDone);
    ASSERT_EQ(b.ActivateServerModules(), BringUpSequence::Result::kDone);
    ASSERT_EQ(b.State(), kStateServerModules);
  }

  TempDir dir{"vlq-bringup"};
  FakePlatform platform;
  FakeCorba corba;
  RecordingOutput output;
  bool realTime = false;
};

TEST(BringUpRules, StepsOfferedByStateAndDistribution)
{
  using S = BringUpStep;
  // state -> offered steps, for (distributed, not distributed), data ready.
  struct Case
  {
    S step;
    std::vector<int> local;        // states that offer it, modules on the server
    std::vector<int> distributed;  // states that offer it, modules on clients
  };
  const Case cases[] = {
      {S::kCheckSystemSettings, {0}, {0}},  {S::kActivateNamingService, {1}, {1}},
      {S::kActivateClientModules, {}, {2}}, {S::kActivateServerModules, {2}, {3}},
      {S::kSetupCorbaAndStart, {4}, {4}},   {S::kCloseComponents, {2, 3, 4, 5}, {2, 3, 4, 5}},
  };
  for (const Case& c : cases)
    for (int state = 0; state <= 6; ++state)
      for (bool distributed : {false, true}) {
        const std::vector<int>& offered = distributed ? c.distributed : c.local;
        const bool expected = std::find(offered.begin(), offered.end(), state) != offered.end();
        EXPECT_EQ(BringUpStepOffered(c.step, state, distributed, true, true), expected)
            << static_cast<int>(c.step) << " state " << state << " distributed " << distributed;
        // Nothing without a project; only Check System Settings without the
        // data handed to the views.
        EXPECT_FALSE(BringUpStepOffered(c.step, state, distributed, false, false));
        EXPECT_EQ(BringUpStepOffered(c.step, state, distributed, true, false),
                  expected && c.step == S::kCheckSystemSettings);
      }
}

TEST(BringUpRules, DistributionValues)
{
  TempDir dir;
  struct Case
  {
    const char* name;
    const char* text;  // null: no file
    std::vector<int> values;
    bool distributed;
  };
  const Case cases[] = {
      {"no file", nullptr, {-1, -1, -1, -1, -1, -1, -1, -1, -1}, false},
      {"all on the server",
       "[VORLANTISQ]\nforesim=0\nnowsim=0\nnearvet=0\nfarvet=0\nmanagement=0\n"
       "tallyhouse=0\node=0\nodp=0\nforesim1=0\n",
       {0, 0, 0, 0, 0, 0, 0, 0, 0},
       false},
      {"sum 0, one client",
       "[VORLANTISQ]\nforesim=-1\nnowsim=1\nnearvet=0\nfarvet=0\nmanagement=0\n"
       "tallyhouse=0\node=0\nodp=0\nforesim1=0\n",
       {-1, 1, 0, 0, 0, 0, 0, 0, 0},
       true},
      {"machine 8", "[vorlantisq]\nFORESIM1=8\n", {-1, -1, -1, -1, -1, -1, -1, -1, 8}, true},
      {"machine 9 is no client", "[VORLANTISQ]\nodp=9\n", {-1, -1, -1, -1, -1, -1, -1, 9, -1}, false},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".ini");
    if (c.text)
      std::ofstream(path) << c.text;
    EXPECT_EQ(ReadDistribution(path).distributed, c.distributed) << c.name;
    EXPECT_EQ(ReadMachineSum(path), std::accumulate(c.values.begin(), c.values.end(), 0)) << c.name;
  }
}

TEST(BringUpRules, NameServiceHost)
{
  for (const char* good : {"127.0.0.1:2809", "names.example:1", "localhost:65535", "[::1]:2809"})
    EXPECT_TRUE(IsNameServiceHost(good)) << good;
  for (const char* bad :
       {"", "127.0.0.1", ":2809", "host:", "host:0", "host:65536", "host:12a", "host:999999", "a b:2809",
        "a/b:2809", "a,b:2809", "::1:2809", "[]:2809", "a\"b:2809", "$(x):2809"})
    EXPECT_FALSE(IsNameServiceHost(bad)) << bad;
}

TEST_F(BringUp, TheWholeSequence)
{
  g_LineArray.RemoveAll();
  g_LineArray.Add(new CDrawLine());
  g_LineArray[0]->SetSeries(kMeasureSpeed, kSourcePredict1, 42, 12.0);
  g_LineArray[0]->SetSeries(kMeasureFlow, kSourceEstimate, 42, 7.0);
  std::ofstream(dir.file("debug.log")) << "\nold line";
  auto* sign = new CVMS();
  sign->m_nType = 2;
  sign->m_nFromNode = 11;
  sign->m_nToNode = 12;
  sign->m_nParam1 = 100;
  sign->m_nParam2 = 2;
  sign->m_dStart = 480;
  sign->m_dEnd = 540;
  sign->m_nDetourCount = 2;
  sign->m_nDetourNodes[0] = 12;
  sign->m_nDetourNodes[1] = 13;
  g_VMSArray.Add(sign);
  auto* incident = new CIncident();
  incident->m_nFromNode = 21;
  incident->m_nToNode = 22;
  incident->m_fStart = 600;
  incident->m_fEnd = 660;
  incident->m_fSeverity = 0.5f;
  g_IncidentArray.Add(incident);
  g_WorkZoneArray.Add(new CWorkZone());
  realTime = true;

  auto b = Make();
  EXPECT_EQ(b->State(), kStateNothing);
  EXPECT_FALSE(b->Distributed());
  bool shown = false;
  EXPECT_EQ(b->CheckSystemSettings([&] { shown = true; }), BringUpSequence::Result::kDone);
  EXPECT_TRUE(shown);
  EXPECT_EQ(b->State(), kStateSettingsChecked);
  EXPECT_EQ(b->ActivateNamingService(), BringUpSequence::Result::kDone);
  EXPECT_EQ(b->State(), kStateNamingService);
  EXPECT_EQ(b->ActivateClientModules(), BringUpSequence::Result::kNotRun);
  EXPECT_EQ(b->ActivateServerModules(), BringUpSequence::Result::kDone);
  EXPECT_EQ(b->State(), kStateServerModules);
  const std::string d = dir.path();
  EXPECT_EQ(platform.started,
            (std::vector<std::string>{"naming_service.bat|" + d + "|Naming_Service",
                                      "foresim.bat|" + d + "|FORE-SIM", "foresim1.bat|" + d + "|FORE-SIM1",
                                      "nowsim.bat|" + d + "|NOW-SIM", "nearvet.bat|" + d + "|NEARVET",
                                      "farvet.bat|" + d + "|FARVET", "management.bat|" + d + "|Management",
                                      "tallyhouse.bat|" + d + "|Tallyhouse",
                                      "ode.bat|" + d + "|OD Estimation", "odp.bat|" + d + "|OD Prediction"}));

  EXPECT_EQ(b->SetupCorbaAndStart(), BringUpSequence::Result::kDone);
  EXPECT_EQ(b->State(), kStateStarted);
  EXPECT_EQ(corba.calls, (std::vector<std::string>{"InitORB 127.0.0.1:2809", "StartServer", "Connect",
                                                   "Subscribe", "Initialize", "Start"}));
  EXPECT_TRUE(corba.lastRealTime);
  EXPECT_EQ(output.messages,
            (std::vector<std::string>{"Activating the GUI CORBA server...", "CORBA server is active.",
                                      "Connected to VORLANTIS-Q.", "Subscribed to VORLANTIS-Q messages.",
                                      "VORLANTIS-Q Initialized.", "VORLANTIS-Q scheduler started."}));
  EXPECT_TRUE(output.boxes.empty());
  // The estimation VMS and the incidents, added; no work zone.
  EXPECT_EQ(corba.sender.sent, (std::vector<std::string>{"vms 1 2 11-12 100,2 480.000000 540.000000 12,13,0",
                                                         "incident 1 21-22 600.000000 660.000000 0.500000"}));
  // Density, speed and queue back at 0, 75 and 0; flow kept; debug.log empty.
  EXPECT_DOUBLE_EQ(g_LineArray[0]->Series(kMeasureSpeed, kSourcePredict1, 42), 75.0);
  EXPECT_DOUBLE_EQ(g_LineArray[0]->Series(kMeasureDensity, kSourceObserved, 3), 0.0);
  EXPECT_DOUBLE_EQ(g_LineArray[0]->Series(kMeasureFlow, kSourceEstimate, 42), 7.0);
  EXPECT_TRUE(std::filesystem::exists(dir.file("debug.log")));
  EXPECT_EQ(ReadFile(dir.file("debug.log")), "");

  // Started: only Close Components.
  EXPECT_EQ(b->SetupCorbaAndStart(), BringUpSequence::Result::kNotRun);
  EXPECT_EQ(b->CheckSystemSettings(nullptr), BringUpSequence::Result::kNotRun);
  EXPECT_EQ(b->CloseComponents(), BringUpSequence::Result::kDone);
  EXPECT_EQ(b->State(), kStateClosed);
  EXPECT_EQ(platform.closeDowns, 1);
  for (auto step : {&BringUpSequence::ActivateNamingService, &BringUpSequence::ActivateClientModules,
                    &BringUpSequence::ActivateServerModules, &BringUpSequence::SetupCorbaAndStart,
                    &BringUpSequence::CloseComponents})
    EXPECT_EQ(((*b).*step)(), BringUpSequence::Result::kNotRun);

  g_VMSArray.RemoveAll();
  g_IncidentArray.RemoveAll();
  g_WorkZoneArray.RemoveAll();
  g_LineArray.RemoveAll();
}

TEST_F(BringUp, TheStepSendsTheScenarioCopiedBeforeIt)
{
  // The operator's dialogs may change the lists on the window thread while
  // the step runs on its own: it sends the copy taken before it started.
  auto* incident = new CIncident();
  incident->m_nFromNode = 21;
  incident->m_nToNode = 22;
  incident->m_fStart = 600;
  incident->m_fEnd = 660;
  incident->m_fSeverity = 0.5f;
  g_IncidentArray.Add(incident);
  const StartScenario scenario = CopyStartScenario();
  g_IncidentArray.RemoveAll();
  auto* sign = new CVMS();
  sign->m_nType = 1;
  g_VMSArray.Add(sign);

  auto b = Make();
  UpToServerModules(*b);
  EXPECT_EQ(b->SetupCorbaAndStart(scenario), BringUpSequence::Result::kDone);
  EXPECT_EQ(corba.sender.sent, (std::vector<std::string>{"incident 1 21-22 600.000000 660.000000 0.500000"}));
  g_VMSArray.RemoveAll();
}

TEST_F(BringUp, DistributedModulesGoThroughTheClientReminder)
{
  WriteDistribution(dir.file("distribution.ini"), {{"foresim", 0},
                                                   {"foresim1", 2},
                                                   {"nowsim", 0},
                                                   {"nearvet", -1},
                                                   {"farvet", 1},
                                                   {"management", 0},
                                                   {"tallyhouse", 0},
                                                   {"ode", 3},
                                                   {"odp", 0}});
  auto b = Make();
  EXPECT_TRUE(b->Distributed());
  b->CheckSystemSettings(nullptr);
  b->ActivateNamingService();
  EXPECT_EQ(b->ActivateServerModules(), BringUpSequence::Result::kNotRun);
  EXPECT_EQ(b->ActivateClientModules(), BringUpSequence::Result::kDone);
  EXPECT_EQ(output.boxes, (std::vector<std::pair<std::string, IBringUpOutput::Box>>{
                              {"Please activate VORLANTIS-Q modules on client machine(s)",
                               IBringUpOutput::Box::kInformation}}));
  EXPECT_EQ(b->State(), kStateClientModules);
  EXPECT_EQ(b->ActivateServerModules(), BringUpSequence::Result::kDone);
  const std::string d = dir.path();
  EXPECT_EQ(platform.started,
            (std::vector<std::string>{
                "naming_service.bat|" + d + "|Naming_Service", "foresim.bat|" + d + "|FORE-SIM",
                "nowsim.bat|" + d + "|NOW-SIM", "management.bat|" + d + "|Management",
                "tallyhouse.bat|" + d + "|Tallyhouse", "odp.bat|" + d + "|OD Prediction"}));

  // The Distribution dialog puts everything on the server: read again.
  WriteDistribution(dir.file("distribution.ini"), kAllOnServer);
  b->ReloadDistribution();
  EXPECT_FALSE(b->Distributed());
}

TEST_F(BringUp, LauncherFailuresKeepTheState)
{
  auto b = Make();
  b->CheckSystemSettings(nullptr);
  platform.failing = {"naming_service.bat"};
  EXPECT_EQ(b->ActivateNamingService(), BringUpSequence::Result::kStopped);
  EXPECT_EQ(b->State(), kStateSettingsChecked);
  platform.failing = {"nowsim.bat", "odp.bat"};
  EXPECT_EQ(b->ActivateNamingService(), BringUpSequence::Result::kDone);
  EXPECT_EQ(b->ActivateServerModules(), BringUpSequence::Result::kStopped);
  EXPECT_EQ(b->State(), kStateNamingService);
  EXPECT_EQ(platform.started.size(), 8u);  // the naming service and seven modules
  // Run again: only the two that did not start.
  platform.failing.clear();
  platform.started.clear();
  EXPECT_EQ(b->ActivateServerModules(), BringUpSequence::Result::kDone);
  const std::string d = dir.path();
  EXPECT_EQ(platform.started,
            (std::vector<std::string>{"nowsim.bat|" + d + "|NOW-SIM", "odp.bat|" + d + "|OD Prediction"}));
}

TEST_F(BringUp, SetupStopsAtTheFirstFailureAndRunsAgain)
{
  using Box = IBringUpOutput::Box;
  const std::vector<std::string> all = {"InitORB h:1", "StartServer", "Connect",
                                        "Subscribe",   "Initialize",  "Start"};
  struct Case
  {
    const char* name;
    std::optional<std::string> host;
    const char* failing;  // the operation that fails, or null
    std::vector<std::string> lastLines;
    std::string box;
    std::vector<std::string> rerun;  // the calls of the second run
  };
  const Case cases[] = {
      {"host not set",
       std::nullopt,
       nullptr,
       {},
       "QELM_NAME_SERVICE_HOST is not set. Set it to the naming service's host:port (for example "
       "127.0.0.1:2809) "
       "before starting the console.",
       all},
      {"host without port",
       std::string("namehost"),
       nullptr,
       {},
       "QELM_NAME_SERVICE_HOST is \"namehost\", not the naming service's host:port (for example "
       "127.0.0.1:2809).",
       all},
      {"ORB refuses",
       std::string("h:1"),
       "InitORB h:1",
       {"Failed to initialize the ORB."},
       "Failed to initialize the ORB.",
       all},
      {"server fails",
       std::string("h:1"),
       "StartServer",
       {"Activating the GUI CORBA server...", "Failed to activate the GUI CORBA server."},
       "Failed to activate the GUI CORBA server.",
       all},
      {"connect fails",
       std::string("h:1"),
       "Connect",
       {"Failed to connect VORLANTIS-Q. Reason: ", "the reason"},
       "Failed to connect VORLANTIS-Q.",
       {"Disconnect force", "Connect", "Subscribe", "Initialize", "Start"}},
      {"subscribe fails",
       std::string("h:1"),
       "Subscribe",
       {"Failed to subscribe for messages. Reason:", "the reason"},
       "Failed to start VORLANTIS-Q. Reason:the reason",
       {"Subscribe", "Initialize", "Start"}},
      {"initialize fails",
       std::string("h:1"),
       "Initialize",
       {"Failed to initialize. Reason:", "the reason"},
       "Failed to initialize. Reason:the reason",
       {"Initialize", "Start"}},
      {"start fails",
       std::string("h:1"),
       "Start",
       {"Failed to start VORLANTIS-Q. Reason: ", "the reason"},
       "Failed to start VORLANTIS-Q. Reason: the reason",
       {"Start"}},
  };
  g_IncidentArray.Add(new CIncident());
  for (const Case& c : cases) {
    FakePlatform p;
    FakeCorba k;
    RecordingOutput o;
    std::optional<std::string> host = c.host;
    BringUpSequence::Options opt;
    opt.runDir = dir.path();
    opt.nameServiceHost = [&host] { return host; };
    opt.realTimeMode = [] { return false; };
    BringUpSequence b(p, k, o, opt);
    b.CheckSystemSettings(nullptr);
    b.ActivateNamingService();
    b.ActivateServerModules();
    if (c.failing)
      k.results[c.failing] = 9;
    EXPECT_EQ(b.SetupCorbaAndStart(), BringUpSequence::Result::kStopped) << c.name;
    EXPECT_EQ(b.State(), kStateServerModules) << c.name;
    EXPECT_TRUE(k.sender.sent.empty()) << c.name;
    ASSERT_EQ(o.boxes.size(), 1u) << c.name;
    EXPECT_EQ(o.boxes[0], (std::pair<std::string, Box>{c.box, Box::kError})) << c.name;
    ASSERT_GE(o.messages.size(), c.lastLines.size()) << c.name;
    EXPECT_EQ(
        std::vector<std::string>(o.messages.end() - static_cast<long>(c.lastLines.size()), o.messages.end()),
        c.lastLines)
        << c.name;

    // Mended, it runs again from where it stopped, doing nothing twice.
    host = "h:1";
    k.results.clear();
    k.calls.clear();
    EXPECT_EQ(b.SetupCorbaAndStart(), BringUpSequence::Result::kDone) << c.name;
    EXPECT_EQ(b.State(), kStateStarted) << c.name;
    EXPECT_EQ(k.calls, c.rerun) << c.name;
    EXPECT_EQ(k.sender.sent.size(), 1u) << c.name;
  }
  g_IncidentArray.RemoveAll();
}

TEST_F(BringUp, OneStepAtATime)
{
  auto b = Make();
  b->CheckSystemSettings(nullptr);
  std::promise<void> entered, release;
  std::shared_future<void> released = release.get_future().share();
  platform.onExecute = [&] {
    entered.set_value();
    released.wait();
  };
  auto running = std::async(std::launch::async, [&] { return b->ActivateNamingService(); });
  entered.get_future().wait();
  EXPECT_TRUE(b->Busy());
  EXPECT_EQ(b->ActivateNamingService(), BringUpSequence::Result::kNotRun);
  EXPECT_EQ(b->CheckSystemSettings(nullptr), BringUpSequence::Result::kNotRun);
  platform.onExecute = nullptr;
  release.set_value();
  EXPECT_EQ(running.get(), BringUpSequence::Result::kDone);
  EXPECT_FALSE(b->Busy());
  EXPECT_EQ(platform.started.size(), 1u);
}

TEST_F(BringUp, TheEndOfTheConsoleStopsTheServantThenEndsTheProcesses)
{
  std::vector<std::string> order;
  platform.order = &order;
  corba.order = &order;
  auto b = Make();
  EXPECT_EQ(b->CloseComponents(), BringUpSequence::Result::kNotRun);  // state 0
  b->OnFrameDestroy();
  EXPECT_EQ(order, (std::vector<std::string>{"StopIfRunning", "close"}));
  EXPECT_EQ(b->State(), kStateClosed);
}

}  // namespace
