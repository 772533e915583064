// VQOStreamLog: the one progress and diagnostics log of a program. Messages
// go to standard output, to the log file, or to both; every write is flushed.
//
//   VQOStreamLog::Open("tallyhouse.log", "w");
//   VQOStreamLog::Line("Tallyhouse: Call to InsertRecord. id = %d.\n", id);
//
// Each call formats its whole text first and hands it to each destination in
// one write of its own, with no lock held while writing: lines of threads
// logging at once never mix, and a writer never waits for another's write.
#pragma once

#include <memory>

class VQOStreamLog
{
public:
  VQOStreamLog();
  virtual ~VQOStreamLog();

  VQOStreamLog(const VQOStreamLog&) = delete;
  VQOStreamLog& operator=(const VQOStreamLog&) = delete;

  // Closes any open log file, then opens the named one with the C mode.
  static bool Open(const char* file_name, const char* mode);
  static void Close();
  static bool IsOpen();

  static void PrintConsole(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void PrintFile(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
  static void Print(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

  // The time prefix of a log line, "%02d:%02d:%02d.%03lld: " of the
  // corrected clock, written to the log file only.
  static void PrintPrefix();

  // One whole log line: prefix and message to the file in one write, the
  // message alone to standard output.
  static void Line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

  // Number of instances built (one is allowed).
  static int Instances();

private:
  // A refused extra instance (one already existed) leaves the program's log
  // file alone when it goes away.
  bool m_refused = false;

  // The open log file; writers in flight keep it open while Open or Close
  // replaces it.
  struct LogFile;
  static std::shared_ptr<LogFile> m_log_stream;
  static int m_instances;

  static std::shared_ptr<LogFile> CurrentFile();
  friend class VQLogWriter;
};

// The program's one log instance.
extern VQOStreamLog g_vq_log;
