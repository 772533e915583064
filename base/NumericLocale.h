// Numbers in the console's files are read and written in the "C" notation
// whatever the process locale is. CNumericLocaleScope switches the calling
// thread to the "C" numeric locale for its lifetime (printf and scanf
// families included) and restores the thread's locale afterwards.
#pragma once

#include <clocale>
#include <locale.h>

class CNumericLocaleScope
{
public:
  CNumericLocaleScope()
  {
    static locale_t c_numeric = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    m_old = c_numeric ? uselocale(c_numeric) : static_cast<locale_t>(0);
  }
  ~CNumericLocaleScope()
  {
    if (m_old)
      uselocale(m_old);
  }
  CNumericLocaleScope(const CNumericLocaleScope&) = delete;
  CNumericLocaleScope& operator=(const CNumericLocaleScope&) = delete;

private:
  locale_t m_old;
};
