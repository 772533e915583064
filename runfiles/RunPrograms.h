// The nine programs that the bring-up starts from batch files, one per key
// of section "VORLANTISQ" of distribution.ini, the folder of the run
// directory each runs in, and the text of that section as the sample
// run-directory generator writes it.
//
//   for (const RunProgram& p : RunPrograms())
//     if (IniReadInt(kDistributionSection, p.key, -1, "distribution.ini") == 0)
//       start(std::string(p.key) + ".bat", p.title);
#pragma once

#include <array>
#include <string>

// Section of distribution.ini that holds the machine of each program.
constexpr const char* kDistributionSection = "VORLANTISQ";

struct RunProgram
{
  const char* key;       // distribution.ini key; the batch file is key + ".bat"
  const char* title;     // window title of its batch file, and its label in the distribution dialog
  const char* image;     // program image name, as close-down looks for it
  const char* instance;  // first argument of the program (the second FORESIM's "1"), or null
  const char* folder;    // folder of the run directory it runs in; "" for the run directory itself
  bool module;           // a computing module (not Management or the record store)
  int distributedValue;  // machine that "Distributed Mode" gives it (0 server, 1 client 1)
};

constexpr int kRunProgramCount = 9;

// In the order in which the server step starts them: foresim, foresim1,
// nowsim, nearvet, farvet, management, tallyhouse, ode, odp. Each module
// runs in a folder of its own and reads and writes its files relative to
// it: FORESIM in predict (the second instance in predict1), NOWSIM in
// estimate, NEARVET in NEARVET (where it keeps referencetable.txt), FARVET
// in farvet, ODE in odestimate, ODP in odpredict; Management and the
// record store run in the run directory.
const std::array<RunProgram, kRunProgramCount>& RunPrograms();

// The program started under `image` with the instance argument `instance`
// (null for none), or null when there is none.
const RunProgram* FindRunProgram(const std::string& image, const char* instance);

// Machine of each program, in the order of RunPrograms().
using DistributionValues = std::array<int, kRunProgramCount>;

// distribution.ini with the one section "VORLANTISQ": a "key=value" line
// per program, in the order of RunPrograms().
std::string DistributionIniText(const DistributionValues& machines);
