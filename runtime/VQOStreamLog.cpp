#include "VQOStreamLog.h"

#include "VQCheck.h"
#include "VQTimeCentral.h"

#include <cstdarg>
#include <ctime>
#include <mutex>

std::FILE* VQOStreamLog::m_log_stream = nullptr;
int VQOStreamLog::m_instances = 0;

namespace {

// Guards the file pointer against a concurrent Open/Close and keeps a
// line's prefix and message together.
std::recursive_mutex& log_mutex()
{
  // Never destroyed: the static log instance closes its file at exit, after
  // function-local statics may already be gone.
  static std::recursive_mutex* m = new std::recursive_mutex;
  return *m;
}

void vwrite(std::FILE* f, const char* fmt, va_list ap)
{
  std::vfprintf(f, fmt, ap);
  std::fflush(f);
}

}  // namespace

VQOStreamLog g_vq_log;

VQOStreamLog::VQOStreamLog()
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  m_refused = !VQ_CHECK(m_instances == 0);
  ++m_instances;
}

VQOStreamLog::~VQOStreamLog()
{
  if (!m_refused)
    Close();
}

int VQOStreamLog::Instances()
{
  return m_instances;
}

bool VQOStreamLog::Open(const char* file_name, const char* mode)
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  Close();
  m_log_stream = std::fopen(file_name, mode);
  return VQ_CHECK(m_log_stream != NULL);
}

void VQOStreamLog::Close()
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  if (m_log_stream) {
    std::FILE* f = m_log_stream;
    m_log_stream = nullptr;
    int ret = std::fclose(f);
    VQ_CHECK(ret == 0);
  }
}

bool VQOStreamLog::IsOpen()
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  return m_log_stream != nullptr;
}

void VQOStreamLog::PrintConsole(const char* fmt, ...)
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  va_list ap;
  va_start(ap, fmt);
  vwrite(stdout, fmt, ap);
  va_end(ap);
}

void VQOStreamLog::PrintFile(const char* fmt, ...)
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  if (!m_log_stream)
    return;
  va_list ap;
  va_start(ap, fmt);
  vwrite(m_log_stream, fmt, ap);
  va_end(ap);
}

void VQOStreamLog::Print(const char* fmt, ...)
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  vwrite(stdout, fmt, ap);
  if (m_log_stream)
    vwrite(m_log_stream, fmt, ap2);
  va_end(ap2);
  va_end(ap);
}

void VQOStreamLog::PrintPrefix()
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  // The clock reading is local to each line: two threads logging at once
  // never mix their readings.
  HRTime now;
  VQTimeCentral::Now(now);
  const time_t secs = static_cast<time_t>(now.sec);
  struct tm lt
  {};
  localtime_r(&secs, &lt);
  PrintFile("%02d:%02d:%02d.%03lld: ", lt.tm_hour, lt.tm_min, lt.tm_sec, static_cast<long long>(now.msec));
}

void VQOStreamLog::Line(const char* fmt, ...)
{
  std::lock_guard<std::recursive_mutex> lock(log_mutex());
  PrintPrefix();
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  vwrite(stdout, fmt, ap);
  if (m_log_stream)
    vwrite(m_log_stream, fmt, ap2);
  va_end(ap2);
  va_end(ap);
}

bool VQCheckFailed(const char* condition, const char* file, int line)
{
  VQOStreamLog::PrintFile("Assertion Failed: \"%s\"\n(In file \"%s\", line %d)\n", condition, file, line);
  return false;
}
