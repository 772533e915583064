// The Distribution Scheme dialog's file work: the opening state, the two
// presets, the write order and the main frame's machine sum.
#include <gtest/gtest.h>

#include "DistributionScheme.h"
#include "ProjectFixtures.h"

namespace {

using Machines = std::array<int, kDistributionRows>;

struct OpenCase
{
  const char* name;
  const char* file;  // nullptr: no file
  Machines machine;  // by dialog row: nowsim foresim foresim1 ode odp farvet nearvet management tallyhouse
  bool distributed;
};

TEST(DistributionScheme, OpeningStateFollowsTheFile)
{
  const OpenCase cases[] = {
      {"missing file", nullptr, {-1, -1, -1, -1, -1, -1, -1, -1, -1}, false},
      {"every program on the server",
       "[VORLANTISQ]\nnowsim=0\nforesim=0\nforesim1=0\node=0\nodp=0\nfarvet=0\nnearvet=0\nmanagement=0\n"
       "tallyhouse=0\n",
       {0, 0, 0, 0, 0, 0, 0, 0, 0},
       false},
      {"zero and unset values stay single-machine",
       "[VORLANTISQ]\nnowsim=0\nforesim=-1\nodp=0\nfarvet=-1\n",
       {0, -1, -1, -1, 0, -1, -1, -1, -1},
       false},
      {"one client machine", "[VORLANTISQ]\nnowsim=0\nnearvet=3\n", {0, -1, -1, -1, -1, -1, 3, -1, -1}, true},
      {"a client hidden by a zero sum",
       "[VORLANTISQ]\nnowsim=1\nforesim=-1\node=0\n",
       {1, -1, -1, 0, -1, -1, -1, -1, -1},
       true},
      {"values no list holds are unset",
       "[VORLANTISQ]\nnowsim=9\nforesim=-5\nfarvet=8\n",
       {-1, -1, -1, -1, -1, 8, -1, -1, -1},
       true},
      {"keys and section without regard to case",
       "[vorlantisq]\nFORESIM1=2\n",
       {-1, -1, 2, -1, -1, -1, -1, -1, -1},
       true},
      {"another section does not count", "[OTHER]\nnowsim=4\n", {-1, -1, -1, -1, -1, -1, -1, -1, -1}, false},
  };
  for (const OpenCase& c : cases) {
    fixtures::RunDir run;
    if (c.file)
      WriteAll(kDistributionFile, c.file);
    const DistributionChoice got = ReadDistribution(kDistributionFile);
    EXPECT_EQ(got.machine, c.machine) << c.name;
    EXPECT_EQ(got.distributed, c.distributed) << c.name;
  }
}

TEST(DistributionScheme, Presets)
{
  EXPECT_EQ(SingleMachinePreset().machine, (Machines{0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(SingleMachinePreset().distributed);
  // NOW-SIM, both FORE-SIM instances, ODE and ODP on the server; the
  // checkers, Management and the record store on client 1.
  EXPECT_EQ(DistributedPreset().machine, (Machines{0, 0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_TRUE(DistributedPreset().distributed);
}

TEST(DistributionScheme, WritesEveryKeyInItsOrder)
{
  fixtures::RunDir run;
  ASSERT_TRUE(WriteDistribution(kDistributionFile, DistributedPreset()));
  EXPECT_EQ(ReadAll(kDistributionFile),
            "[VORLANTISQ]\nnowsim=0\nforesim=0\nforesim1=0\node=0\nodp=0\nfarvet=1\n"
            "nearvet=1\nmanagement=1\ntallyhouse=1\n");

  // Nothing selected is written as -1; keys keep their places and the
  // other lines of the file stay.
  WriteAll(kDistributionFile,
           "; run of the week\n[SYSTEMVARSEV]\nIP=10.0.0.5\n[VORLANTISQ]\nodp=4\nnowsim=2\n");
  DistributionChoice c = SingleMachinePreset();
  c.machine[kRowOdp] = -1;
  c.machine[kRowNearvet] = 5;
  ASSERT_TRUE(WriteDistribution(kDistributionFile, c));
  EXPECT_EQ(ReadAll(kDistributionFile),
            "; run of the week\n[SYSTEMVARSEV]\nIP=10.0.0.5\n[VORLANTISQ]\nodp=-1\n"
            "nowsim=0\nforesim=0\nforesim1=0\node=0\nfarvet=0\nnearvet=5\n"
            "management=0\ntallyhouse=0\n");
}

TEST(DistributionScheme, SingleMachineFileIsWrittenBackUnchanged)
{
  fixtures::RunDir run;
  const std::string text = "[VORLANTISQ]\nnowsim=0\nforesim=-1\nforesim1=-1\node=0\nodp=0\nfarvet=-1\n"
                           "nearvet=0\nmanagement=0\ntallyhouse=0\n";
  WriteAll(kDistributionFile, text);
  const DistributionChoice c = ReadDistribution(kDistributionFile);
  EXPECT_FALSE(c.distributed);
  ASSERT_TRUE(WriteDistribution(kDistributionFile, c));
  EXPECT_EQ(ReadAll(kDistributionFile), text);
}

TEST(DistributionScheme, UnwritableFileIsReported)
{
  fixtures::RunDir run;
  const std::string path = "missing/distribution.ini";
  EXPECT_FALSE(WriteDistribution(path, DistributedPreset()));
  EXPECT_EQ(DistributionWriteMessage(path), "Cannot write " + run.path() + "/missing/distribution.ini");
}

TEST(DistributionScheme, MachineSum)
{
  struct Case
  {
    const char* name;
    const char* file;
    int sum;
  };
  const Case cases[] = {
      {"missing file", nullptr, -9},
      {"every program on the server",
       "[VORLANTISQ]\nnowsim=0\nforesim=0\nforesim1=0\node=0\nodp=0\nfarvet=0\nnearvet=0\nmanagement=0\n"
       "tallyhouse=0\n",
       0},
      {"distributed preset",
       "[VORLANTISQ]\nnowsim=0\nforesim=0\nforesim1=0\node=0\nodp=0\nfarvet=1\nnearvet=1\nmanagement=1\n"
       "tallyhouse=1\n",
       4},
      {"absent keys count -1", "[VORLANTISQ]\nnowsim=0\nfarvet=2\n", -5},
      {"a zero sum that hides a client",
       "[VORLANTISQ]\nnowsim=1\nforesim=-1\nforesim1=0\node=0\nodp=0\nfarvet=0\nnearvet=0\nmanagement=0\n"
       "tallyhouse=0\n",
       0},
      {"huge values do not overflow",
       "[VORLANTISQ]\nnowsim=2000000000\nforesim=2000000000\nforesim1=0\node=0\nodp=0\nfarvet=0\nnearvet=0\n"
       "management=0\ntallyhouse=0\n",
       INT_MAX},
  };
  for (const Case& c : cases) {
    fixtures::RunDir run;
    if (c.file)
      WriteAll(kDistributionFile, c.file);
    EXPECT_EQ(ReadMachineSum(kDistributionFile), c.sum) << c.name;
  }
}

}  // namespace
