// BorrowArrays: a record's arrays handed out without a copy.
//
//   BorrowArrays(stored->F, reply.F);  // reply.F[j] points into stored->F[j]
//
// Each array of out borrows the buffer of the same array of stored and
// frees none of them: stored must outlive out (for a reply, until it is
// marshalled).
#pragma once

#include <omniORB4/CORBA.h>

#include <type_traits>

template <class SeqArray>
void BorrowArrays(const SeqArray& stored, SeqArray& out)
{
  out.length(stored.length());
  for (CORBA::ULong j = 0; j < stored.length(); ++j) {
    const CORBA::ULong len = stored[j].length();
    // An empty array is left empty: asking it for its buffer may allocate.
    if (len == 0)
      continue;
    using Elem = std::remove_const_t<std::remove_pointer_t<decltype(stored[j].get_buffer())>>;
    out[j].replace(len, len, const_cast<Elem*>(stored[j].get_buffer()), false);
  }
}
