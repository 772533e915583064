// The batch files and distribution.ini that the console and the sample
// run-directory generator both write: golden bytes, the files written, the
// refused naming-service addresses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "BatchFiles.h"
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
      {"tallyhouse",
       {"Tallyhouse", {}},
       "# Tallyhouse: started from the run directory; reaches the naming service at\n"
       "# QELM_NAME_SERVICE_HOST (host:port).\n"
       "cd \"$(dirname \"$0\")\" || exit 1\n"
       ": \"${QELM_NAME_SERVICE_HOST:=host-a:2809}\"\n"
       "exec 'Tallyhouse' -ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n"},
      // The second FORESIM: its instance argument comes first; a quote in a
      // path stays one word.
      {"foresim1",
       {"/opt/it's/FORESIM", {"--seed", "7"}},
       "# FORE-SIM1: started from the run directory; reaches the naming service at\n"
       "# QELM_NAME_SERVICE_HOST (host:port).\n"
       "cd \"$(dirname \"$0\")\" || exit 1\n"
       ": \"${QELM_NAME_SERVICE_HOST:=host-a:2809}\"\n"
       "exec '/opt/it'\\''s/FORESIM' '1' '--seed' '7' "
       "-ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ProgramBatText(Program(c.key), c.command, "host-a:2809"), c.text) << c.key;
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
  for (const auto& e : fs::directory_iterator(dir.path())) {
    struct stat st;
    ASSERT_EQ(::stat(e.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u) << e.path();
    ++files;
  }
  EXPECT_EQ(files, 1 + kRunProgramCount);
  EXPECT_EQ(ReadFile(dir.file("naming_service.bat")), NamingServiceBatText("127.0.0.1:10013"));
  for (const RunProgram& p : RunPrograms())
    EXPECT_EQ(ReadFile(dir.file(std::string(p.key) + ".bat")),
              ProgramBatText(p, ProgramCommand{p.image, {}}, "127.0.0.1:10013"))
        << p.key;
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
