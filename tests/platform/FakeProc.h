// A made-up /proc tree for the process-list tests: one directory per
// process with the stat and status files and the exe and cwd links that
// CProcessList reads.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

#include "TestSupport.h"

struct FakeProcess
{
  pid_t id;
  const char* task;
  const char* exe;  // link target; null: no link (unreadable)
  uid_t uid;
  pid_t parent;
  pid_t group;
  const char* cwd;  // link target; null: no link
  char state = 'S';
  unsigned long long startTime = 1000;
};

class FakeProc
{
public:
  FakeProc() : m_dir("vlq-fakeproc") {}
  const std::string& root() const { return m_dir.path(); }

  void Add(const FakeProcess& p)
  {
    namespace fs = std::filesystem;
    const fs::path d = fs::path(root()) / std::to_string(p.id);
    fs::create_directories(d);
    std::string stat = std::to_string(p.id) + " (" + p.task + ") " + p.state + " " +
                       std::to_string(p.parent) + " " + std::to_string(p.group);
    for (int field = 6; field <= 21; ++field)
      stat += " 0";
    stat += " " + std::to_string(p.startTime) + " 0 0\n";
    WriteFile((d / "stat").string(), stat);
    WriteFile((d / "status").string(), std::string("Name:\t") + p.task + "\nUid:\t" + std::to_string(p.uid) +
                                           "\t" + std::to_string(p.uid) + "\t0\t0\n");
    if (p.exe)
      fs::create_symlink(p.exe, d / "exe");
    if (p.cwd)
      fs::create_symlink(p.cwd, d / "cwd");
  }

  // Writes a raw file of a process directory (for malformed entries).
  void Raw(const std::string& relative, const std::string& text)
  {
    const std::filesystem::path f = std::filesystem::path(root()) / relative;
    std::filesystem::create_directories(f.parent_path());
    WriteFile(f.string(), text);
  }

private:
  TempDir m_dir;
};
