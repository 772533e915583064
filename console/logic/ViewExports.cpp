#include "ViewExports.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CDrawLine.h"
#include "CProject.h"
#include "NumericLocale.h"
#include "StringPrintf.h"

namespace {

// The zone pair whose demand the OD export lists.
constexpr int kExportOrigin = 52;
constexpr int kExportDestination = 40;

}  // namespace

std::string LinkPerformanceText(const CDrawLine& link, int chartWindowEnd, const ClockRecord& prediction)
{
  CNumericLocaleScope c_locale;
  std::string out = StringPrintf("Link %d ->%d  %d mins\n", link.m_nFromNode, link.m_nToNode, chartWindowEnd);
  out += "Time(min)  OBS              NOW-SIM             FORE-SIM\n";
  const int last = std::min<int>(prediction.nWindowEnd, kStoreMinutes - 1);
  for (int t = 1; t <= last; ++t) {
    const double obs = link.Series(kMeasureDensity, kSourceObserved, t);
    const double est = link.Series(kMeasureDensity, kSourceEstimate, t);
    if (t > prediction.nWindowStart)
      out += StringPrintf("%10d%15.2f%15.2f%15.2f\n", t, obs, est,
                          link.Series(kMeasureDensity, kSourcePredict0, t));
    else
      out += StringPrintf("%10d%15.2f%15.2f\n", t, obs, est);
  }
  return out;
}

std::string ODDemandText(const CProject& project, const ClockRecord& prediction)
{
  CNumericLocaleScope c_locale;
  std::string out;
  for (int t = 0; t <= prediction.nWindowEnd && t / 5 < kODSlots; t += 5)
    out += StringPrintf("%10d%15.2f\n", t / 5, project.ODEntry(t / 5, kExportOrigin, kExportDestination));
  return out;
}

bool WriteExportFile(const std::string& path, const std::string& text, std::string& error)
{
  errno = 0;
  int err = 0;
  if (std::FILE* f = std::fopen(path.c_str(), "w")) {
    if (std::fwrite(text.data(), 1, text.size(), f) != text.size())
      err = errno ? errno : EIO;
    if (std::fclose(f) != 0 && err == 0)
      err = errno ? errno : EIO;
  } else {
    err = errno ? errno : ENOENT;
  }
  if (err != 0)
    error = "The file " + path + " cannot be written (" + std::strerror(err) + ").";
  return err == 0;
}
