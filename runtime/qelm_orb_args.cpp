#include "qelm_orb_args.h"

#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

bool starts_with_nocase(const std::string& s, const char* prefix)
{
  const size_t n = std::strlen(prefix);
  return s.size() >= n && strncasecmp(s.c_str(), prefix, n) == 0;
}

// "iiop://a1,a2/key" -> "corbaloc::a1,:a2/key"; anything else unchanged.
std::string iiop_url_to_corbaloc(const std::string& url)
{
  size_t scheme_len = 0;
  if (starts_with_nocase(url, "iiop://"))
    scheme_len = 7;
  else if (starts_with_nocase(url, "iioploc://"))
    scheme_len = 10;
  else
    return url;

  const std::string rest = url.substr(scheme_len);
  const size_t slash = rest.find('/');
  const std::string addrs = slash == std::string::npos ? rest : rest.substr(0, slash);
  const std::string key = slash == std::string::npos ? std::string() : rest.substr(slash);

  std::string out = "corbaloc:";
  size_t start = 0;
  for (;;) {
    const size_t comma = addrs.find(',', start);
    out += ':';
    out += addrs.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (comma == std::string::npos)
      break;
    out += ',';
    start = comma + 1;
  }
  out += key;
  return out;
}

// "<key>=<url>" with the url translated.
std::string translate_init_ref(const std::string& value)
{
  const size_t eq = value.find('=');
  if (eq == std::string::npos)
    return value;
  return value.substr(0, eq + 1) + iiop_url_to_corbaloc(value.substr(eq + 1));
}

}  // namespace

std::vector<std::string> qelm_system_orb_arguments(const char* name_service_host)
{
  const std::string host = name_service_host ? name_service_host : "";
  return {"-ORBInitRef", "NameService=iiop://" + host + "/NameService", "-ORBDottedDecimalAddresses", "1"};
}

namespace {

// One translated argument and the index of the argument it is (unchanged),
// or -1 when it was changed.
struct TranslatedArg
{
  std::string text;
  int origin;
};

std::vector<TranslatedArg> translate(const std::vector<std::string>& args)
{
  std::vector<TranslatedArg> out;
  out.reserve(args.size());
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    const int here = static_cast<int>(i);
    if (a == "-ORBDottedDecimalAddresses") {
      // omniORB publishes numeric addresses by default; the option and its
      // value go.
      if (has_value)
        ++i;
      continue;
    }
    if (a == "-ORBInitRef" && has_value) {
      out.push_back({a, here});
      ++i;
      out.push_back({translate_init_ref(args[i]), -1});
      continue;
    }
    if (a == "-ORBDefaultInitRef" && has_value) {
      out.push_back({a, here});
      ++i;
      out.push_back({iiop_url_to_corbaloc(args[i]), -1});
      continue;
    }
    if (a == "-ORBid" && has_value) {
      out.push_back({a, here});
      ++i;
      out.push_back({qelm_map_orb_id(args[i].c_str()), -1});
      continue;
    }
    out.push_back({a, here});
  }
  return out;
}

}  // namespace

std::vector<std::string> qelm_translate_orb_arguments(const std::vector<std::string>& args)
{
  std::vector<std::string> out;
  for (auto& t : translate(args))
    out.push_back(std::move(t.text));
  return out;
}

const char* qelm_map_orb_id(const char* orb_id)
{
  if (orb_id == nullptr || *orb_id == '\0' || std::strcmp(orb_id, QELM_ORB_ID) == 0)
    return QELM_OMNIORB_ID;
  return orb_id;
}

CORBA::ORB_ptr qelm_orb_init(int& argc, char** argv, const char* orb_id, unsigned long call_timeout_ms,
                             const char* endpoint)
{
  std::vector<std::string> original;
  for (int i = 0; i < argc; ++i)
    original.emplace_back(argv[i] ? argv[i] : "");
  if (original.empty())
    original.emplace_back("qelm");
  std::vector<TranslatedArg> translated = translate(original);

  // Arguments the translation left alone keep pointing at the caller's
  // strings, so that what ORB_init leaves over can be handed back in argv.
  std::vector<char*> ptrs;
  for (auto& t : translated)
    ptrs.push_back(t.origin >= 0 && t.origin < argc ? argv[t.origin] : t.text.data());
  int n = static_cast<int>(ptrs.size());
  ptrs.push_back(nullptr);

  const std::string max_msg = std::to_string(QELM_GIOP_MAX_MSG_SIZE);
  const std::string timeout = std::to_string(call_timeout_ms);
  // omniORB opens at most 5 connections to one server by default, so a
  // client with more threads than that would queue its calls behind each
  // other; the record store serves 12 calls at once.
  const char* options[5][2] = {{"giopMaxMsgSize", max_msg.c_str()},
                               {"clientCallTimeOutPeriod", timeout.c_str()},
                               {"maxGIOPConnectionPerServer", "16"},
                               {nullptr, nullptr},
                               {nullptr, nullptr}};
  if (endpoint && *endpoint) {
    options[3][0] = "endPoint";
    options[3][1] = endpoint;
  }

  CORBA::ORB_ptr orb = CORBA::ORB_init(n, ptrs.data(), qelm_map_orb_id(orb_id), options);

  // Hand the remaining (non-ORB) arguments back. They are the caller's own
  // strings; a translated one cannot remain, since only ORB options and
  // their values are translated and ORB_init consumes those.
  int out = 0;
  for (int i = 0; i < n && out < argc; ++i) {
    bool own = false;
    for (int j = 0; j < argc; ++j)
      if (ptrs[i] == argv[j])
        own = true;
    if (own)
      argv[out++] = ptrs[i];
  }
  if (out < argc)
    argv[out] = nullptr;
  argc = out;
  return orb;
}

CORBA::ORB_ptr qelm_orb_init(const std::vector<std::string>& args, const char* orb_id,
                             unsigned long call_timeout_ms, const char* endpoint)
{
  std::vector<std::string> storage;
  storage.reserve(args.size() + 1);
  storage.emplace_back("qelm");
  storage.insert(storage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : storage)
    argv.push_back(s.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(storage.size());
  return qelm_orb_init(argc, argv.data(), orb_id, call_timeout_ms, endpoint);
}
