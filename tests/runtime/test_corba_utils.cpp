// Finding and publishing objects: liveness, resolution with retries, the
// registration under {"QELM", name} with its IOR file and log lines, and the
// upcall guard, against a real omniNames.
#include "qelm_corba_utils.h"

#include "TestSupport.h"
#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class Sink : public POA_QELM::MessageTarget
{
public:
  void SendMsg(const QELM::MSG&) override {}
};

class TestManagement : public POA_QELM::Management
{
public:
  void SendMsg(const QELM::MSG&) override {}
  CORBA::Long RegisterTarget(QELM::MessageTarget_ptr) override { return 0; }
  CORBA::Long UnregisterTarget(CORBA::Long) override { return 0; }
  CORBA::Long Initialize() override { return 42; }
  void Start(QELM::Management::RunModeEnum) override {}
  CORBA::Long Stop() override { return 0; }
  void Shutdown() override {}
  QELM::SystemStatus GetSystemStatus() override { return QELM::SystemStatus(); }
  QELM::HRTime GetSystemClock() override { return QELM::HRTime(); }
  QELM::Tallyhouse_ptr GetDataBrokerObject() override { return QELM::Tallyhouse::_nil(); }
  QELM::Task_ptr GetTaskObject(CORBA::Long) override { return QELM::Task::_nil(); }
  QELM::TaskStatus GetTaskStatus(CORBA::Long) override { return QELM::TaskStatus(); }
};

// A naming context that counts resolve calls and answers each with what
// the test chose: a nil reference, a given reference or NotFound.
class CountingContext : public POA_CosNaming::NamingContext
{
public:
  enum Answer { NIL, OBJECT, NOT_FOUND };
  Answer answer = NOT_FOUND;
  CORBA::Object_var object;
  std::atomic<int> resolves{0};

  CORBA::Object_ptr resolve(const CosNaming::Name& n) override
  {
    ++resolves;
    if (answer == NIL)
      return CORBA::Object::_nil();
    if (answer == OBJECT)
      return CORBA::Object::_duplicate(object.in());
    throw CosNaming::NamingContext::NotFound(CosNaming::NamingContext::missing_node, n);
  }
  void bind(const CosNaming::Name&, CORBA::Object_ptr) override {}
  void rebind(const CosNaming::Name&, CORBA::Object_ptr) override {}
  void bind_context(const CosNaming::Name&, CosNaming::NamingContext_ptr) override {}
  void rebind_context(const CosNaming::Name&, CosNaming::NamingContext_ptr) override {}
  void unbind(const CosNaming::Name&) override {}
  CosNaming::NamingContext_ptr new_context() override { return CosNaming::NamingContext::_nil(); }
  CosNaming::NamingContext_ptr bind_new_context(const CosNaming::Name&) override
  {
    return CosNaming::NamingContext::_nil();
  }
  void destroy() override {}
  void list(CORBA::ULong, CosNaming::BindingList_out bl, CosNaming::BindingIterator_out bi) override
  {
    bl = new CosNaming::BindingList;
    bi = CosNaming::BindingIterator::_nil();
  }
};

const char* const kAliveFailed = "Assertion Failed: \"CORBA::is_nil( tmpobj.in() )\"";

}  // namespace

