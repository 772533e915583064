#include "VQOStreamLog.h"

#include "VQCheck.h"
#include "VQTimeCentral.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <unistd.h>

// The log file and the descriptor its lines are written to. Every write
// goes to the end of the file (the descriptor appends), so that writes of
// several threads never overwrite each other. Closed when the last writer
// holding it lets it go.
struct VQOStreamLog::LogFile
{
  std::FILE* stream = nullptr;
  int fd = -1;

  ~LogFile()
  {
    int ret = std::fclose(stream);
    VQ_CHECK(ret == 0);
  }
};

std::shared_ptr<VQOStreamLog::LogFile> VQOStreamLog::m_log_stream;
int VQOStreamLog::m_instances = 0;

namespace {

// Guards m_log_stream and m_instances; never held while writing.
std::mutex& log_mutex()
{
  // Never destroyed: the static log instance closes its file at exit, after
  // function-local statics may already be gone.
  static std::mutex* m = new std::mutex;
  return *m;
}

// Writes all of text in one write where the system takes it whole.
void WriteAll(int fd, const char* text, std::size_t size)
{
  while (size > 0) {
    const ssize_t n = ::write(fd, text, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

// One formatted text: a time prefix (optional) and a message, kept in a
// buffer of the stack unless it is longer.
class VQLogWriter
{
public:
  void AppendPrefix()
  {
    // The clock reading is local to each line: two threads logging at once
    // never mix their readings.
    HRTime now;
    VQTimeCentral::Now(now);
    const time_t secs = static_cast<time_t>(now.sec);
    // The local time of the second last converted on this thread is reused
    // (the conversion takes a lock of the C library).
    thread_local time_t t_secs = -1;
    thread_local struct tm t_local
    {};
    if (secs != t_secs) {
      localtime_r(&secs, &t_local);
      t_secs = secs;
    }
    Append("%02d:%02d:%02d.%03lld: ", t_local.tm_hour, t_local.tm_min, t_local.tm_sec,
           static_cast<long long>(now.msec));
    m_message = m_size;
  }

  [[gnu::format(printf, 2, 3)]] void Append(const char* fmt, ...)
  {
    va_list ap;
    va_start(ap, fmt);
    AppendV(fmt, ap);
    va_end(ap);
  }

  void AppendV(const char* fmt, va_list ap)
  {
    va_list again;
    va_copy(again, ap);
    const int n = std::vsnprintf(Data() + m_size, Room(), fmt, ap);
    if (n > 0) {
      const std::size_t need = static_cast<std::size_t>(n);
      if (need >= Room()) {
        Grow(m_size + need + 1);
        std::vsnprintf(Data() + m_size, Room(), fmt, again);
      }
      m_size += need;
    }
    va_end(again);
  }

  // The whole text to the log file, when one is open.
  void ToFile() const
  {
    std::shared_ptr<VQOStreamLog::LogFile> file = VQOStreamLog::CurrentFile();
    if (file)
      WriteAll(file->fd, Data(), m_size);
  }

  // The text without its prefix to standard output.
  void ToConsole() const { WriteAll(STDOUT_FILENO, Data() + m_message, m_size - m_message); }

private:
  char* Data() { return m_heap.empty() ? m_stack : m_heap.data(); }
  const char* Data() const { return m_heap.empty() ? m_stack : m_heap.data(); }
  std::size_t Room() const { return (m_heap.empty() ? sizeof m_stack : m_heap.size()) - m_size; }
  void Grow(std::size_t capacity)
  {
    std::string bigger(capacity, '\0');
    bigger.replace(0, m_size, Data(), m_size);
    m_heap.swap(bigger);
  }

  char m_stack[1024];
  std::string m_heap;
  std::size_t m_size = 0;
  std::size_t m_message = 0;  // where the message begins, after the prefix
};

VQOStreamLog g_vq_log;

VQOStreamLog::VQOStreamLog()
{
  bool first;
  {
    std::lock_guard<std::mutex> lock(log_mutex());
    first = m_instances == 0;
    ++m_instances;
  }
  m_refused = !VQ_CHECK_TEXT(first, "m_instances == 0");
}

VQOStreamLog::~VQOStreamLog()
{
  if (!m_refused)
    Close();
}

int VQOStreamLog::Instances()
{
  std::lock_guard<std::mutex> lock(log_mutex());
  return m_instances;
}

std::shared_ptr<VQOStreamLog::LogFile> VQOStreamLog::CurrentFile()
{
  std::lock_guard<std::mutex> lock(log_mutex());
  return m_log_stream;
}

bool VQOStreamLog::Open(const char* file_name, const char* mode)
{
  Close();
  std::shared_ptr<LogFile> file;
  if (std::FILE* f = std::fopen(file_name, mode)) {
    file = std::make_shared<LogFile>();
    file->stream = f;
    file->fd = fileno(f);
    const int flags = fcntl(file->fd, F_GETFL);
    if (flags >= 0)
      fcntl(file->fd, F_SETFL, flags | O_APPEND);
  }
  const bool opened = file != nullptr;
  {
    std::lock_guard<std::mutex> lock(log_mutex());
    // A file another thread opened meanwhile is let go after the lock.
    file.swap(m_log_stream);
  }
  return VQ_CHECK_TEXT(opened, "m_log_stream != NULL");
}

void VQOStreamLog::Close()
{
  std::shared_ptr<LogFile> file;
  {
    std::lock_guard<std::mutex> lock(log_mutex());
    file.swap(m_log_stream);
  }
  // Closed here, or by the last writer still holding it.
}

bool VQOStreamLog::IsOpen()
{
  return CurrentFile() != nullptr;
}

void VQOStreamLog::PrintConsole(const char* fmt, ...)
{
  VQLogWriter w;
  va_list ap;
  va_start(ap, fmt);
  w.AppendV(fmt, ap);
  va_end(ap);
  w.ToConsole();
}

void VQOStreamLog::PrintFile(const char* fmt, ...)
{
  if (!IsOpen())
    return;
  VQLogWriter w;
  va_list ap;
  va_start(ap, fmt);
  w.AppendV(fmt, ap);
  va_end(ap);
  w.ToFile();
}

void VQOStreamLog::Print(const char* fmt, ...)
{
  VQLogWriter w;
  va_list ap;
  va_start(ap, fmt);
  w.AppendV(fmt, ap);
  va_end(ap);
  w.ToConsole();
  w.ToFile();
}

void VQOStreamLog::PrintPrefix()
{
  if (!IsOpen())
    return;
  VQLogWriter w;
  w.AppendPrefix();
  w.ToFile();
}

void VQOStreamLog::Line(const char* fmt, ...)
{
  VQLogWriter w;
  w.AppendPrefix();
  va_list ap;
  va_start(ap, fmt);
  w.AppendV(fmt, ap);
  va_end(ap);
  w.ToConsole();
  w.ToFile();
}

bool VQCheckFailed(const char* condition, const char* file, int line)
{
  VQOStreamLog::PrintFile("Assertion Failed: \"%s\"\n(In file \"%s\", line %d)\n", condition, file, line);
  return false;
}
