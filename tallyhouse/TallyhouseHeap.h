// Heap settings of the record store process.
#pragma once

// The store keeps records of up to tens of megabytes and frees the oldest
// as new ones arrive. With the C library's defaults each such array is a
// mapping of its own, mapped, faulted in page by page and unmapped again on
// every insert; these settings keep large blocks in the heap and freed
// memory in the process for reuse. Call once at start, before any thread.
void TallyhouseTuneHeap();
