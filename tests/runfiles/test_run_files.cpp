// The batch files and distribution.ini that the console and the sample
// run-directory generator both write: golden bytes, each program's folder,
// the files and folders written, the refused naming-service addresses.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <sys/stat.h>

#include "BatchFiles.h"
#include "FileText.h"
#include "RunPrograms.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

const RunProgram& Program(const std::string& key)
{
  for (const RunProgram& p : RunPrograms())
    if (key == p.key)
      return p;
  throw std::logic_error("no program " + key);
}

TEST(BatchFiles, NamingServiceGoldenBytes)
{
  EXPECT_EQ(NamingServiceBatText("127.0.0.1:10013"),
            "# Naming_Service: the naming service of the run, under the image name NAMEDIR\n"
            "# (a link to omniNames). QELM_NAME_SERVICE_HOST gives its host:port; its data\n"
            "# files are kept in NameService/ and started afresh each time.\n"
            "cd \"$(dirname \"$0\")\" || exit 1\n"
            ": \"${QELM_NAME_SERVICE_HOST:=127.0.0.1:10013}\"\n"
            "ns_host=\"${QELM_NAME_SERVICE_HOST%:*}\"\n"
            "ns_port=\"${QELM_NAME_SERVICE_HOST##*:}\"\n"
            "rm -rf NameService\n"
            "mkdir -p NameService || exit 1\n"
            "exec ./NAMEDIR -start \"$ns_port\" -always -datadir \"$PWD/NameService\" "
            "-ORBendPoint \"giop:tcp:$ns_host:$ns_port\"\n");
}

