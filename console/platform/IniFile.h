// The console's initialisation files (distribution.ini): sections "[name]"
// of "key=value" lines, read and written the way the run's other programs
// and the operator's editors expect them.
//
//   int machine = IniReadInt("VORLANTISQ", "nowsim", -1, "distribution.ini");
//   std::string ip = IniReadString("SYSTEMVARSEV", "IP", "", "distribution.ini");
//   IniWriteString("VORLANTISQ", "nowsim", "0", "distribution.ini");
//
// Reading: section and key names are matched without regard to case, the
// first matching section and the first matching key in it count; blanks
// around names and values are dropped, and a value enclosed in a pair of
// double or single quotes is read without them. Lines that are neither a
// section header nor a "key=value" line (comments beginning with ";" among
// them) are skipped; keys after a broken header ("[name" with no "]")
// belong to no section. A missing file, section or key gives the default.
//
// Writing replaces the value of the key (keeping the key's spelling in the
// file), or adds the key at the end of its section, or adds the section at
// the end of the file, or creates the file. Every other line is kept as it
// was, line ends included; new lines take the file's line end ("\r\n" when
// the file has one, else "\n"). The file is replaced in one step (written
// beside it, then renamed), so a failed write leaves the old file whole.
#pragma once

#include <string>

// The integer value of the key: an optional sign and decimal digits at the
// start of the value; what follows them is ignored ("12 ; server" is 12).
// The default when the file, section or key is missing, when the value is
// empty or does not begin with a number, or when the number is beyond int.
int IniReadInt(const std::string& section, const std::string& key, int defaultValue, const std::string& path);

// The text of the key's value, or the default when the file, section or
// key is missing. An empty value ("key=") reads as "".
std::string IniReadString(const std::string& section, const std::string& key, const std::string& defaultValue,
                          const std::string& path);

// Sets the key's value, as described above. False, and the file left as it
// was, when it cannot be written, or when a name or the value would break
// the file's layout (an empty name, a line break anywhere, "]" in the
// section, "=" in the key, a key beginning with "[" or ";").
bool IniWriteString(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& path);