// A naming service, an ORB on loopback initialised through qelm_orb_init,
// a log file and a working directory of the test's own.
class CorbaUtils : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_NE(getcwd(m_old_cwd, sizeof m_old_cwd), nullptr);
    ASSERT_EQ(chdir(m_dir.path().c_str()), 0);
    ASSERT_TRUE(VQOStreamLog::Open(m_dir.file("test.log").c_str(), "w"));
    orb = qelm_orb_init(names.orb_args(), QELM_ORB_ID, 10000, "giop:tcp:127.0.0.1:");
    CORBA::Object_var obj = orb->resolve_initial_references("RootPOA");
    poa = PortableServer::POA::_narrow(obj);
    PortableServer::POAManager_var mgr = poa->the_POAManager();
    mgr->activate();
  }
  void TearDown() override
  {
    for (auto& id : m_ids)
      try {
        poa->deactivate_object(id.in());
      } catch (...) {
      }
    for (auto* s : m_servants)
      s->_remove_ref();
    poa = PortableServer::POA::_nil();
    orb->destroy();
    VQOStreamLog::Close();
    EXPECT_EQ(chdir(m_old_cwd), 0);
  }

  // Activates a servant in the root POA; the test keeps it until TearDown.
  CORBA::Object_ptr Activate(PortableServer::ServantBase* s, PortableServer::ObjectId_var* id_out = nullptr)
  {
    m_servants.push_back(s);
    PortableServer::ObjectId_var id = poa->activate_object(s);
    CORBA::Object_ptr ref = poa->id_to_reference(id.in());
    if (id_out)
      *id_out = new PortableServer::ObjectId(id.in());
    m_ids.push_back(id._retn());
    return ref;
  }
  void Deactivate(const PortableServer::ObjectId& id) { poa->deactivate_object(id); }

  std::string Log() const { return ReadFile(m_dir.file("test.log")); }
  CosNaming::NamingContext_ptr Root()
  {
    CORBA::Object_var obj = orb->resolve_initial_references("NameService");
    return CosNaming::NamingContext::_narrow(obj);
  }
  const TempDir& dir() const { return m_dir; }

  NamingServiceFixture names;
  CORBA::ORB_var orb;
  PortableServer::POA_var poa;

private:
  TempDir m_dir{"vlq-utils"};
  char m_old_cwd[PATH_MAX] = {};
  std::vector<PortableServer::ObjectId_var> m_ids;
  std::vector<PortableServer::ServantBase*> m_servants;
};

TEST_F(CorbaUtils, NonExistence)
{
  PortableServer::ObjectId_var dead_id;
  CORBA::Object_var alive = Activate(new Sink);
  CORBA::Object_var dead = Activate(new Sink, &dead_id);
  Deactivate(dead_id.in());
  // A reference to a port where nothing listens: asking raises TRANSIENT.
  const std::string url = "corbaloc::127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/X";
  CORBA::Object_var unreachable = orb->string_to_object(url.c_str());

  EXPECT_TRUE(qelm_object_non_existent(CORBA::Object::_nil()));
  EXPECT_FALSE(qelm_object_non_existent(alive.in()));
  EXPECT_TRUE(qelm_object_non_existent(dead.in()));
  EXPECT_TRUE(qelm_object_non_existent(unreachable.in()));
}

TEST_F(CorbaUtils, NilIsNonExistentWithoutAnyORB)
{
  // No ORB is needed to decide on nil: the test's ORB is not even asked.
  EXPECT_TRUE(qelm_object_non_existent(QELM::Management::_nil()));
}

struct ResolveCase
{
  const char* what;
  CountingContext::Answer answer;
  bool dead_object;
  int timeout_s;
};

