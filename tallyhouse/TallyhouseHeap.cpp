#include "TallyhouseHeap.h"

#include <malloc.h>

void TallyhouseTuneHeap()
{
  // The largest threshold the allocator accepts on 64-bit systems.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
}
