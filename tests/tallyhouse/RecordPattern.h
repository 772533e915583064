// Records whose arrays carry a pattern derived from (writer, sequence), so
// that a reader can tell a whole record from a torn or mixed one.
#pragma once

#include <QELM.hh>

#include <cstdint>
#include <string>

namespace tallyhouse_test {

// Value k of real array j of the record (writer, seq).
inline float PatternValue(int writer, int seq, int j, int k)
{
  return static_cast<float>((writer * 7919 + seq * 31 + j * 17 + k) % 100003);
}

// L[0] = {writer, seq, arrays, length, checksum}; F holds `arrays` arrays of
// `length` pattern values; quasi_timestamp and timestamp.sec follow seq.
inline QELM::DBKRecord MakePatternRecord(int writer, int seq, int arrays, int length)
{
  QELM::DBKRecord r;
  r.timestamp.sec = 1000000 + seq;
  r.timestamp.msec = 0;
  r.quasi_timestamp = static_cast<float>(seq);
  r.F.length(static_cast<CORBA::ULong>(arrays));
  std::int64_t sum = 0;
  for (int j = 0; j < arrays; ++j) {
    r.F[j].length(static_cast<CORBA::ULong>(length));
    for (int k = 0; k < length; ++k) {
      r.F[j][k] = PatternValue(writer, seq, j, k);
      sum += static_cast<std::int64_t>(r.F[j][k]);
    }
  }
  r.L.length(2);
  r.L[0].length(5);
  r.L[0][0] = writer;
  r.L[0][1] = seq;
  r.L[0][2] = arrays;
  r.L[0][3] = length;
  r.L[0][4] = static_cast<CORBA::Long>(sum % 1000000007);
  // A second integer array of its own pattern.
  r.L[1].length(static_cast<CORBA::ULong>(length));
  for (int k = 0; k < length; ++k)
    r.L[1][k] = seq ^ k;
  return r;
}

// Empty when the record is whole; else what is wrong. Gives writer and seq.
inline std::string CheckPatternRecord(const QELM::DBKRecord& r, int& writer, int& seq)
{
  if (r.L.length() != 2 || r.L[0].length() != 5)
    return "integer header missing";
  writer = r.L[0][0];
  seq = r.L[0][1];
  const int arrays = r.L[0][2];
  const int length = r.L[0][3];
  if (r.timestamp.sec != 1000000 + seq || r.quasi_timestamp != static_cast<float>(seq))
    return "time stamps do not match the sequence number";
  if (r.F.length() != static_cast<CORBA::ULong>(arrays))
    return "wrong number of real arrays";
  if (r.L[1].length() != static_cast<CORBA::ULong>(length))
    return "wrong integer array length";
  for (int k = 0; k < length; ++k)
    if (r.L[1][k] != (seq ^ k))
      return "integer array pattern broken";
  std::int64_t sum = 0;
  for (int j = 0; j < arrays; ++j) {
    if (r.F[j].length() != static_cast<CORBA::ULong>(length))
      return "wrong real array length";
    for (int k = 0; k < length; ++k) {
      if (r.F[j][k] != PatternValue(writer, seq, j, k))
        return "real array pattern broken";
      sum += static_cast<std::int64_t>(r.F[j][k]);
    }
  }
  if (r.L[0][4] != static_cast<CORBA::Long>(sum % 1000000007))
    return "checksum mismatch";
  return std::string();
}

}  // namespace tallyhouse_test
