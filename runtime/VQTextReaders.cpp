#include "VQTextReaders.h"

#include "FieldReaders.h"
#include "VQCheck.h"

#include <cstring>

int ReadInt(std::FILE* f)
{
  if (!VQ_CHECK(f != NULL))
    return -1;
  return fields::NextDigits(f).value_or(-1);
}

double ReadReal(std::FILE* f)
{
  if (!VQ_CHECK(f != NULL))
    return -1.0;
  return fields::NextUnsignedReal(f).value_or(-1.0);
}

bool ReadLine(std::FILE* f, char* buffer, size_t buffer_size)
{
  if (!VQ_CHECK(buffer != NULL) || !VQ_CHECK(buffer_size != 0))
    return false;
  buffer[0] = '\0';
  if (!VQ_CHECK(f != NULL))
    return false;
  std::size_t count = 0;
  const int end = fields::ReadLineChars(f, buffer, buffer_size, &count);
  if (end == '\r') {
    // A carriage return followed by a line feed is one line end.
    const int next = std::fgetc(f);
    if (next != '\n' && next != EOF)
      std::ungetc(next, f);
  }
  return end != EOF || count > 0;
}

double StringToReal(const char* s)
{
  if (!VQ_CHECK(s != NULL))
    return -1.0;
  const double v = StrtodC(s);
  if (v != 0)
    return v;
  if (std::strcmp(s, ".0") == 0 || std::strcmp(s, "0") == 0 || std::strcmp(s, "0.0") == 0)
    return 0.0;
  return -1.0;
}
