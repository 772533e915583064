// ORB start-up: translation of the system's ORB arguments for omniORB, the
// raised message size and the client call time-out, over real connections.
#include "qelm_orb_args.h"

#include "TestSupport.h"

#include <QELM.hh>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

using Args = std::vector<std::string>;

TEST(OrbArgs, SystemArgumentsAreTheFourOfTheSystem)
{
  EXPECT_EQ(qelm_system_orb_arguments("10.1.2.3:12000"),
            (Args{"-ORBInitRef", "NameService=iiop://10.1.2.3:12000/NameService",
                  "-ORBDottedDecimalAddresses", "1"}));
  // The host is used as given, an absent one as "".
  EXPECT_EQ(qelm_system_orb_arguments(nullptr)[1], "NameService=iiop:///NameService");
}

struct TranslateCase
{
  const char* what;
  Args in;
  Args out;
};

TEST(OrbArgs, TranslationTable)
{
  const std::vector<TranslateCase> cases = {
      {"the system's four arguments",
       {"-ORBInitRef", "NameService=iiop://10.1.2.3:12000/NameService", "-ORBDottedDecimalAddresses", "1"},
       {"-ORBInitRef", "NameService=corbaloc::10.1.2.3:12000/NameService"}},
      {"a program's command line keeps its own arguments and their order",
       {"tallyhouse", "-x", "-ORBInitRef", "NameService=iiop://host:2809/NameService",
        "-ORBDottedDecimalAddresses", "1", "tail"},
       {"tallyhouse", "-x", "-ORBInitRef", "NameService=corbaloc::host:2809/NameService", "tail"}},
      {"several addresses and a GIOP version",
       {"-ORBInitRef", "NameService=iiop://1.2@a:1,b:2/NameService"},
       {"-ORBInitRef", "NameService=corbaloc::1.2@a:1,:b:2/NameService"}},
      {"scheme in capitals, other keys, no object key",
       {"-ORBInitRef", "Foo=IIOP://h:3"},
       {"-ORBInitRef", "Foo=corbaloc::h:3"}},
      {"a corbaloc reference stays",
       {"-ORBInitRef", "NameService=corbaloc::h:1/NameService"},
       {"-ORBInitRef", "NameService=corbaloc::h:1/NameService"}},
      {"a stringified IOR stays",
       {"-ORBInitRef", "NameService=IOR:0100"},
       {"-ORBInitRef", "NameService=IOR:0100"}},
      {"default init ref", {"-ORBDefaultInitRef", "iiop://h:1"}, {"-ORBDefaultInitRef", "corbaloc::h:1"}},
      {"dotted decimal option with any value, twice",
       {"a", "-ORBDottedDecimalAddresses", "0", "b", "-ORBDottedDecimalAddresses", "1"},
       {"a", "b"}},
      {"dotted decimal option last, without value", {"a", "-ORBDottedDecimalAddresses"}, {"a"}},
      {"the system's ORB id", {"-ORBid", "QELM_ORB"}, {"-ORBid", "omniORB4"}},
      {"another ORB id is left for omniORB to judge", {"-ORBid", "Other"}, {"-ORBid", "Other"}},
      {"-ORBInitRef last, without value", {"p", "-ORBInitRef"}, {"p", "-ORBInitRef"}},
      {"an iiop URL that is no ORB option's value",
       {"NameService=iiop://h:1/NameService"},
       {"NameService=iiop://h:1/NameService"}},
      {"other ORB options stay", {"-ORBtraceLevel", "5"}, {"-ORBtraceLevel", "5"}},
      {"empty", {}, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(qelm_translate_orb_arguments(c.in), c.out) << c.what;
}

TEST(OrbArgs, OrbIdMapping)
{
  EXPECT_STREQ(qelm_map_orb_id("QELM_ORB"), "omniORB4");
  EXPECT_STREQ(qelm_map_orb_id(""), "omniORB4");
  EXPECT_STREQ(qelm_map_orb_id(nullptr), "omniORB4");
  EXPECT_STREQ(qelm_map_orb_id("omniORB4"), "omniORB4");
  EXPECT_STREQ(qelm_map_orb_id("X"), "X");
}

namespace {

// Decodes the IIOP host of the first profile of a stringified IOR (CDR
// encapsulations, either byte order).
std::string IorHost(const std::string& ior)
{
  std::vector<unsigned char> b;
  for (size_t i = 4; i + 1 < ior.size(); i += 2)
    b.push_back(static_cast<unsigned char>(std::stoi(ior.substr(i, 2), nullptr, 16)));
  struct Reader
  {
    const std::vector<unsigned char>& b;
    size_t base, pos;
    bool little;
    uint32_t ulong()
    {
      pos = base + ((pos - base + 3) & ~size_t(3));
      uint32_t v =
          little ? (b.at(pos) | b.at(pos + 1) << 8 | b.at(pos + 2) << 16 | uint32_t(b.at(pos + 3)) << 24)
                 : (uint32_t(b.at(pos)) << 24 | b.at(pos + 1) << 16 | b.at(pos + 2) << 8 | b.at(pos + 3));
      pos += 4;
      return v;
    }
    std::string str()
    {
      const uint32_t n = ulong();
      std::string s(b.begin() + pos, b.begin() + pos + n - 1);
      pos += n;
      return s;
    }
  };
  Reader r{b, 0, 1, b.at(0) == 1};
  r.str();            // type id
  if (r.ulong() < 1)  // profile count
    return "";
  if (r.ulong() != 0)  // TAG_INTERNET_IOP
    return "";
  r.ulong();  // profile length
  Reader p{b, r.pos, r.pos + 1, b.at(r.pos) == 1};
  p.pos += 2;  // IIOP version
  return p.str();
}

bool IsDottedDecimal(const std::string& host)
{
  in_addr a{};
  return inet_pton(AF_INET, host.c_str(), &a) == 1;
}

class MsgSink : public POA_QELM::MessageTarget
{
public:
  void SendMsg(const QELM::MSG&) override {}
};

}  // namespace

// One ORB per test: each test initialises it through qelm_orb_init and
// destroys it at the end.
class OrbInit : public ::testing::Test
{
protected:
  void TearDown() override
  {
    if (!CORBA::is_nil(orb))
      orb->destroy();
  }
  CORBA::ORB_var orb;
};

TEST_F(OrbInit, AcceptsTheSystemsIdAndArgumentsAndReturnsTheRest)
{
  NamingServiceFixture names;
  Args line{"prog", "before"};
  for (const auto& a : names.system_orb_args())
    line.push_back(a);
  line.push_back("after");
  std::vector<char*> argv;
  for (auto& s : line)
    argv.push_back(s.data());
  argv.push_back(nullptr);
  int argc = static_cast<int>(line.size());
  ASSERT_NO_THROW(orb = qelm_orb_init(argc, argv.data(), "QELM_ORB"));
  ASSERT_EQ(argc, 3);
  EXPECT_STREQ(argv[0], "prog");
  EXPECT_STREQ(argv[1], "before");
  EXPECT_STREQ(argv[2], "after");
  // The translated name-service reference reaches the real naming service.
  CORBA::Object_var ns = orb->resolve_initial_references("NameService");
  CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(ns);
  ASSERT_FALSE(CORBA::is_nil(ctx));
  CosNaming::BindingList_var bl;
  CosNaming::BindingIterator_var bi;
  EXPECT_NO_THROW(ctx->list(10, bl.out(), bi.out()));
}

TEST_F(OrbInit, OtherOrbIdIsRefused)
{
  EXPECT_THROW(orb = qelm_orb_init(Args{}, "SOME_OTHER_ORB"), CORBA::SystemException);
}

TEST_F(OrbInit, ReferencesCarryNumericAddressesWithoutTheDroppedOption)
{
  // Without an endpoint of our own the ORB publishes its first interface's
  // address: a number, never a host name.
  orb = qelm_orb_init(Args{"-ORBDottedDecimalAddresses", "1"});
  CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj);
  MsgSink* sink = new MsgSink;
  PortableServer::ObjectId_var id = poa->activate_object(sink);
  CORBA::Object_var ref = poa->id_to_reference(id.in());
  CORBA::String_var ior = orb->object_to_string(ref);
  const std::string host = IorHost(ior.in());
  EXPECT_TRUE(IsDottedDecimal(host)) << host;
  poa->deactivate_object(id.in());
  sink->_remove_ref();
}

TEST_F(OrbInit, EndpointOptionPublishesLoopback)
{
  orb = qelm_orb_init(Args{}, QELM_ORB_ID, QELM_CALL_TIMEOUT_MS, "giop:tcp:127.0.0.1:");
  CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
  PortableServer::POA_var poa = PortableServer::POA::_narrow(obj);
  MsgSink* sink = new MsgSink;
  PortableServer::ObjectId_var id = poa->activate_object(sink);
  CORBA::Object_var ref = poa->id_to_reference(id.in());
  CORBA::String_var ior = orb->object_to_string(ref);
  EXPECT_EQ(IorHost(ior.in()), "127.0.0.1");
  poa->deactivate_object(id.in());
  sink->_remove_ref();
}

TEST_F(OrbInit, LargeRecordCrossesAConnection)
{
  TempDir dir;
  ChildProcess peer;
  ChildProcess::Options opt;
  opt.stdout_file = dir.file("peer.out");
  opt.stderr_file = opt.stdout_file;
  ASSERT_TRUE(peer.Start(WirePeerPath(), {"serve", dir.path()}, opt));
  const std::string ior = WaitForFile(dir.file("Tallyhouse.ior"));
  ASSERT_FALSE(ior.empty()) << ReadFile(opt.stdout_file);

  orb = qelm_orb_init(Args{});
  CORBA::Object_var obj = orb->string_to_object(ior.c_str());
  QELM::Tallyhouse_var th = QELM::Tallyhouse::_narrow(obj);
  ASSERT_FALSE(CORBA::is_nil(th));

  // A prediction record: four measures of 60 steps for 50,000 links, 48 MB
  // of floats, far above omniORB's default message limit of 2 MB.
  const CORBA::ULong steps = 60, links = 50000;
  QELM::DBKRecord rec;
  rec.timestamp.sec = 1;
  rec.timestamp.msec = 2;
  rec.quasi_timestamp = 3.5f;
  rec.F.length(4 * steps);
  for (CORBA::ULong a = 0; a < rec.F.length(); ++a) {
    rec.F[a].length(links);
    for (CORBA::ULong i = 0; i < links; ++i)
      rec.F[a][i] = static_cast<float>(a * 7 + i % 1000);
  }
  ASSERT_NO_THROW(th->InsertRecord(rec, QELM::Tallyhouse::GUIPLINKDATA));
  QELM::DBKRecord_var back = th->GetLatestRecord(QELM::Tallyhouse::GUIPLINKDATA);
  ASSERT_EQ(back->F.length(), 4 * steps);
  bool same = true;
  for (CORBA::ULong a = 0; a < back->F.length() && same; ++a) {
    same = back->F[a].length() == links;
    for (CORBA::ULong i = 0; i < links && same; ++i)
      same = back->F[a][i] == rec.F[a][i];
  }
  EXPECT_TRUE(same);

  th->Shutdown();
  EXPECT_TRUE(peer.Wait(std::chrono::seconds(20)));
}

TEST_F(OrbInit, CallToAServerThatNeverAnswersEndsWithAnException)
{
  // A socket that listens (the kernel accepts connections) but never reads
  // nor answers.
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(s, 8), 0);
  socklen_t len = sizeof addr;
  ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len), 0);
  const std::string url = "corbaloc::127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/Silent";

  orb = qelm_orb_init(Args{}, QELM_ORB_ID, 500);
  CORBA::Object_var obj = orb->string_to_object(url.c_str());
  QELM::Management_var man = QELM::Management::_unchecked_narrow(obj);
  bool timed_out = false;
  try {
    man->GetSystemClock();
  } catch (const CORBA::TIMEOUT&) {
    timed_out = true;
  } catch (const CORBA::TRANSIENT&) {
    timed_out = true;
  }
  EXPECT_TRUE(timed_out);
  close(s);
}
