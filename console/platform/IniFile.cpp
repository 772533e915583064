#include "IniFile.h"

#include "AsciiCase.h"
#include "FileText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

const char kBlanks[] = " \t\r\f\v";
const char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string Trim(const std::string& s)
{
  const std::size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string::npos)
    return "";
  const std::size_t e = s.find_last_not_of(kBlanks);
  return s.substr(b, e - b + 1);
}

// One line of the file as it stands, and what it means.
struct IniLine
{
  enum Kind { kOther, kSection, kBrokenSection, kKey };
  std::string text;  // without its line end
  std::string end;   // "\r\n", "\n", or "" for a last line with none
  Kind kind = kOther;
  std::string name;   // section or key name, trimmed
  std::string value;  // a key's value, trimmed, quotes kept
};

// The file split into lines. The one reader of the format: the readers and
// the writer both work on it.
struct IniText
{
  bool bom = false;
  std::vector<IniLine> lines;
  std::string newline = "\n";

  void Parse(std::string data)
  {
    if (data.compare(0, 3, kUtf8Bom) == 0) {
      bom = true;
      data.erase(0, 3);
    }
    std::size_t pos = 0;
    while (pos < data.size()) {
      std::size_t nl = data.find('\n', pos);
      IniLine line;
      if (nl == std::string::npos) {
        line.text = data.substr(pos);
        pos = data.size();
      } else {
        line.text = data.substr(pos, nl - pos);
        line.end = "\n";
        pos = nl + 1;
        if (!line.text.empty() && line.text.back() == '\r') {
          line.text.pop_back();
          line.end = "\r\n";
          newline = "\r\n";
        }
      }
      Classify(line);
      lines.push_back(std::move(line));
    }
  }

  static void Classify(IniLine& line)
  {
    const std::string t = Trim(line.text);
    if (t.empty() || t[0] == ';')
      return;
    if (t[0] == '[') {
      const std::size_t close = t.find(']');
      if (close == std::string::npos) {
        line.kind = IniLine::kBrokenSection;
        return;
      }
      line.kind = IniLine::kSection;
      line.name = Trim(t.substr(1, close - 1));
      return;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos)
      return;
    line.kind = IniLine::kKey;
    line.name = Trim(t.substr(0, eq));
    line.value = Trim(t.substr(eq + 1));
  }

  // Index of the first header of the section, or -1.
  long FindSection(const std::string& section) const
  {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].kind == IniLine::kSection && EqualsIgnoringCase(lines[i].name, section))
        return static_cast<long>(i);
    return -1;
  }

  // One past the last line of the section whose header is at index h.
  std::size_t SectionEnd(long h) const
  {
    std::size_t i = static_cast<std::size_t>(h) + 1;
    while (i < lines.size() && lines[i].kind != IniLine::kSection && lines[i].kind != IniLine::kBrokenSection)
      ++i;
    return i;
  }

  // Index of the key's line in the section, or -1.
  long FindKey(long h, const std::string& key) const
  {
    const std::size_t end = SectionEnd(h);
    for (std::size_t i = static_cast<std::size_t>(h) + 1; i < end; ++i)
      if (lines[i].kind == IniLine::kKey && EqualsIgnoringCase(lines[i].name, key))
        return static_cast<long>(i);
    return -1;
  }

  std::string Join() const
  {
    std::string out = bom ? kUtf8Bom : "";
    for (const IniLine& l : lines)
      out += l.text + l.end;
    return out;
  }
};

// The value of the key with a pair of enclosing quotes taken off; false
// when the file, the section or the key is missing.
bool FindValue(const std::string& section, const std::string& key, const std::string& path,
               std::string& value)
{
  std::string data;
  if (!ReadFileText(path, data))
    return false;
  IniText ini;
  ini.Parse(std::move(data));
  const long h = ini.FindSection(section);
  if (h < 0)
    return false;
  const long k = ini.FindKey(h, key);
  if (k < 0)
    return false;
  value = ini.lines[static_cast<std::size_t>(k)].value;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return true;
}

bool HasLineBreak(const std::string& s)
{
  return s.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

int IniReadInt(const std::string& section, const std::string& key, int defaultValue, const std::string& path)
{
  std::string value;
  if (!FindValue(section, key, path, value))
    return defaultValue;
  std::size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+'))
    negative = value[i++] == '-';
  if (i >= value.size() || value[i] < '0' || value[i] > '9')
    return defaultValue;
  long long n = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    n = n * 10 + (value[i] - '0');
    if (n > static_cast<long long>(INT_MAX) + 1)
      return defaultValue;
  }
  if (negative)
    n = -n;
  if (n > INT_MAX || n < INT_MIN)
    return defaultValue;
  return static_cast<int>(n);
}

std::string IniReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                          const std::string& path)
{
  std::string value;
  return FindValue(section, key, path, value) ? value : defaultValue;
}

bool IniWriteString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& path)
{
  const std::string sectionName = Trim(section), keyName = Trim(key);
  if (sectionName.empty() || keyName.empty() || HasLineBreak(section) || HasLineBreak(key) ||
      HasLineBreak(value) || section.find(']') != std::string::npos || key.find('=') != std::string::npos ||
      keyName[0] == '[' || keyName[0] == ';')
    return false;

  std::string data;
  IniText ini;
  if (ReadFileText(path, data))
    ini.Parse(std::move(data));
  else if (std::filesystem::exists(path))
    return false;  // there, but unreadable: never replace it blind

  auto newLine = [&ini](const std::string& text) {
    IniLine l;
    l.text = text;
    l.end = ini.newline;
    return l;
  };
  // A last line without a line end gets one before anything follows it.
  auto endLastLine = [&ini] {
    if (!ini.lines.empty() && ini.lines.back().end.empty())
      ini.lines.back().end = ini.newline;
  };

  const long h = ini.FindSection(sectionName);
  if (h < 0) {
    endLastLine();
    ini.lines.push_back(newLine("[" + sectionName + "]"));
    ini.lines.push_back(newLine(keyName + "=" + value));
  } else if (const long k = ini.FindKey(h, keyName); k >= 0) {
    IniLine& l = ini.lines[static_cast<std::size_t>(k)];
    l.text = l.name + "=" + value;
  } else {
    // After the section's last key (or its header), before any blank or
    // comment lines that end it.
    std::size_t at = static_cast<std::size_t>(h) + 1;
    const std::size_t end = ini.SectionEnd(h);
    for (std::size_t i = at; i < end; ++i)
      if (ini.lines[i].kind == IniLine::kKey)
        at = i + 1;
    if (at == ini.lines.size())
      endLastLine();
    ini.lines.insert(ini.lines.begin() + static_cast<long>(at), newLine(keyName + "=" + value));
  }
  return ReplaceFileText(path, ini.Join());
}
