// VQTimeCentral: the corrected clock of this process (local clock plus the
// correction towards the Management service's clock) and the clock
// correction that measures it.
#pragma once

#include "HRTime.h"

#include <QELM.hh>

class VQTimeCentral
{
public:
  VQTimeCentral();
  virtual ~VQTimeCentral();

  // Local clock plus the correction, in normal form.
  static HRTime& Now(HRTime& t);
  static HRTime Now();

  // Sets the clock source and synchronises (0, 1 or -1); nil stops.
  static int Connect(QELM::Management_ptr m);
  // One measurement: 0 corrected, 1 no acceptable sample, -1 the call failed.
  static int Synchronize();
  static int StartTimer();
  static int StopTimer();
  static bool IsActive();

  static HRTime GetCorrection();

private:
  static HRTime m_correction;
};
