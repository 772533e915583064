#include "BatchFiles.h"

#include "FileText.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

// The lines that take the script to its folder of the run directory (the
// script's own directory when `folder` is empty) and give
// QELM_NAME_SERVICE_HOST its default.
std::string Prologue(const std::string& nsHost, const std::string& folder = "")
{
  const std::string dir = folder.empty() ? "$(dirname \"$0\")" : "$(dirname \"$0\")/" + folder;
  return "cd \"" + dir + "\" || exit 1\n: \"${QELM_NAME_SERVICE_HOST:=" + nsHost + "}\"\n";
}

// Where a program runs, for its batch file's first comment line.
std::string RunsIn(const RunProgram& program)
{
  if (!*program.folder)
    return "runs in the run directory";
  return std::string("runs in the run directory's folder ") + program.folder;
}

}  // namespace

std::string ShellQuote(const std::string& s)
{
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  out += "'";
  return out;
}

std::string FindInPath(const std::string& name)
{
  std::string found = FindInPathList(name, std::getenv("PATH"));
  if (found.empty())
    found = FindInPathList(name, "/usr/bin:/usr/sbin:/usr/local/bin:/bin:/sbin");
  return found;
}

bool WriteNameServiceLink(const std::string& runDir, std::string& error, std::string* warning)
{
  std::string omni = FindInPath("omniNames");
  if (omni.empty()) {
    if (warning)
      *warning = "omniNames not found; NAMEDIR points to \"omniNames\"";
    omni = "omniNames";
  }
  const std::filesystem::path link = std::filesystem::path(runDir) / "NAMEDIR";
  std::error_code ec;
  std::filesystem::remove(link, ec);
  std::filesystem::create_symlink(omni, link, ec);
  if (ec) {
    error = "cannot create the link " + link.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool IsNameServiceAddress(const std::string& address)
{
  const std::size_t colon = address.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == address.size())
    return false;
  for (char c : address) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
    if (!plain)
      return false;
  }
  for (std::size_t i = colon + 1; i < address.size(); ++i)
    if (address[i] < '0' || address[i] > '9')
      return false;
  return true;
}

std::string NamingServiceBatText(const std::string& nsHost)
{
  std::string out;
  out += "# Naming_Service: the naming service of the run, under the image name NAMEDIR\n";
  out += "# (a link to omniNames). QELM_NAME_SERVICE_HOST gives its host:port; its data\n";
  out += "# files are kept in NameService/ and started afresh each time.\n";
  out += Prologue(nsHost);
  out += "ns_host=\"${QELM_NAME_SERVICE_HOST%:*}\"\n";
  out += "ns_port=\"${QELM_NAME_SERVICE_HOST##*:}\"\n";
  out += "rm -rf NameService\n";
  out += "mkdir -p NameService || exit 1\n";
  out += "exec ./NAMEDIR -start \"$ns_port\" -always -datadir \"$PWD/NameService\" "
         "-ORBendPoint \"giop:tcp:$ns_host:$ns_port\"\n";
  return out;
}

std::string ProgramBatText(const RunProgram& program, const ProgramCommand& command,
                           const std::string& nsHost)
{
  std::string out;
  out += std::string("# ") + program.title + ": " + RunsIn(program) + "; reaches the naming\n";
  out += "# service at QELM_NAME_SERVICE_HOST (host:port).\n";
  out += Prologue(nsHost, program.folder);
  out += "exec " + ShellQuote(command.program);
  if (program.instance)
    out += " " + ShellQuote(program.instance);
  for (const std::string& a : command.args)
    out += " " + ShellQuote(a);
  out += " -ORBInitRef \"NameService=corbaloc::${QELM_NAME_SERVICE_HOST}/NameService\"\n";
  return out;
}

bool WriteBatchFiles(const std::string& runDir, const std::string& nsHost,
                     const std::function<ProgramCommand(const RunProgram&)>& command, std::string& error)
{
  if (!IsNameServiceAddress(nsHost)) {
    error = "the naming service's address must be host:port, not \"" + nsHost + "\"";
    return false;
  }
  const std::string dir = runDir.empty() ? std::string(".") : runDir;
  if (!WriteFileText(dir + "/naming_service.bat", NamingServiceBatText(nsHost), &error, 0755))
    return false;
  for (const RunProgram& p : RunPrograms()) {
    if (*p.folder) {
      // The folder the batch file changes to, so that it starts.
      const std::filesystem::path folder = std::filesystem::path(dir) / p.folder;
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
      if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
      }
    }
    if (!WriteFileText(dir + "/" + p.key + ".bat", ProgramBatText(p, command(p), nsHost), &error, 0755))
      return false;
  }
  return true;
}
