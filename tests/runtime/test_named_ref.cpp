// VQNamedRef: the loss and the return of a peer's reference as calls report
// them, and the look-up by name while it is lost, against a real omniNames.
#include "VQNamedRef.h"

#include "TestSupport.h"
#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace {

class Sink : public POA_QELM::MessageTarget
{
public:
  void SendMsg(const QELM::MSG&) override {}
};

using TargetRef = VQNamedRef<QELM::MessageTarget>;

TEST(NamedRef, UnreachableIsTransientCommFailureOrObjectNotExist)
{
  struct Case
  {
    const char* name;
    const CORBA::SystemException& e;
    bool unreachable;
  };
  const CORBA::TRANSIENT transient;
  const CORBA::COMM_FAILURE commFailure;
  const CORBA::OBJECT_NOT_EXIST notExist;
  const CORBA::TIMEOUT timeout;
  const CORBA::BAD_PARAM badParam;
  const CORBA::INTERNAL internal;
  const CORBA::NO_MEMORY noMemory;
  const Case cases[] = {
      {"TRANSIENT", transient, true},       {"COMM_FAILURE", commFailure, true},
      {"OBJECT_NOT_EXIST", notExist, true}, {"TIMEOUT", timeout, false},
      {"BAD_PARAM", badParam, false},       {"INTERNAL", internal, false},
      {"NO_MEMORY", noMemory, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(qelm_unreachable(c.e), c.unreachable) << c.name;
}

// An ORB on loopback with a naming service, two sinks a and b of the test's
// and a log and working directory of its own (publishing writes .ior files).
class NamedRefFixture : public ::testing::Test
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
    a = Activate();
    b = Activate();
  }
  void TearDown() override
  {
    a = QELM::MessageTarget::_nil();
    b = QELM::MessageTarget::_nil();
    for (auto& id : m_ids)
      poa->deactivate_object(id.in());
    for (Sink* s : m_sinks)
      s->_remove_ref();
    poa = PortableServer::POA::_nil();
    orb->destroy();
    VQOStreamLog::Close();
    EXPECT_EQ(chdir(m_old_cwd), 0);
  }

  QELM::MessageTarget_ptr Activate()
  {
    m_sinks.push_back(new Sink);
    PortableServer::ObjectId_var id = poa->activate_object(m_sinks.back());
    CORBA::Object_var obj = poa->id_to_reference(id.in());
    m_ids.push_back(id._retn());
    return QELM::MessageTarget::_narrow(obj.in());
  }

  NamingServiceFixture names;
  CORBA::ORB_var orb;
  PortableServer::POA_var poa;
  QELM::MessageTarget_var a, b;

private:
  TempDir m_dir{"vlq-namedref"};
  char m_old_cwd[4096] = {};
  std::vector<Sink*> m_sinks;
  std::vector<PortableServer::ObjectId_var> m_ids;
};

