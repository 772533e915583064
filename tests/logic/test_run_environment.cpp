// The run directory's batch files and environment file, written by the
// console's preparation routines, and what /bin/sh makes of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

#include "IniFile.h"
#include "ProjectFixtures.h"
#include "RunEnvironment.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell command line in the working directory; its exit status.
int Shell(const std::string& command)
{
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A stand-in program that writes its directory and arguments to out.txt.
void FakeProgram(const fs::path& path)
{
  WriteAll(path.string(), "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > out.txt\n");
  fs::permissions(path, fs::perms::owner_all);
}

TEST(BatchFiles, EveryProgramGetsItsFile)
{
  fixtures::RunDir run;
  const fs::path bin = fs::path(run.path()) / "bin";
  fs::create_directories(bin);
  for (const char* p : {"FORESIM", "NOWSIM", "NEARVET", "FARVET", "Management", "Tallyhouse", "ODE", "ODP"})
    FakeProgram(bin / p);
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(WriteBatchFiles(run.path(), "10.0.0.5:10013", &error, &warnings, bin.string())) << error;
  EXPECT_TRUE(warnings.empty()) << warnings.front();

  for (const char* key :
       {"foresim", "foresim1", "nowsim", "nearvet", "farvet", "management", "tallyhouse", "ode", "odp"})
    EXPECT_TRUE(fs::exists(std::string(key) + ".bat")) << key;
  EXPECT_TRUE(fs::is_symlink("NAMEDIR"));

  const std::string nowsim = fs::canonical(bin / "NOWSIM").string();
  EXPECT_EQ(ReadAll("nowsim.bat"),
            "# NOW-SIM: runs in the run directory's folder estimate; reaches the naming\n"
            "# service at QELM_NAME_SERVICE_HOST (host:port).\n"
            "cd \"$(dirname \"$0\")/estimate\" || exit 1\n"
            ": \"${QELM_NAME_SERVICE_HOST:=10.0.0.5:10013}\"\n"
            "exec '" +
                nowsim + "' -ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n");
  EXPECT_EQ(ReadAll("naming_service.bat"),
            "# Naming_Service: the naming service of the run, under the image name NAMEDIR\n"
            "# (a link to omniNames). QELM_NAME_SERVICE_HOST gives its host:port; its data\n"
            "# files are kept in NameService/ and started afresh each time.\n"
            "cd \"$(dirname \"$0\")\" || exit 1\n"
            ": \"${QELM_NAME_SERVICE_HOST:=10.0.0.5:10013}\"\n"
            "ns_host=\"${QELM_NAME_SERVICE_HOST%:*}\"\n"
            "ns_port=\"${QELM_NAME_SERVICE_HOST##*:}\"\n"
            "rm -rf NameService\n"
            "mkdir -p NameService || exit 1\n"
            "exec ./NAMEDIR -start \"$ns_port\" -always -datadir \"$PWD/NameService\" "
            "-ORBendPoint \"giop:tcp:$ns_host:$ns_port\"\n");

  // Run from elsewhere, the second FORESIM instance starts in its folder
  // predict1 with its instance number and the naming service given.
  ASSERT_EQ(Shell("cd / && env -u QELM_NAME_SERVICE_HOST /bin/sh " + run.path() + "/foresim1.bat"), 0);
  EXPECT_EQ(ReadAll("predict1/out.txt"), run.path() + "/predict1\n1\n-ORBInitRef\n"
                                                      "NameService=corbaloc::10.0.0.5:10013/NameService\n");
  ASSERT_EQ(Shell("QELM_NAME_SERVICE_HOST=127.0.0.1:2809 /bin/sh ./tallyhouse.bat"), 0);
  EXPECT_EQ(ReadAll("out.txt"),
            run.path() + "\n-ORBInitRef\nNameService=corbaloc::127.0.0.1:2809/NameService\n");
}

TEST(BatchFiles, ProgramsMissingAreNamedAndABadAddressWritesNothing)
{
  fixtures::RunDir run;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(WriteBatchFiles(run.path(), "127.0.0.1:10013", &error, &warnings));
  EXPECT_GE(warnings.size(), 9u);

  fixtures::RunDir other;
  EXPECT_FALSE(WriteBatchFiles(other.path(), "localhost", &error));
  EXPECT_EQ(error, "the naming service's address must be host:port, not \"localhost\"");
  EXPECT_FALSE(fs::exists("naming_service.bat"));
  EXPECT_FALSE(fs::exists("nowsim.bat"));
}

TEST(EnvironmentFile, TextAndWhatTheShellMakesOfIt)
{
  EXPECT_EQ(FormatEnvironmentFile("/srv/run 1/it's", "10.0.0.5:10013"),
            "# Environment of a VORLANTIS-Q run directory. Take it into the shell that\n"
            "# starts the console (\". ./vorlantisq_env.sh\", or from ~/.profile).\n"
            "export QELM_RUN_DIR='/srv/run 1/it'\\''s'\n"
            "export QELM_NAME_SERVICE_HOST='10.0.0.5:10013'\n"
            "# The run directory goes in front of PATH, once.\n"
            "case \":${PATH}:\" in\n"
            "*\":${QELM_RUN_DIR}:\"*) ;;\n"
            "*) export PATH=\"${QELM_RUN_DIR}${PATH:+:${PATH}}\" ;;\n"
            "esac\n");
  EXPECT_EQ(FormatEnvironmentFile("/srv/run", "").find("QELM_NAME_SERVICE_HOST"), std::string::npos);

  // Sourced twice: the run directory is in front of PATH once, and the
  // old PATH follows it whole.
  fixtures::RunDir run;
  const std::string dir = run.path() + "/run 1/it's";
  WriteAll("env.sh", FormatEnvironmentFile(dir, "10.0.0.5:10013"));
  ASSERT_EQ(Shell("PATH=/usr/bin:/bin /bin/sh -c '. ./env.sh; . ./env.sh; "
                  "printf \"%s\\n\" \"$PATH\" \"$QELM_RUN_DIR\" \"$QELM_NAME_SERVICE_HOST\"' > out.txt"),
            0);
  EXPECT_EQ(ReadAll("out.txt"), dir + ":/usr/bin:/bin\n" + dir + "\n10.0.0.5:10013\n");
}

struct SetupCase
{
  const char* name;
  const char* iniPath;                   // SYSTEMVARSEV PATH before (nullptr: absent)
  std::optional<std::string> envRunDir;  // relative to the run directory's path; "" = the run directory
  std::optional<std::string> envHost;
  std::optional<std::string> localIP;
  std::vector<std::string> messages;  // "RUNDIR" stands for the run directory
  bool fileWritten;
  std::string iniAfterPath, iniAfterIP;
};

std::string Expand(std::string s, const std::string& dir)
{
  for (std::size_t at; (at = s.find("RUNDIR")) != std::string::npos;)
    s.replace(at, 6, dir);
  return s;
}

TEST(EnvironmentSetup, SetsWhatDiffers)
{
  const std::string pathMsg = "VORLANTIS just setup environmental variable PATH as RUNDIR:$PATH.\n";
  const std::string runMsg = "VORLANTIS-Q just setup environmental variable QELM_RUN_DIR as RUNDIR.\n";
  const std::string hostMsg = "VORLANTIS just setup environmental variable QELM_NAME_SERVICE_HOST as "
                              "10.0.0.5:10013.\n";
  const std::string noIP = "The address of the local machine is not available: QELM_NAME_SERVICE_HOST is not "
                           "set.\n";
  const std::string hint = "The variables take effect in a shell that has run \". RUNDIR/vorlantisq_env.sh\" "
                           "(add that line to ~/.profile to keep them).\n";
  const SetupCase cases[] = {
      {"all set already", "RUNDIR", "", "10.0.0.5:10013", "10.0.0.5", {}, false, "RUNDIR", "old"},
      {"a fresh machine",
       nullptr,
       std::nullopt,
       std::nullopt,
       "10.0.0.5",
       {pathMsg, runMsg, hostMsg, hint},
       true,
       "RUNDIR",
       "10.0.0.5"},
      {"PATH key already the run directory",
       "RUNDIR",
       "/elsewhere",
       "10.0.0.5:10013",
       "10.0.0.5",
       {runMsg, hint},
       true,
       "RUNDIR",
       "old"},
      {"PATH key of another run",
       "/old/run",
       "",
       "10.0.0.5:10013",
       "10.0.0.5",
       {pathMsg, hint},
       true,
       "RUNDIR",
       "old"},
      {"naming service elsewhere",
       "RUNDIR",
       "",
       "10.0.0.9:2809",
       "10.0.0.5",
       {hostMsg, hint},
       true,
       "RUNDIR",
       "10.0.0.5"},
      {"no local address", "RUNDIR", "", "10.0.0.9:2809", std::nullopt, {noIP}, false, "RUNDIR", "old"},
      {"no local address, run directory unset",
       "RUNDIR",
       std::nullopt,
       std::nullopt,
       "",
       {runMsg, noIP, hint},
       true,
       "RUNDIR",
       "old"},
  };
  for (const SetupCase& c : cases) {
    fixtures::RunDir run;
    const std::string dir = run.path();
    if (c.iniPath)
      IniWriteString("SYSTEMVARSEV", "PATH", Expand(c.iniPath, dir), "distribution.ini");
    IniWriteString("SYSTEMVARSEV", "IP", "old", "distribution.ini");
    EnvironmentState s;
    s.runDir = dir;
    s.localIP = c.localIP;
    if (c.envRunDir)
      s.envRunDir = c.envRunDir->empty() ? dir : *c.envRunDir;
    s.envNameServiceHost = c.envHost;
    const EnvironmentSetup got = SetupEnvironment(s);
    std::vector<std::string> want;
    for (const std::string& m : c.messages)
      want.push_back(Expand(m, dir));
    EXPECT_EQ(got.messages, want) << c.name;
    EXPECT_EQ(got.fileWritten, c.fileWritten) << c.name;
    EXPECT_EQ(fs::exists(kEnvironmentFile), c.fileWritten) << c.name;
    EXPECT_EQ(IniReadString("SYSTEMVARSEV", "PATH", "", "distribution.ini"), Expand(c.iniAfterPath, dir))
        << c.name;
    EXPECT_EQ(IniReadString("SYSTEMVARSEV", "IP", "", "distribution.ini"), c.iniAfterIP) << c.name;
  }
}

TEST(EnvironmentSetup, FileThatCannotBeWrittenIsReportedAndNothingIsRecorded)
{
  fixtures::RunDir run;
  EnvironmentState s;
  s.runDir = run.path();
  s.localIP = "10.0.0.5";
  s.envFilePath = "missing/vorlantisq_env.sh";
  const EnvironmentSetup got = SetupEnvironment(s);
  EXPECT_EQ(got.messages,
            std::vector<std::string>{"Cannot write " + run.path() + "/missing/vorlantisq_env.sh"});
  EXPECT_FALSE(got.fileWritten);
  EXPECT_FALSE(fs::exists("distribution.ini"));
}

}  // namespace
