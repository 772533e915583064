// What the System Settings dialog shows: the local machine's name and first
// address, and the two environment variables of the run; and the run mode
// it chooses.
//
//   SystemSettingsValues v = ReadSystemSettings();   // when the dialog is built
//   g_Project.m_nRunMode = RunModeOf(realTimeChecked); // on OK
#pragma once

#include <optional>
#include <string>

// Edits of the dialog hold at most this many characters; the host name is
// cut to it as well.
inline constexpr std::size_t kSettingsFieldLength = 50;

struct SystemSettingsValues
{
  std::string machineName;      // host name
  std::string machineIP;        // first address, dotted; "" when the name does not resolve
  std::string nameServiceHost;  // QELM_NAME_SERVICE_HOST
  std::string runDir;           // QELM_RUN_DIR
};

// The host name of this machine, at most kSettingsFieldLength characters
// ("" when it cannot be read).
std::string LocalMachineName();

// The first IPv4 address of a host name in dotted form; nullopt when the
// name does not resolve.
std::optional<std::string> FirstAddressOf(const std::string& name);

// The text of the IP field: "" when the name did not resolve, "Not
// available" when the address came out empty, else the address.
std::string MachineIPText(const std::optional<std::string>& address);

// The value of an environment variable, "" when unset.
std::string EnvironmentValue(const char* name);

// The dialog's values from this machine and the environment.
SystemSettingsValues ReadSystemSettings();

// m_nRunMode for the checked radio button: 1 "Real Time Mode", 0
// "Sequential Mode".
inline int RunModeOf(bool realTime)
{
  return realTime ? 1 : 0;
}

// The hint of the "Want to modify variables?" button.
inline constexpr const char* kModifyVariablesHint =
    "Please change the environment variables in your shell's start-up file (for example ~/.profile), "
    "then start the console again from a new shell.";
