// Names compared without regard to the case of the ASCII letters, whatever
// the locale (other bytes compare as they are): section and key names of
// the initialisation files, image names of processes, file extensions.
//
//   if (EqualsIgnoringCase(key, "nowsim")) ...
//   if (EndsWithIgnoringCase(file, ".bat")) ...
#pragma once

#include <algorithm>
#include <string_view>

inline char FoldAsciiCase(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAsciiCase(x) == FoldAsciiCase(y);
         });
}

inline bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
  return text.size() >= suffix.size() && EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}
