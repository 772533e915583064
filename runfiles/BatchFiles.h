// The batch files of the run directory that start the naming service and
// the nine programs of RunPrograms(): naming_service.bat and one
// <key>.bat per program, each a script that /bin/sh runs. A script changes
// to the program's folder of the run directory (RunProgram::folder: the
// module's own folder, or the run directory itself for the naming service,
// Management and the record store) and replaces itself with its program,
// so that the program runs under its own image name, and points it at the
// naming service with a corbaloc address built from QELM_NAME_SERVICE_HOST
// (host:port), or from the address given to the writer when that variable
// is unset.
//
//   std::string error;
//   WriteBatchFiles(".", "127.0.0.1:10013",
//                   [](const RunProgram& p) { return ProgramCommand{p.image, {}}; }, error);
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "PathSearch.h"
#include "RunPrograms.h"

// What a program's batch file starts: the program (an absolute path, or a
// name looked up in PATH) and its arguments after the program's instance
// argument.
struct ProgramCommand
{
  std::string program;
  std::vector<std::string> args;
};

// One word for /bin/sh: in single quotes, a quote inside written as '\''.
std::string ShellQuote(const std::string& s);

// The executable file `name` in the directories of PATH, then in /usr/bin,
// /usr/sbin, /usr/local/bin, /bin and /sbin; empty when there is none.
std::string FindInPath(const std::string& name);

// Makes runDir/NAMEDIR a link to the naming service's program (omniNames,
// looked up by FindInPath), so that naming_service.bat runs it under the
// image name NAMEDIR and close-down finds it by that name. When omniNames
// is not found the link points to the bare name and *warning says so.
// False, with error saying why, when the link cannot be made.
bool WriteNameServiceLink(const std::string& runDir, std::string& error, std::string* warning = nullptr);

// True for a naming-service address of the form host:port that a batch
// file can hold as it is (letters, digits, ".", "-", "_", ":" and the
// brackets of an IPv6 host).
bool IsNameServiceAddress(const std::string& address);

// naming_service.bat: starts NAMEDIR of the run directory (a link to the
// naming service's program) on the host and port of
// QELM_NAME_SERVICE_HOST, by default nsHost, keeping its data in
// NameService/, which is emptied first.
std::string NamingServiceBatText(const std::string& nsHost);

// <key>.bat of a program: a change to the program's folder, then exec of
// the program with the program's instance argument, the command's
// arguments and -ORBInitRef NameService=corbaloc::QELM_NAME_SERVICE_HOST,
// by default nsHost. A relative program path is taken from that folder.
std::string ProgramBatText(const RunProgram& program, const ProgramCommand& command,
                           const std::string& nsHost);

// Writes naming_service.bat and the <key>.bat of every program of
// RunPrograms() into runDir, in that order, executable (mode 0755) and
// replacing older files, and makes each program's folder when it is
// missing; command(p) says what each starts. False, with error saying why,
// for an address that IsNameServiceAddress refuses (nothing written) or at
// the first folder or file that cannot be made.
bool WriteBatchFiles(const std::string& runDir, const std::string& nsHost,
                     const std::function<ProgramCommand(const RunProgram&)>& command, std::string& error);
