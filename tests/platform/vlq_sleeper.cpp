// A small program for the process tests, copied or linked under the names
// of the system's programs.
//
//   vlq_sleeper sleep [--ignore-term]   waits for a signal (ignoring SIGTERM)
//   vlq_sleeper report [args...]        prints "cwd:<dir>", one "arg:<a>" per
//                                       argument (argv[0] first) and one
//                                       "fd:<n> <target>" per open descriptor,
//                                       then exits with code 0
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
  if (argc >= 2 && std::strcmp(argv[1], "sleep") == 0) {
    if (argc >= 3 && std::strcmp(argv[2], "--ignore-term") == 0)
      std::signal(SIGTERM, SIG_IGN);
    for (;;)
      ::pause();
  }
  if (argc >= 2 && std::strcmp(argv[1], "report") == 0) {
    char cwd[4096] = "";
    if (!::getcwd(cwd, sizeof cwd))
      cwd[0] = '\0';
    std::printf("cwd:%s\n", cwd);
    for (int i = 0; i < argc; ++i)
      std::printf("arg:%s\n", argv[i]);
    DIR* d = ::opendir("/proc/self/fd");
    if (!d)
      return 1;
    while (const dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.' || std::atoi(e->d_name) == ::dirfd(d))
        continue;
      char target[4096] = "";
      const std::string link = std::string("/proc/self/fd/") + e->d_name;
      const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
      target[n > 0 ? n : 0] = '\0';
      std::printf("fd:%s %s\n", e->d_name, target);
    }
    ::closedir(d);
    return 0;
  }
  std::fprintf(stderr, "usage: vlq_sleeper sleep [--ignore-term] | report [args...]\n");
  return 2;
}
