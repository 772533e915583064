// The scenario manager's copy plan and its refusals, the copies it makes,
// and the strategy selection's question, copies and takeover of the second
// prediction instance's signs.
#include <gtest/gtest.h>

#include <filesystem>

#include "DialogFixtures.h"
#include "ScenarioFiles.h"
#include "TempFiles.h"

namespace fs = std::filesystem;
using dialogs::RecordingPrompts;

namespace {

std::vector<std::string> Row(std::string name, std::string vms, std::string incident, std::string workzone,
                             std::string pricing, std::string instance)
{
  return {name, vms, incident, workzone, pricing, "unused", "unused", "unused", instance};
}

TEST(ScenarioPlan, RowOfTheExample)
{
  ScenarioPlan plan;
  std::string message;
  ASSERT_EQ(PlanScenario(Row("S1", "vms_a", "N/A", "", "price", "FORESIM1"), plan, message),
            ScenarioPlanStatus::kReady);
  EXPECT_EQ(plan.folder, fs::path("predict1/S1"));
  EXPECT_EQ(plan.copies, (std::vector<FileCopy>{{"predict1/vms.dat", "predict1/S1/vms_a.dat"},
                                                {"predict1/pricing.dat", "predict1/S1/price.dat"}}));

  ASSERT_EQ(PlanScenario(Row("Rush hour", "a", "b", "c", "d", "FORESIM0"), plan, message),
            ScenarioPlanStatus::kReady);
  EXPECT_EQ(plan.copies, (std::vector<FileCopy>{{"predict/vms.dat", "predict/Rush hour/a.dat"},
                                                {"predict/incident.dat", "predict/Rush hour/b.dat"},
                                                {"predict/workzone.dat", "predict/Rush hour/c.dat"},
                                                {"predict/pricing.dat", "predict/Rush hour/d.dat"}}));
  // More cells than nine are fine.
  std::vector<std::string> wide = Row("S2", "N/A", "N/A", "N/A", "N/A", "FORESIM0");
  wide.push_back("extra");
  ASSERT_EQ(PlanScenario(wide, plan, message), ScenarioPlanStatus::kReady);
  EXPECT_TRUE(plan.copies.empty());
}

TEST(ScenarioPlan, Refusals)
{
  struct Case
  {
    const char* name;
    std::vector<std::string> cells;
    ScenarioPlanStatus status;
    std::string message;
  };
  const Case cases[] = {
      {"no instance", Row("S1", "a", "", "", "", "FORESIM2"), ScenarioPlanStatus::kNoInstance,
       kNoInstanceMessage},
      {"empty instance", Row("S1", "a", "", "", "", ""), ScenarioPlanStatus::kNoInstance, kNoInstanceMessage},
      {"eight cells",
       {"S1", "a", "", "", "", "", "", "FORESIM1"},
       ScenarioPlanStatus::kRefused,
       kTooFewColumnsMessage},
      {"empty scenario name", Row("", "a", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The scenario name \"\" cannot be used as a folder name."},
      {"scenario name .", Row(".", "a", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The scenario name \".\" cannot be used as a folder name."},
      {"scenario name ..", Row("..", "a", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The scenario name \"..\" cannot be used as a folder name."},
      {"scenario name with /", Row("../../etc", "a", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The scenario name \"../../etc\" cannot be used as a folder name."},
      {"scenario name with \\", Row("a\\b", "a", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The scenario name \"a\\b\" cannot be used as a folder name."},
      {"file name ..", Row("S1", "..", "", "", "", "FORESIM1"), ScenarioPlanStatus::kRefused,
       "The file name \"..\" cannot be used."},
      {"file name with /", Row("S1", "a", "", "x/y", "", "FORESIM0"), ScenarioPlanStatus::kRefused,
       "The file name \"x/y\" cannot be used."},
      {"file name .", Row("S1", "N/A", "N/A", "N/A", ".", "FORESIM0"), ScenarioPlanStatus::kRefused,
       "The file name \".\" cannot be used."},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    ScenarioPlan plan;
    plan.folder = "untouched";
    std::string message;
    EXPECT_EQ(PlanScenario(k.cells, plan, message), k.status);
    EXPECT_EQ(message, k.message);
    EXPECT_EQ(plan.folder, fs::path("untouched"));
  }
}

TEST(ScenarioPlan, CopiesAndTheirFailures)
{
  TempDir run;
  fs::create_directories(run.dir / "predict1");
  WriteAll(run.File("predict1/vms.dat"), "1\nsigns\n");
  WriteAll(run.File("predict1/pricing.dat"), "prices\n");
  RecordingPrompts prompts;
  ScenarioPlan plan;
  std::string message;
  ASSERT_EQ(PlanScenario(Row("S1", "vms_a", "N/A", "", "price", "FORESIM1"), plan, message),
            ScenarioPlanStatus::kReady);
  ASSERT_TRUE(CarryOutScenarioPlan(plan, run.dir, prompts));
  EXPECT_EQ(ReadAll(run.File("predict1/S1/vms_a.dat")), "1\nsigns\n");
  EXPECT_EQ(ReadAll(run.File("predict1/S1/price.dat")), "prices\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(run.dir / "predict1/S1"), fs::directory_iterator()), 2);
  // Again over the existing folder and files: overwritten.
  WriteAll(run.File("predict1/vms.dat"), "0\n");
  ASSERT_TRUE(CarryOutScenarioPlan(plan, run.dir, prompts));
  EXPECT_EQ(ReadAll(run.File("predict1/S1/vms_a.dat")), "0\n");
  EXPECT_TRUE(prompts.messages.empty());

  // A missing source is reported; the other copies are made.
  ASSERT_EQ(PlanScenario(Row("S2", "v", "i", "N/A", "p", "FORESIM1"), plan, message),
            ScenarioPlanStatus::kReady);
  EXPECT_FALSE(CarryOutScenarioPlan(plan, run.dir, prompts));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0],
            "Cannot copy predict1/incident.dat to predict1/S2/i.dat: No such file or directory");
  EXPECT_TRUE(fs::exists(run.dir / "predict1/S2/v.dat"));
  EXPECT_TRUE(fs::exists(run.dir / "predict1/S2/p.dat"));

  // A folder that cannot be made is reported and nothing is copied.
  WriteAll(run.File("predict1/S3"), "a file in the way");
  ASSERT_EQ(PlanScenario(Row("S3", "v", "N/A", "N/A", "N/A", "FORESIM1"), plan, message),
            ScenarioPlanStatus::kReady);
  prompts.Clear();
  EXPECT_FALSE(CarryOutScenarioPlan(plan, run.dir, prompts));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].rfind("Cannot create the folder predict1/S3: ", 0), 0u)
      << prompts.messages[0];
}

class StrategySelection : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fs::create_directories(run.dir / "predict1");
    fs::create_directories(run.dir / "estimate");
    for (const char* name : {"incident.dat", "control.dat", "vms.dat"})
      WriteAll((run.dir / "predict1" / name).string(), std::string("from predict1: ") + name);
    auto sign = std::make_unique<CVMS>();
    sign->m_nType = 2;
    sign->m_nFromNode = 10;
    sign->m_nToNode = 20;
    sign->m_nParam1 = 100;
    sign->m_nParam2 = 2;
    sign->m_nDetourCount = 2;
    sign->m_nDetourNodes[0] = 20;
    sign->m_nDetourNodes[1] = 30;
    g_VMSArrayPredict1.Add(std::move(sign));
    auto old = std::make_unique<CVMS>();
    old->m_nType = 1;
    g_VMSArray.Add(std::move(old));
  }
  void TearDown() override
  {
    g_VMSArray.RemoveAll();
    g_VMSArrayPredict1.RemoveAll();
  }
  std::string Estimate(const char* name) const { return ReadAll((run.dir / "estimate" / name).string()); }

  TempDir run;
  RecordingPrompts prompts;
};

TEST_F(StrategySelection, QuestionText)
{
  EXPECT_EQ(StrategyFileNames(), (std::vector<std::string>{"incident.dat", "control.dat", "vms.dat",
                                                           "workzone.dat", "TrafficFlowModel.dat"}));
  EXPECT_EQ(StrategyQuestion({"incident.dat", "vms.dat"}, 0),
            "Are you selecting incident.dat vms.dat in FORESIM1");
}

TEST_F(StrategySelection, YesCopiesAndTakesOverTheSigns)
{
  EXPECT_EQ(SelectStrategy({"control.dat", "vms.dat"}, 0, run.dir, prompts), StrategyResult::kDone);
  EXPECT_EQ(prompts.questions,
            (std::vector<std::string>{"Are you selecting control.dat vms.dat in FORESIM1"}));
  EXPECT_EQ(Estimate("new_control.dat"), "from predict1: control.dat");
  EXPECT_EQ(Estimate("new_vms.dat"), "from predict1: vms.dat");
  EXPECT_EQ(prompts.infos, (std::vector<std::string>{
                               "Copy predict1/control.dat to estimate/new_control.dat successfully",
                               "Copy predict1/vms.dat to estimate/new_vms.dat successfully",
                           }));
  EXPECT_TRUE(prompts.messages.empty());
  ASSERT_EQ(g_VMSArray.GetSize(), 1);
  EXPECT_NE(g_VMSArray[0], g_VMSArrayPredict1[0]);  // a copy
  EXPECT_EQ(g_VMSArray[0]->m_nType, 2);
  EXPECT_EQ(g_VMSArray[0]->m_nDetourCount, 2);
  EXPECT_EQ(g_VMSArray[0]->m_nDetourNodes[1], 30);
}

TEST_F(StrategySelection, NoAndNothingSelectedCopyNothing)
{
  prompts.answers = {false, false, true};
  EXPECT_EQ(SelectStrategy({"vms.dat"}, 0, run.dir, prompts), StrategyResult::kDeclined);
  // Nothing selected still asks, with no names in the question.
  EXPECT_EQ(SelectStrategy({}, 0, run.dir, prompts), StrategyResult::kDeclined);
  EXPECT_EQ(SelectStrategy({}, 0, run.dir, prompts), StrategyResult::kDone);
  EXPECT_EQ(prompts.questions,
            (std::vector<std::string>{"Are you selecting vms.dat in FORESIM1",
                                      "Are you selecting in FORESIM1", "Are you selecting in FORESIM1"}));
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(fs::is_empty(run.dir / "estimate"));
  EXPECT_EQ(g_VMSArray[0]->m_nType, 1);
}

TEST_F(StrategySelection, MissingSourceStopsAndKeepsEarlierCopies)
{
  EXPECT_EQ(SelectStrategy({"incident.dat", "workzone.dat", "vms.dat"}, 0, run.dir, prompts),
            StrategyResult::kStopped);
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{
                "Source file predict1/workzone.dat cannot be found. Please check your selection."}));
  EXPECT_EQ(Estimate("new_incident.dat"), "from predict1: incident.dat");
  EXPECT_FALSE(fs::exists(run.dir / "estimate/new_vms.dat"));
  EXPECT_EQ(g_VMSArray[0]->m_nType, 1);
}

TEST_F(StrategySelection, FailedCopyGoesOnWithTheNext)
{
  fs::remove_all(run.dir / "estimate");
  WriteAll(run.File("estimate"), "a file where the folder was");
  EXPECT_EQ(SelectStrategy({"incident.dat", "control.dat"}, 0, run.dir, prompts), StrategyResult::kDone);
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{"Copy failed.", "Copy failed."}));
  EXPECT_TRUE(prompts.infos.empty());
}

}  // namespace
