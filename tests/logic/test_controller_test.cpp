// The controller test panel: each button's calls and log lines, and the
// bounded reading of gui_cmd.dat.
#include <gtest/gtest.h>

#include "ControllerTest.h"
#include "FakeControllerTarget.h"
#include "ProjectFixtures.h"

namespace {

using Lines = std::vector<std::string>;

struct ButtonCase
{
  const char* name;
  ControllerTestButton button;
  std::map<std::string, int> codes;
  Lines calls;
  Lines lines;
  bool closes;
};

TEST(ControllerTest, ButtonsCallAndLog)
{
  const std::string err = "VORLANTIS-Q currently not active.";
  const ButtonCase cases[] = {
      {"connect", kTestConnect, {}, {"Connect"}, {"Connected to VORLANTIS-Q"}, false},
      {"connect fails",
       kTestConnect,
       {{"Connect", 9}},
       {"Connect"},
       {"Failed to connect. Reason:", err},
       false},
      {"initialize", kTestInitialize, {}, {"Initialize"}, {"VORLANTIS-Q Initialized"}, false},
      {"initialize fails",
       kTestInitialize,
       {{"Initialize", 7}},
       {"Initialize"},
       {"Failed to initialize. Reason:", err},
       false},
      {"subscribe", kTestSubscribe, {}, {"Subscribe"}, {"Subscribed to VORLANTIS-Q messages"}, false},
      {"subscribe fails",
       kTestSubscribe,
       {{"Subscribe", 8}},
       {"Subscribe"},
       {"Failed to subscribe for messages. Reason:", err},
       false},
      {"start in real time", kTestStart, {}, {"StartRealTime"}, {"VORLANTIS-Q scheduler started"}, false},
      {"start fails",
       kTestStart,
       {{"StartRealTime", 4}},
       {"StartRealTime"},
       {"Failed to start VORLANTIS-Q. Reason:", err},
       false},
      {"stop",
       kTestStop,
       {},
       {"Stop"},
       {"Attempting to stop VORLANTIS-Q. This might take aminute...", "VORLANTIS-Q scheduler stopped"},
       false},
      {"stop fails",
       kTestStop,
       {{"Stop", 3}},
       {"Stop"},
       {"Attempting to stop VORLANTIS-Q. This might take aminute...",
        "Failed to stop VORLANTIS-Q. Reason:", err},
       false},
      {"shutdown without force",
       kTestShutdown,
       {},
       {"Shutdown(false)"},
       {"Shtting down VORLANTIS-Q.", "VORLANTIS-Q shut down"},
       false},
      {"shutdown fails",
       kTestShutdown,
       {{"Shutdown(false)", 4}},
       {"Shutdown(false)"},
       {"Shtting down VORLANTIS-Q.", "Failed to shutdown VORLANTIS-Q. Reason:", err},
       false},
      {"stop server",
       kTestStopServer,
       {},
       {"StopServer"},
       {"Deactivating CORBA server...", "CORBA server deactivated"},
       false},
      {"stop server not running",
       kTestStopServer,
       {{"StopServer", -1}},
       {"StopServer"},
       {"Deactivating CORBA server...", "Failed to shutdown the ORB server."},
       false},
      {"stop server and close",
       kTestStopServerAndClose,
       {{"StopServer", -1}},
       {"StopServer", "StopServerIfRunning"},
       {"Deactivating CORBA server...", "Failed to shutdown the ORB server."},
       true},
  };
  for (const ButtonCase& c : cases) {
    FakeControllerTarget target;
    target.codes = c.codes;
    Lines lines;
    const bool closes =
        RunControllerTestButton(c.button, target, [&](const std::string& l) { lines.push_back(l); });
    EXPECT_EQ(target.calls, c.calls) << c.name;
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_EQ(closes, c.closes) << c.name;
  }
}

TEST(ControllerTest, LongOperationIsAnnouncedBeforeItRuns)
{
  Lines lines;
  std::size_t linesWhenCalled = 0;
  struct Probe : FakeControllerTarget
  {
    Lines* lines;
    std::size_t* seen;
    int Stop() override
    {
      *seen = lines->size();
      return 0;
    }
  } probe;
  probe.lines = &lines;
  probe.seen = &linesWhenCalled;
  RunControllerTestButton(kTestStop, probe, [&](const std::string& l) { lines.push_back(l); });
  EXPECT_EQ(linesWhenCalled, 1u);
}

TEST(ControllerTest, StartServerReadsTheOrbArguments)
{
  fixtures::RunDir run;
  WriteAll("gui_cmd.dat", "-ORBInitRef\n  NameService=corbaloc::127.0.0.1:2809/NameService\t"
                          "-ORBDottedDecimalAddresses 1\n");
  FakeControllerTarget target;
  Lines lines;
  auto log = [&](const std::string& l) { lines.push_back(l); };
  EXPECT_FALSE(RunControllerTestButton(kTestInitServer, target, log));
  EXPECT_EQ(target.orbArgs, (Lines{"-ORBInitRef", "NameService=corbaloc::127.0.0.1:2809/NameService",
                                   "-ORBDottedDecimalAddresses", "1"}));
  EXPECT_EQ(target.calls, (Lines{"InitORB", "StartServer"}));
  EXPECT_EQ(lines, (Lines{"Initiaslizing ORB", "Activating the GUI CORBA server...", "CORBA server active"}));

  // Without the file the ORB starts with no arguments, and the log says so.
  lines.clear();
  FakeControllerTarget bare;
  RunControllerTestButton(kTestInitServer, bare, log, "none.dat");
  EXPECT_TRUE(bare.orbArgs.empty());
  EXPECT_EQ(lines, (Lines{"Initiaslizing ORB",
                          "Cannot open " + run.path() +
                              "/none.dat: the ORB starts with no "
                              "arguments",
                          "Activating the GUI CORBA server...", "CORBA server active"}));

  // A failed ORB initialisation starts no server.
  lines.clear();
  FakeControllerTarget failing;
  failing.codes["InitORB"] = -1;
  RunControllerTestButton(kTestInitServer, failing, log);
  EXPECT_EQ(failing.calls, Lines{"InitORB"});
  EXPECT_EQ(lines, (Lines{"Initiaslizing ORB", "Failed to initialize the ORB."}));
}

TEST(ControllerTest, CommandFileIsBounded)
{
  fixtures::RunDir run;
  struct Case
  {
    const char* name;
    std::string text;
    Lines words;
  };
  const std::string w255(255, 'a');
  const Case cases[] = {
      {"empty", "", {}},
      {"blanks only", " \n\t\r\n ", {}},
      {"no final line end", "-ORBInitRef x", {"-ORBInitRef", "x"}},
      {"at most ten words",
       "1 2 3 4 5 6 7 8 9 10 11 12",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"a word of 255 characters stays whole", w255 + " b", {w255, "b"}},
      {"a longer word is cut, its rest dropped", w255 + "xyz b", {w255, "b"}},
      {"bytes past 127 are kept", "caf\xc3\xa9", {"caf\xc3\xa9"}},
  };
  for (const Case& c : cases) {
    WriteAll("gui_cmd.dat", c.text);
    Lines words = {"stale"};
    ASSERT_TRUE(ReadGuiCommandWords("gui_cmd.dat", &words)) << c.name;
    EXPECT_EQ(words, c.words) << c.name;
  }
  Lines words = {"stale"};
  EXPECT_FALSE(ReadGuiCommandWords("missing.dat", &words));
  EXPECT_TRUE(words.empty());
}

}  // namespace
