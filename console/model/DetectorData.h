// Detector data module: turns detector reports (an XML document) into a
// table of observed densities per detector and collection period, and writes
// that table as DetectorData.dat. No command of the console calls it; it is
// an entry point for a later command.
#pragma once

#include <string>
#include <vector>

// One report of one detector for one collection period.
class CDetectorData
{
public:
  double m_dDensity = 0.0;    // observed density
  double m_dFlow = 0.0;       // observed flow
  std::string m_szLocalDate;  // local date as given by the report
  std::string m_szLocalTime;  // local time as given by the report
  int m_nAbsTimeIndex = 0;    // absolute time index of the report
};

// One detector of the detector list file.
class CDetector
{
public:
  int m_nNumber = 0;                     // 1-based position in the list file
  std::string m_szName;                  // one alphanumeric word
  int m_nId = 0;                         // identifier
  int m_nFromNode = 0;                   // from-node number of the detector's link
  int m_nToNode = 0;                     // to-node number of the detector's link
  std::vector<CDetectorData> m_Reports;  // one per collection period
};

// Reports read per collection period.
constexpr int kDetectorReportsPerPeriod = 20;

// The module's state and its three entry points. The console keeps one
// instance, g_DetectorModule; the caller sets the document source, the
// number of periods, the first time index and the step.
class CDetectorDataModule
{
public:
  std::vector<CDetector> m_Detectors;  // the detector list
  int m_nDetectorCount = 0;            // first header value of the list file
  int m_nHeaderValue2 = 0;             // second header value of the list file
  int m_nFirstTimeIndex = 0;           // absolute time index of period 0
  double m_dTimeStep = 0.0;            // step between successive periods
  std::string m_szDocumentSource;      // report document handed on by the caller
  int m_nPeriods = 0;                  // number of periods handed on by the caller

  // Counts read from the document's "collection-period" by the last
  // LoadDetectorReports (-1 when not found).
  int m_nItemCount = -1;
  int m_nCurrentItemCount = -1;
  int m_nReportCount = -1;

  // Empties every detector's reports and the list, then reads
  // "<dir>/Detector_Velmora.txt". False when the file does not open or ends
  // before the number of detectors its header gives (the detectors read so
  // far are kept).
  bool LoadDetectors(const std::string& dir);

  // Loads the report document (a file name) and fills the detectors' reports
  // for collection periods 0 .. n - 1. Loads nothing (false) when the
  // document does not load, its counts are missing, or n is greater than its
  // current number of collection-period items. A period whose time index the
  // document lacks is skipped (false is returned after the others are read).
  bool LoadDetectorReports(const std::string& source, int n);

  // Writes "<dir>/DetectorData.dat"; false when it cannot be created.
  bool WriteDetectorData(const std::string& dir) const;
};

extern CDetectorDataModule g_DetectorModule;

// Directory of the running program file, with its trailing "/".
std::string DetectorModuleDirectory();
