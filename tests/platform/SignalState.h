// Whether a process ignores SIGTERM, from /proc/PID/status: the process
// tests wait for it before they count on it.
#pragma once

#include <csignal>
#include <fstream>
#include <string>
#include <sys/types.h>

inline bool IgnoresSigterm(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, 7, "SigIgn:") == 0)
      return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
  return false;
}
