// Preparing a run directory for the bring-up commands: the batch files that
// start the naming service and the programs, and the environment the
// console and the programs rely on. No command of the console calls these;
// the run directory is expected to be prepared before the console runs.
//
//   std::string error;
//   if (!WriteBatchFiles("/srv/run", "10.0.0.5:10013", &error))
//     ShowMessage(error);
//   for (const std::string& m : SetupEnvironment().messages)
//     ShowMessage(m);          // then ". ./vorlantisq_env.sh" in the shell
#pragma once

#include <optional>
#include <string>
#include <vector>

// Writes naming_service.bat and one <key>.bat per distribution.ini key
// (foresim1.bat for the second FORESIM instance) into the run directory,
// and the link NAMEDIR to the naming service. Each batch file is run by
// /bin/sh, changes to its program's folder (RunProgram::folder: a module's
// own folder, or the run directory) and execs its program with the
// naming service at QELM_NAME_SERVICE_HOST, or at nameServiceHost
// (host:port) when that is unset. The programs are looked for in
// programDir and in the build tree under it (the run directory when empty).
// False with the reason in *error when nameServiceHost is not host:port or
// a folder or file cannot be made; programs not found are named in *warnings.
bool WriteBatchFiles(const std::string& runDir, const std::string& nameServiceHost, std::string* error,
                     std::vector<std::string>* warnings = nullptr, const std::string& programDir = "");

// The shell file that carries the run's environment, in the run directory.
inline constexpr const char* kEnvironmentFile = "vorlantisq_env.sh";
// Port of the naming service's address in QELM_NAME_SERVICE_HOST.
inline constexpr int kNameServicePort = 10013;

// The text of the environment file: QELM_RUN_DIR and QELM_NAME_SERVICE_HOST
// set, and the run directory put in front of PATH (once, however often the
// file is sourced; PATH is never replaced).
std::string FormatEnvironmentFile(const std::string& runDir, const std::string& nameServiceHost);

// What the environment set-up starts from.
struct EnvironmentState
{
  std::string runDir;                             // the working directory
  std::optional<std::string> localIP;             // first address of the host name
  std::optional<std::string> envRunDir;           // QELM_RUN_DIR, nullopt when unset
  std::optional<std::string> envNameServiceHost;  // QELM_NAME_SERVICE_HOST
  std::string iniPath = "distribution.ini";       // holds section SYSTEMVARSEV
  std::string envFilePath = kEnvironmentFile;
};

struct EnvironmentSetup
{
  std::vector<std::string> messages;  // one information box each, in order
  bool fileWritten = false;
};

// The set-up: PATH when the "PATH" key of section "SYSTEMVARSEV" differs
// from the run directory (the key is updated), QELM_RUN_DIR when it differs
// from the run directory, QELM_NAME_SERVICE_HOST when it differs from the
// local IP with port 10013 (the key "IP" is updated). When any of them is
// to be set, the environment file is written with all three, and a last
// message says how to take it into the shell.
EnvironmentSetup SetupEnvironment(const EnvironmentState& state);

// The same from the working directory, this machine and the environment.
EnvironmentSetup SetupEnvironment();