TEST_F(CorbaUtils, ResolveNameRetriesWithPausesAndThrowsMinusOne)
{
  const std::vector<ResolveCase> cases = {
      {"no binding, time-out 0", CountingContext::NOT_FOUND, false, 0},
      {"nil result, time-out 0", CountingContext::NIL, false, 0},
      {"dead object, time-out 0", CountingContext::OBJECT, true, 0},
      // The time-out counts whole calendar seconds, so a time-out of 1 may
      // end right after the first attempt when a second boundary falls
      // inside it; one of 2 always leaves room for several attempts.
      {"no binding, time-out 2", CountingContext::NOT_FOUND, false, 2},
      {"nil result, time-out 2", CountingContext::NIL, false, 2},
      {"dead object, time-out 2", CountingContext::OBJECT, true, 2},
  };
  PortableServer::ObjectId_var dead_id;
  CORBA::Object_var dead = Activate(new Sink, &dead_id);
  Deactivate(dead_id.in());
  for (const auto& c : cases) {
    CountingContext* ctx = new CountingContext;
    ctx->answer = c.answer;
    ctx->object = CORBA::Object::_duplicate(dead.in());
    CORBA::Object_var ctx_obj = Activate(ctx);
    CosNaming::NamingContext_var ctx_ref = CosNaming::NamingContext::_narrow(ctx_obj);
    int thrown = 0;
    try {
      CORBA::Object_var r = qelm_resolve_name(ctx_ref.in(), qelm_object_name("Nobody"), c.timeout_s);
    } catch (int e) {
      thrown = e;
    }
    EXPECT_EQ(thrown, -1) << c.what;
    if (c.timeout_s == 0) {
      EXPECT_EQ(ctx->resolves.load(), 1) << c.what;
    } else {
      // Several attempts, each unsuccessful one followed by a pause of up to
      // 249 ms: never the thousands of a loop that asks flat out.
      EXPECT_GE(ctx->resolves.load(), 2) << c.what;
      EXPECT_LT(ctx->resolves.load(), 200) << c.what;
    }
  }
}

TEST_F(CorbaUtils, ResolveNameOnANilContextThrowsMinusOne)
{
  EXPECT_THROW(qelm_resolve_name(CosNaming::NamingContext::_nil(), qelm_object_name("X"), 0), int);
}

TEST_F(CorbaUtils, ResolvesANameBoundAfterADelay)
{
  CORBA::Object_var man = Activate(new TestManagement);
  CosNaming::NamingContext_var root = Root();
  std::thread binder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    CosNaming::Name ctx_name;
    ctx_name.length(1);
    ctx_name[0].id = CORBA::string_dup("QELM");
    CosNaming::NamingContext_var ctx = root->bind_new_context(ctx_name);
    root->rebind(qelm_object_name("Management"), man.in());
  });
  QELM::Management_var found;
  EXPECT_NO_THROW(found = qelm_get_object<QELM::Management>(orb, "Management", 20));
  binder.join();
  ASSERT_FALSE(CORBA::is_nil(found));
  EXPECT_TRUE(found->_is_equivalent(man.in()));
  EXPECT_EQ(found->Initialize(), 42);
}

TEST_F(CorbaUtils, GetObjectOfTheWrongTypeThrowsMinusOne)
{
  CORBA::Object_var sink = Activate(new Sink);
  qelm_register_object(orb, sink.in(), "Target");
  // A MessageTarget is no Management.
  EXPECT_THROW(qelm_get_object<QELM::Management>(orb, "Target", 0), int);
  EXPECT_NE(Log().find("Assertion Failed: \"!CORBA::is_nil( ref.in() ) && "
                       "!qelm_object_non_existent( ref.in() )\""),
            std::string::npos);
  // The plain form and the right type find it.
  CORBA::Object_var plain = qelm_get_object(orb, "Target", 0);
  EXPECT_TRUE(plain->_is_equivalent(sink.in()));
  QELM::MessageTarget_var typed = qelm_get_object<QELM::MessageTarget>(orb, "Target", 0);
  EXPECT_FALSE(CORBA::is_nil(typed));
}

TEST_F(CorbaUtils, ResolveInit)
{
  PortableServer::POA_var root_poa = qelm_resolve_init<PortableServer::POA>(orb, "RootPOA");
  EXPECT_FALSE(CORBA::is_nil(root_poa));
  CosNaming::NamingContext_var ns = qelm_resolve_init<CosNaming::NamingContext>(orb, "NameService");
  EXPECT_FALSE(CORBA::is_nil(ns));
  // The naming context is no Management: -1, never a nil reference.
  EXPECT_THROW(qelm_resolve_init<QELM::Management>(orb, "NameService"), int);
  // An unknown id is the ORB's own InvalidName.
  EXPECT_THROW(qelm_resolve_init<QELM::Management>(orb, "NoSuchService"), CORBA::ORB::InvalidName);
}

