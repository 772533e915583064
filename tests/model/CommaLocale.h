// A process locale whose decimal separator is a comma, for tests that
// check that files are read and written in the "C" notation whatever the
// locale. The locale is compiled into a temp directory with localedef; a
// test skips when the machine cannot build it.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

class CommaLocale
{
public:
  CommaLocale()
  {
    char tmpl[] = "/tmp/vlq_locale_XXXXXX";
    if (!::mkdtemp(tmpl))
      return;
    m_dir = tmpl;
    std::string cmd = "localedef -i de_DE -f UTF-8 " + m_dir + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0)
      return;
    ::setenv("LOCPATH", m_dir.c_str(), 1);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      return;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    m_active = std::string(buf) == "1,5";
  }
  ~CommaLocale()
  {
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    if (!m_dir.empty())
      std::filesystem::remove_all(m_dir);
  }
  bool Active() const { return m_active; }

private:
  std::string m_dir;
  bool m_active = false;
};