// Each step on a reference Set to a, with what it returns and whether the
// reference is lost after it. Without an ORB nothing is looked up: Get hands
// out the reference held.
TEST_F(NamedRefFixture, LossAndReturnFollowTheCallsOnTheReferenceHeld)
{
  enum Op { kSet, kFailed, kAnswered, kGet };
  enum Which { kA, kB, kNil };
  const CORBA::TRANSIENT transient;
  const CORBA::COMM_FAILURE commFailure;
  const CORBA::OBJECT_NOT_EXIST notExist;
  const CORBA::TIMEOUT timeout;
  struct Step
  {
    const char* name;
    Op op;
    Which ref;
    const CORBA::SystemException* e;
    bool returns;  // Failed, Answered; for Get: it returned ref
    bool lost;
  };
  const Step steps[] = {
      {"set a", kSet, kA, nullptr, false, false},
      {"answered while not lost", kAnswered, kA, nullptr, false, false},
      {"a time-out is no loss", kFailed, kA, &timeout, false, false},
      {"TRANSIENT loses a", kFailed, kA, &transient, true, true},
      {"a second failure is no new loss", kFailed, kA, &commFailure, false, true},
      {"no ORB: the lost a is handed out", kGet, kA, nullptr, true, true},
      {"an answer on b does not end a's loss", kAnswered, kB, nullptr, false, true},
      {"an answer on a ends it", kAnswered, kA, nullptr, true, false},
      {"it ends once", kAnswered, kA, nullptr, false, false},
      {"OBJECT_NOT_EXIST loses a", kFailed, kA, &notExist, true, true},
      {"set b ends the loss", kSet, kB, nullptr, false, false},
      {"a failure on the old a changes nothing", kFailed, kA, &transient, false, false},
      {"b is handed out", kGet, kB, nullptr, true, false},
      {"COMM_FAILURE loses b", kFailed, kB, &commFailure, true, true},
      {"set nil ends the loss", kSet, kNil, nullptr, false, false},
      {"nil is handed out", kGet, kNil, nullptr, true, false},
  };
  TargetRef ref("Target");
  auto pick = [&](Which w) -> QELM::MessageTarget_ptr {
    return w == kA ? a.in() : w == kB ? b.in() : QELM::MessageTarget::_nil();
  };
  for (const Step& s : steps) {
    switch (s.op) {
    case kSet: ref.Set(pick(s.ref)); break;
    case kFailed: EXPECT_EQ(ref.Failed(pick(s.ref), *s.e), s.returns) << s.name; break;
    case kAnswered: EXPECT_EQ(ref.Answered(pick(s.ref)), s.returns) << s.name; break;
    case kGet: {
      QELM::MessageTarget_var got = ref.Get();
      EXPECT_EQ(got.in() == pick(s.ref), s.returns) << s.name;
      break;
    }
    }
    EXPECT_EQ(ref.Lost(), s.lost) << s.name;
  }
}

TEST_F(NamedRefFixture, LostReferenceIsLookedUpByNameUntilACallIsAnswered)
{
  TargetRef ref("Target");
  ref.SetORB(orb.in());
  ref.Set(a.in());
  ASSERT_TRUE(ref.Failed(a.in(), CORBA::TRANSIENT()));

  // Nothing bound under the name yet: nil, and a is still held.
  QELM::MessageTarget_var got = ref.Get();
  EXPECT_TRUE(CORBA::is_nil(got.in()));
  QELM::MessageTarget_var held = ref.Held();
  EXPECT_EQ(held.in(), a.in());
  EXPECT_TRUE(ref.Lost());

  // b published under the name: found and held from now on, still lost
  // until a call on it is answered.
  qelm_register_object(orb.in(), b.in(), "Target");
  got = ref.Get();
  ASSERT_FALSE(CORBA::is_nil(got.in()));
  EXPECT_TRUE(got->_is_equivalent(b.in()));
  held = ref.Held();
  EXPECT_EQ(held.in(), got.in());
  EXPECT_TRUE(ref.Lost());
  EXPECT_FALSE(ref.Failed(a.in(), CORBA::TRANSIENT())) << "a is no longer held";
  EXPECT_FALSE(ref.Answered(a.in())) << "a is no longer held";
  EXPECT_TRUE(ref.Lost());
  EXPECT_TRUE(ref.Answered(got.in()));
  EXPECT_FALSE(ref.Lost());

  // Not lost: no look-up, though nothing is bound under the name any more.
  CORBA::Object_var root = orb->resolve_initial_references("NameService");
  CosNaming::NamingContext_var ctx = CosNaming::NamingContext::_narrow(root.in());
  ctx->unbind(qelm_object_name("Target"));
  QELM::MessageTarget_var again = ref.Get();
  EXPECT_EQ(again.in(), got.in());
}

TEST_F(NamedRefFixture, SetEndsALossSoTheNewReferenceIsUsedWithoutALookUp)
{
  qelm_register_object(orb.in(), b.in(), "Target");
  TargetRef ref("Target");
  ref.SetORB(orb.in());
  ref.Set(a.in());
  ASSERT_TRUE(ref.Failed(a.in(), CORBA::COMM_FAILURE()));
  QELM::MessageTarget_var c = Activate();
  ref.Set(c.in());
  EXPECT_FALSE(ref.Lost());
  QELM::MessageTarget_var got = ref.Get();
  EXPECT_EQ(got.in(), c.in()) << "the name's b replaced the reference just set";
}

}  // namespace