TEST_F(CorbaUtils, ResolveInitOfAStoppedNamingServiceThrowsMinusOne)
{
  names.Stop();
  EXPECT_THROW(qelm_resolve_init<CosNaming::NamingContext>(orb, "NameService"), int);
  EXPECT_NE(Log().find("Assertion Failed: \"!CORBA::is_nil( obj.in() ) && "
                       "!qelm_object_non_existent( obj.in() )\""),
            std::string::npos);
  // And so does every lookup through it.
  EXPECT_THROW(qelm_get_object(orb, "Management", 0), int);
}

TEST_F(CorbaUtils, RegisterCreatesContextBindingAndIorFile)
{
  CORBA::Object_var man = Activate(new TestManagement);
  qelm_register_object(orb, man.in(), "Management");

  // The IOR file holds the stringified reference and no line end.
  CORBA::String_var ior = orb->object_to_string(man.in());
  EXPECT_EQ(ReadFile(dir().file("Management.ior")), std::string(ior.in()));

  // The context "QELM" exists and holds the binding.
  CosNaming::NamingContext_var root = Root();
  CosNaming::Name ctx_name;
  ctx_name.length(1);
  ctx_name[0].id = CORBA::string_dup("QELM");
  CORBA::Object_var ctx_obj = root->resolve(ctx_name);
  CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(ctx_obj);
  ASSERT_FALSE(CORBA::is_nil(ctx));
  CORBA::Object_var bound = root->resolve(qelm_object_name("Management"));
  EXPECT_TRUE(bound->_is_equivalent(man.in()));

  // One prefixed log line, begun before the naming service is asked and
  // ended after the binding.
  const std::string log = Log();
  EXPECT_EQ(log.find("Assertion Failed"), std::string::npos) << log;
  ASSERT_EQ(log.size(), std::string("hh:mm:ss.mmm: Registering object Management...Succeded.\n").size())
      << log;
  EXPECT_EQ(log.substr(12), ": Registering object Management...Succeded.\n");
  EXPECT_EQ(log[2], ':');
  EXPECT_EQ(log[5], ':');
  EXPECT_EQ(log[8], '.');

  // A second object under another name reuses the context.
  CORBA::Object_var other = Activate(new Sink);
  EXPECT_NO_THROW(qelm_register_object(orb, other.in(), "Other"));
  CORBA::Object_var still = root->resolve(qelm_object_name("Management"));
  EXPECT_TRUE(still->_is_equivalent(man.in()));
  EXPECT_EQ(Log().find("Assertion Failed"), std::string::npos);
}

TEST_F(CorbaUtils, RegisterTwice)
{
  struct Case
  {
    const char* what;
    bool first_alive;
  };
  for (const Case c : {Case{"first object dead", false}, Case{"first object alive", true}}) {
    const std::string name = std::string("Twice") + (c.first_alive ? "Alive" : "Dead");
    PortableServer::ObjectId_var first_id;
    CORBA::Object_var first = Activate(new Sink, &first_id);
    qelm_register_object(orb, first.in(), name.c_str());
    if (!c.first_alive)
      Deactivate(first_id.in());
    const size_t log_before = Log().size();

    CORBA::Object_var second = Activate(new Sink);
    EXPECT_NO_THROW(qelm_register_object(orb, second.in(), name.c_str())) << c.what;
    const std::string added = Log().substr(log_before);
    EXPECT_EQ(added.find(kAliveFailed) != std::string::npos, c.first_alive) << c.what << "\n" << added;
    EXPECT_NE(added.find("Succeded.\n"), std::string::npos) << c.what;

    CosNaming::NamingContext_var root = Root();
    CORBA::Object_var bound = root->resolve(qelm_object_name(name.c_str()));
    EXPECT_TRUE(bound->_is_equivalent(second.in())) << c.what;
    CORBA::String_var ior = orb->object_to_string(second.in());
    EXPECT_EQ(ReadFile(dir().file(name + ".ior")), std::string(ior.in())) << c.what;
  }
}