TEST(BatchFiles, ProgramGoldenBytes)
{
  struct Case
  {
    const char* key;
    ProgramCommand command;
    const char* text;
  };
  const Case cases[] = {
      // The record store runs in the run directory.
      {"tallyhouse",
       {"Tallyhouse", {}},
       "# Tallyhouse: runs in the run directory; reaches the naming\n"
       "# service at QELM_NAME_SERVICE_HOST (host:port).\n"
       "cd \"$(dirname \"$0\")\" || exit 1\n"
       ": \"${QELM_NAME_SERVICE_HOST:=host-a:2809}\"\n"
       "exec 'Tallyhouse' -ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n"},
      // The second FORESIM runs in predict1; its instance argument comes
      // first; a quote in a path stays one word.
      {"foresim1",
       {"/opt/it's/FORESIM", {"--seed", "7"}},
       "# FORE-SIM1: runs in the run directory's folder predict1; reaches the naming\n"
       "# service at QELM_NAME_SERVICE_HOST (host:port).\n"
       "cd \"$(dirname \"$0\")/predict1\" || exit 1\n"
       ": \"${QELM_NAME_SERVICE_HOST:=host-a:2809}\"\n"
       "exec '/opt/it'\\''s/FORESIM' '1' '--seed' '7' "
       "-ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgramBatText(Program(c.key), c.command, "host-a:2809"), c.text) << c.key;
}

// Each program's folder: the modules in folders of their own, Management
// and the record store in the run directory.
TEST(BatchFiles, EachProgramChangesToItsFolder)
{
  const std::pair<const char*, const char*> cases[] = {
      {"foresim", "/predict"}, {"foresim1", "/predict1"}, {"nowsim", "/estimate"},
      {"nearvet", "/NEARVET"}, {"farvet", "/farvet"},     {"management", ""},
      {"tallyhouse", ""},      {"ode", "/odestimate"},    {"odp", "/odpredict"},
  };
  ASSERT_EQ(std::size(cases), static_cast<std::size_t>(kRunProgramCount));
  for (const auto& [key, folder] : cases) {
    const std::string text = ProgramBatText(Program(key), ProgramCommand{"P", {}}, "h:1");
    EXPECT_NE(text.find("\ncd \"$(dirname \"$0\")" + std::string(folder) + "\" || exit 1\n"),
              std::string::npos)
        << key << ":\n"
        << text;
  }
  EXPECT_EQ(FindRunProgram("FORESIM", "1"), &Program("foresim1"));
  EXPECT_EQ(FindRunProgram("FORESIM", nullptr), &Program("foresim"));
  EXPECT_EQ(FindRunProgram("NOWSIM", "1"), nullptr);
  EXPECT_EQ(FindRunProgram("NAMEDIR", nullptr), nullptr);
}

TEST(BatchFiles, WritesTheNamingServiceAndOneFilePerKey)
{
  TempDir dir("vlq-bat");
  std::string error;
  ASSERT_TRUE(WriteBatchFiles(
      dir.path(), "127.0.0.1:10013",
      [](const RunProgram& p) {
        return ProgramCommand{p.image, {}};
      },
      error))
      << error;
  int files = 0;
  std::set<std::string> folders;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    if (e.is_directory()) {
      folders.insert(e.path().filename().string());
      continue;
    }
    struct stat st;
    ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << e.path();
    ++files;
  }
  EXPECT_EQ(files, 1 + kRunProgramCount);
  // The folders the batch files change to are made.
  EXPECT_EQ(folders, (std::set<std::string>{"estimate", "predict", "predict1", "NEARVET", "farvet",
                                            "odestimate", "odpredict"}));
  EXPECT_EQ(ReadFile(dir.file("naming_service.bat")), NamingServiceBatText("127.0.0.1:10013"));
  for (const RunProgram& p : RunPrograms())
    EXPECT_EQ(ReadFile(dir.file(std::string(p.key) + ".bat")),
              ProgramBatText(p, ProgramCommand{p.image, {}}, "127.0.0.1:10013"))
        << p.key;
}

// Run by /bin/sh from anywhere, each batch file starts its program in the
// program's folder: here a script that writes where it runs.
TEST(BatchFiles, ProgramsStartInTheirFolders)
{
  TempDir dir("vlq-bat");
  TempDir bin("vlq-bat-bin");
  const std::string probe = bin.file("probe");
  ASSERT_TRUE(WriteFileText(probe, "#!/bin/sh\npwd -P > started_here\n", nullptr, 0755));
  std::string error;
  ASSERT_TRUE(WriteBatchFiles(
      dir.path(), "127.0.0.1:10013",
      [&](const RunProgram&) {
        return ProgramCommand{probe, {}};
      },
      error))
      << error;
  const std::string run = fs::canonical(dir.path()).string();
  for (const RunProgram& p : RunPrograms()) {
    const std::string folder = *p.folder ? run + "/" + p.folder : run;
    fs::remove(folder + "/started_here");
    ChildProcess sh;
    ASSERT_TRUE(sh.Start("/bin/sh", {run + "/" + p.key + ".bat"})) << p.key;
    ASSERT_TRUE(sh.Wait(std::chrono::seconds(30))) << p.key;
    EXPECT_EQ(sh.ExitCode(), 0) << p.key;
    EXPECT_EQ(ReadFile(folder + "/started_here"), folder + "\n") << p.key;
  }
}

TEST(BatchFiles, RefusedAddressesWriteNothing)
{
  for (const char* address :
       {"", "10013", "host:", ":10013", "host:port", "host name:1", "a\"b:1", "$(rm):1", "host:1\nexec x"}) {
    TempDir dir("vlq-bat");
    std::string error;
    EXPECT_FALSE(WriteBatchFiles(
        dir.path(), address,
        [](const RunProgram& p) {
          return ProgramCommand{p.image, {}};
        },
        error))
        << address;
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_empty(dir.path())) << address;
  }
  for (const char* address : {"127.0.0.1:10013", "[::1]:2809", "ns-host.example_1:1"})
    EXPECT_TRUE(IsNameServiceAddress(address)) << address;
}

TEST(DistributionIni, GoldenBytesInTheServerStepsOrder)
{
  EXPECT_EQ(DistributionIniText(DistributionValues{}),
            "[VORLANTISQ]\nforesim=0\nforesim1=0\nnowsim=0\nnearvet=0\nfarvet=0\nmanagement=0\n"
            "tallyhouse=0\node=0\nodp=0\n");
  EXPECT_EQ(DistributionIniText(DistributionValues{0, 0, 0, 1, 1, 1, 1, 0, -1}),
            "[VORLANTISQ]\nforesim=0\nforesim1=0\nnowsim=0\nnearvet=1\nfarvet=1\nmanagement=1\n"
            "tallyhouse=1\node=0\nodp=-1\n");
}

}  // namespace
