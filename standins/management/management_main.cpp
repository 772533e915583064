// Management: the scheduler service stand-in. Serves QELM::Management under
// {"QELM", "Management"} and drives the bound modules in cycles.
//
// Usage: Management [ORB options] [options]
//   -clock-offset-ms N    GetSystemClock answers the local clock plus N ms
//                         (negative allowed; default 0)
//   -pace-ms N            RUN_REAL_TIME: one cycle every N ms of wall time
//                         (default: the cycle length of scheduler.dat, or
//                         2000 ms without the file)
//   -pause-ms N           RUN_SEQUENTIAL: pause between cycles (default 100)
//   -start-time S         simulated time of the first cycle, seconds of the
//                         day (default 3600, 01:00: the sample day starts
//                         inside the console's first chart window, 0:00 to
//                         2:00)
//   -target-timeout-ms N  bound of one delivery to a message target
//                         (default 10000; 0: the ORB's call time-out)
//   -store-wait-s N       how long Initialize looks for the record store
//                         (default 3)
//   -module-wait-s N      how long Initialize looks for each module
//                         (default 0: one attempt)
//   -seed N               seed of the C library's generator
#include "HRTime.h"
#include "ManagementSchedule.h"
#include "Management_i.h"
#include "VQORBThreadPool.h"
#include "VQOStreamLog.h"
#include "qelm_corba_utils.h"
#include "qelm_orb_args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

void Usage()
{
  std::fprintf(stderr, "usage: Management [ORB options] [-clock-offset-ms N] [-pace-ms N] [-pause-ms N]\n"
                       "                  [-start-time S] [-target-timeout-ms N] [-store-wait-s N]\n"
                       "                  [-module-wait-s N] [-seed N]\n"
                       "  -clock-offset-ms N    clock answered by GetSystemClock: local + N ms\n"
                       "  -pace-ms N            real-time mode: one cycle every N ms\n"
                       "  -pause-ms N           sequential mode: pause between cycles (100)\n"
                       "  -start-time S         simulated time of the first cycle, s of the day (3600)\n"
                       "  -target-timeout-ms N  bound of one delivery to a message target (10000)\n"
                       "  -store-wait-s N       Initialize: time to find the record store (3)\n"
                       "  -module-wait-s N      Initialize: time to find each module (0)\n"
                       "  -seed N               seed of rand()\n");
}

bool ParseLong(const char* text, long long lo, long long hi, long long& out)
{
  if (!text || !*text)
    return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi)
    return false;
  out = v;
  return true;
}

// Reads the program's own options; false on an unknown option or a bad value.
bool ParseOptions(int argc, char** argv, Management_i::Options& opt, unsigned& seed)
{
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    long long n = 0;
    bool ok = true;
    if (a == "-clock-offset-ms") {
      ok = ParseLong(v, -1000000000000LL, 1000000000000LL, n);
      opt.clock_offset_ms = n;
    } else if (a == "-pace-ms") {
      ok = ParseLong(v, 0, 86400000, n);
      opt.pace_ms = static_cast<int>(n);
    } else if (a == "-pause-ms") {
      ok = ParseLong(v, 0, 86400000, n);
      opt.pause_ms = static_cast<int>(n);
    } else if (a == "-start-time") {
      ok = ParseLong(v, 0, 86400LL * 365, n);
      opt.start_time = static_cast<double>(n);
    } else if (a == "-target-timeout-ms") {
      ok = ParseLong(v, 0, 3600000, n);
      opt.target_timeout_ms = static_cast<unsigned>(n);
    } else if (a == "-store-wait-s") {
      ok = ParseLong(v, 0, 3600, n);
      opt.store_wait_s = static_cast<int>(n);
    } else if (a == "-module-wait-s") {
      ok = ParseLong(v, 0, 3600, n);
      opt.module_wait_s = static_cast<int>(n);
    } else if (a == "-seed") {
      ok = ParseLong(v, 0, 4294967295LL, n);
      seed = static_cast<unsigned>(n);
    } else {
      std::fprintf(stderr, "Management: unknown option %s\n", a.c_str());
      return false;
    }
    if (!ok) {
      std::fprintf(stderr, "Management: bad value for %s\n", a.c_str());
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv)
{
  VQOStreamLog::Open("management.log", "w");
  CORBA::ORB_var orb;
  try {
    orb = qelm_orb_init(argc, argv, QELM_ORB_ID);
  } catch (const CORBA::Exception& e) {
    std::fprintf(stderr, "Management: ORB initialisation failed (%s)\n", e._name());
    return 2;
  }

  Management_i::Options opt;
  unsigned seed = static_cast<unsigned>(std::time(nullptr));
  if (!ParseOptions(argc, argv, opt, seed)) {
    Usage();
    orb->destroy();
    return 2;
  }
  std::srand(seed);

  std::string problem;
  ManagementSchedule schedule = ReadManagementSchedule("scheduler.dat", problem);
  if (schedule.from_file)
    VQOStreamLog::Line("Cycle length %d s, ODP horizon %d s (scheduler.dat).\n", schedule.cycle_seconds,
                       schedule.odp_horizon_seconds);
  else
    VQOStreamLog::Line("scheduler.dat not used (%s): cycle length %d s.\n", problem.c_str(),
                       schedule.cycle_seconds);

  int status = 0;
  try {
    CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
    PortableServer::POA_var poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var manager = poa->the_POAManager();
    manager->activate();

    Management_i* servant = new Management_i(orb.in(), opt, schedule);
    PortableServer::ObjectId_var oid = poa->activate_object(servant);
    CORBA::Object_var ref_obj = poa->id_to_reference(oid.in());
    QELM::Management_var ref = QELM::Management::_narrow(ref_obj.in());
    servant->SetSelf(ref.in());
    servant->SetActive(true);
    qelm_register_object(orb.in(), ref.in(), "Management");

    VQORBThreadPool pool(orb.in(), 8);
    servant->SetReadyCheck([&pool] { return pool.GetRunningThreads() >= pool.GetThreadCount(); });
    pool.Run();
    servant->SetReadyCheck(nullptr);

    servant->Finish();
    servant->_remove_ref();
    VQOStreamLog::Line("Management ended normally.\n");
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("Management failed: %s\n", e._name());
    status = 1;
  } catch (int) {
    VQOStreamLog::Line("Management failed: the naming service is not available.\n");
    status = 1;
  }
  try {
    orb->destroy();
  } catch (...) {
  }
  VQOStreamLog::Close();
  return status;
}