TEST_F(CorbaUtils, RegisterWithAnIorFileThatCannotBeCreatedStillBinds)
{
  // A directory in the way of the IOR file.
  ASSERT_EQ(mkdir(dir().file("Blocked.ior").c_str(), 0755), 0);
  CORBA::Object_var sink = Activate(new Sink);
  EXPECT_NO_THROW(qelm_register_object(orb, sink.in(), "Blocked"));
  EXPECT_NE(Log().find("Assertion Failed: \"f_ior != 0\""), std::string::npos);
  CosNaming::NamingContext_var root = Root();
  CORBA::Object_var bound = root->resolve(qelm_object_name("Blocked"));
  EXPECT_TRUE(bound->_is_equivalent(sink.in()));
}

TEST_F(CorbaUtils, RegisterWithoutANamingServiceThrows)
{
  names.Stop();
  CORBA::Object_var sink = Activate(new Sink);
  EXPECT_THROW(qelm_register_object(orb, sink.in(), "Lonely"), int);
  // The IOR file is written before the naming service is asked.
  EXPECT_FALSE(ReadFile(dir().file("Lonely.ior")).empty());
}

namespace {

// Its SendMsg body throws what the message's ID selects, through the guard.
class ThrowingTarget : public POA_QELM::MessageTarget
{
public:
  void SendMsg(const QELM::MSG& m) override
  {
    qelm_upcall([&] {
      switch (m.ID) {
      case 1: throw -1;
      case 2: throw std::runtime_error("broken");
      case 3: throw CORBA::BAD_PARAM(77, CORBA::COMPLETED_NO);
      case 4: throw "a string";
      default: break;
      }
    });
  }
};

}  // namespace

TEST(CorbaUpcall, ReturnsTheBodysResult)
{
  EXPECT_EQ(qelm_upcall([] { return 5; }), 5);
  EXPECT_THROW(qelm_upcall([]() -> int { throw -1; }), CORBA::TRANSIENT);
  EXPECT_THROW(qelm_upcall([]() -> int { throw QELM::Tallyhouse::InvalidQuasiTimestamp(); }),
               QELM::Tallyhouse::InvalidQuasiTimestamp);
}

TEST_F(CorbaUtils, UpcallGuardOverARealCall)
{
  CORBA::Object_var target = Activate(new ThrowingTarget);
  CORBA::String_var ior = orb->object_to_string(target.in());
  struct Case
  {
    int id;
    std::string reply;
  };
  const std::vector<Case> cases = {
      {0, "OK"},
      {1, "IDL:omg.org/CORBA/TRANSIENT:1.0 " + std::to_string(QELM_MINOR_INT_THROWN)},
      {2, "IDL:omg.org/CORBA/INTERNAL:1.0 " + std::to_string(QELM_MINOR_STD_EXCEPTION)},
      {3, "IDL:omg.org/CORBA/BAD_PARAM:1.0 77"},
      {4, "IDL:omg.org/CORBA/UNKNOWN:1.0 " + std::to_string(QELM_MINOR_UNKNOWN)},
      {0, "OK"},  // the server is still serving
  };
  for (const auto& c : cases) {
    ChildProcess caller;
    ChildProcess::Options opt;
    opt.stdout_file = dir().file("caller.out");
    ASSERT_TRUE(caller.Start(WirePeerPath(), {"sendmsg", ior.in(), std::to_string(c.id)}, opt));
    ASSERT_TRUE(caller.Wait(std::chrono::seconds(30)));
    EXPECT_EQ(caller.ExitCode(), 0);
    EXPECT_EQ(ReadFile(opt.stdout_file), c.reply + "\n") << "message " << c.id;
  }
}
