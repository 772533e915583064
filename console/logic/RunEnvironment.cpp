#include "RunEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "BatchFiles.h"
#include "DistributionScheme.h"
#include "FileText.h"
#include "IniFile.h"
#include "PathText.h"
#include "SystemSettings.h"

namespace {

constexpr const char* kEnvironmentSection = "SYSTEMVARSEV";

}  // namespace

bool WriteBatchFiles(const std::string& runDir, const std::string& nameServiceHost, std::string* error,
                     std::vector<std::string>* warnings, const std::string& programDir)
{
  std::string why;
  if (!IsNameServiceAddress(nameServiceHost)) {
    why = "the naming service's address must be host:port, not \"" + nameServiceHost + "\"";
  } else {
    std::string linkWarning;
    // A program found in programDir (the run directory when empty) is run
    // from there; any other is looked up in PATH when its batch file runs.
    const std::filesystem::path dir = programDir.empty() ? runDir : programDir;
    const auto command = [&](const RunProgram& p) {
      const std::filesystem::path local = dir / p.image;
      if (IsExecutableFile(local.string()))
        return ProgramCommand{std::filesystem::absolute(local).string(), {}};
      if (warnings && FindInPath(p.image).empty())
        warnings->push_back(std::string(p.image) + " not found; " + p.key + ".bat starts it from PATH");
      return ProgramCommand{p.image, {}};
    };
    if (WriteNameServiceLink(runDir, why, &linkWarning) &&
        ::WriteBatchFiles(runDir, nameServiceHost, command, why)) {
      if (warnings && !linkWarning.empty())
        warnings->push_back(linkWarning);
      return true;
    }
  }
  if (error)
    *error = why;
  return false;
}

std::string FormatEnvironmentFile(const std::string& runDir, const std::string& nameServiceHost)
{
  std::string out;
  out += "# Environment of a VORLANTIS-Q run directory. Take it into the shell that\n";
  out += "# starts the console (\". ./vorlantisq_env.sh\", or from ~/.profile).\n";
  out += "export QELM_RUN_DIR=" + ShellQuote(runDir) + "\n";
  if (!nameServiceHost.empty())
    out += "export QELM_NAME_SERVICE_HOST=" + ShellQuote(nameServiceHost) + "\n";
  out += "# The run directory goes in front of PATH, once.\n";
  out += "case \":${PATH}:\" in\n";
  out += "*\":${QELM_RUN_DIR}:\"*) ;;\n";
  out += "*) export PATH=\"${QELM_RUN_DIR}${PATH:+:${PATH}}\" ;;\n";
  out += "esac\n";
  return out;
}

EnvironmentSetup SetupEnvironment(const EnvironmentState& s)
{
  EnvironmentSetup result;
  const bool setPath = IniReadString(kEnvironmentSection, "PATH", "", s.iniPath) != s.runDir;
  const bool setRunDir = s.envRunDir != s.runDir;
  const bool haveIP = s.localIP && !s.localIP->empty();
  const std::string wantedHost = haveIP ? *s.localIP + ":" + std::to_string(kNameServicePort) : std::string();
  const bool setHost = haveIP && s.envNameServiceHost != wantedHost;

  // Without a local address the naming service's variable keeps whatever
  // value it has (never ":10013").
  const std::string host = haveIP ? wantedHost : s.envNameServiceHost.value_or("");
  std::vector<std::string> done;
  if (setPath || setRunDir || setHost) {
    if (!ReplaceFileText(s.envFilePath, FormatEnvironmentFile(s.runDir, host))) {
      result.messages.push_back("Cannot write " + FullPathText(s.envFilePath));
      return result;
    }
    result.fileWritten = true;
  }
  bool iniFailed = false;
  if (setPath) {
    iniFailed |= !IniWriteString(kEnvironmentSection, "PATH", s.runDir, s.iniPath);
    result.messages.push_back("VORLANTIS just setup environmental variable PATH as " + s.runDir +
                              ":$PATH.\n");
  }
  if (setRunDir)
    result.messages.push_back("VORLANTIS-Q just setup environmental variable QELM_RUN_DIR as " + s.runDir +
                              ".\n");
  if (!haveIP) {
    result.messages.push_back(
        "The address of the local machine is not available: QELM_NAME_SERVICE_HOST is not set.\n");
  } else if (setHost) {
    iniFailed |= !IniWriteString(kEnvironmentSection, "IP", *s.localIP, s.iniPath);
    result.messages.push_back("VORLANTIS just setup environmental variable QELM_NAME_SERVICE_HOST as " +
                              wantedHost + ".\n");
  }
  if (iniFailed)
    result.messages.push_back(DistributionWriteMessage(s.iniPath));
  if (result.fileWritten)
    result.messages.push_back("The variables take effect in a shell that has run \". " +
                              FullPathText(s.envFilePath) +
                              "\" (add that line to ~/.profile to keep them).\n");
  return result;
}

EnvironmentSetup SetupEnvironment()
{
  EnvironmentState s;
  std::error_code ec;
  s.runDir = std::filesystem::current_path(ec).string();
  s.localIP = FirstAddressOf(LocalMachineName());
  if (const char* v = std::getenv("QELM_RUN_DIR"))
    s.envRunDir = v;
  if (const char* v = std::getenv("QELM_NAME_SERVICE_HOST"))
    s.envNameServiceHost = v;
  return SetupEnvironment(s);
}
