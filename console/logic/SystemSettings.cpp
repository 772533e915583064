#include "SystemSettings.h"

#include <arpa/inet.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

std::string LocalMachineName()
{
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0)
    return std::string();
  std::string s(name, ::strnlen(name, sizeof name));
  if (s.size() > kSettingsFieldLength)
    s.resize(kSettingsFieldLength);
  return s;
}

std::optional<std::string> FirstAddressOf(const std::string& name)
{
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || !list)
    return std::nullopt;
  std::string text;
  char buf[INET_ADDRSTRLEN] = {};
  const auto* in = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
  if (list->ai_addr && ::inet_ntop(AF_INET, &in->sin_addr, buf, sizeof buf))
    text = buf;
  ::freeaddrinfo(list);
  return text;
}

std::string MachineIPText(const std::optional<std::string>& address)
{
  if (!address)
    return std::string();
  return address->empty() ? std::string("Not available") : *address;
}

std::string EnvironmentValue(const char* name)
{
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

SystemSettingsValues ReadSystemSettings()
{
  SystemSettingsValues v;
  v.machineName = LocalMachineName();
  v.machineIP = MachineIPText(FirstAddressOf(v.machineName));
  v.nameServiceHost = EnvironmentValue("QELM_NAME_SERVICE_HOST");
  v.runDir = EnvironmentValue("QELM_RUN_DIR");
  return v;
}
