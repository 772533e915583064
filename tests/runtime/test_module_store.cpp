// A module's record store across a new Initialize: it hands over
// Management's store and ends a loss of the one before, so that records go
// to it and not to whatever the naming service holds. Two test peers
// (vlq_wire_peer) play the Management and the store before and after a
// restart; the naming service binds no store, so a look-up finds none.
#include "ModProgram.h"

#include "TestSupport.h"
#include "VQOStreamLog.h"
#include "qelm_orb_args.h"

#include <QELM.hh>
#include <gtest/gtest.h>

#include <string>

namespace {

template <class T>
typename T::_ptr_type FromFile(CORBA::ORB_ptr orb, const std::string& path)
{
  const std::string ior = WaitForFile(path);
  if (ior.empty())
    return T::_nil();
  CORBA::Object_var obj = orb->string_to_object(ior.c_str());
  return T::_narrow(obj.in());
}

// One vlq_wire_peer: its Management hands out its Tallyhouse.
struct Peer
{
  TempDir dir{"vlq-modstore"};
  ChildProcess process;
  QELM::Management_var man;
  QELM::Tallyhouse_var store;

  bool Start(CORBA::ORB_ptr orb)
  {
    ChildProcess::Options opt;
    opt.stdout_file = dir.file("peer.out");
    opt.stderr_file = opt.stdout_file;
    if (!process.Start(WirePeerPath(), {"serve", dir.path()}, opt))
      return false;
    store = FromFile<QELM::Tallyhouse>(orb, dir.file("Tallyhouse.ior"));
    man = FromFile<QELM::Management>(orb, dir.file("Management.ior"));
    return !CORBA::is_nil(store.in()) && !CORBA::is_nil(man.in());
  }
  // Ends the peer through its store's Shutdown, and waits for it.
  bool Stop()
  {
    try {
      store->Shutdown();
    } catch (const CORBA::Exception&) {
    }
    return process.Wait(std::chrono::seconds(20)) && process.ExitCode() == 0;
  }
};

TEST(ModuleStore, NewInitializeEndsTheLossOfTheStoreBefore)
{
  NamingServiceFixture names;
  TempDir logs{"vlq-modstore-log"};
  ASSERT_TRUE(VQOStreamLog::Open(logs.file("NOWSIM.log").c_str(), "w"));
  CORBA::ORB_var orb = qelm_orb_init(names.orb_args(), QELM_ORB_ID, 10000, "giop:tcp:127.0.0.1:");
  {
    vlq::mod::ModuleContext ctx("NOWSIM", 1, 0, "estimate");
    ctx.SetORB(orb.in());
    QELM::DBKRecord record;
    record.timestamp.sec = 1;
    record.timestamp.msec = 0;
    record.quasi_timestamp = 0;
    const auto kind = QELM::Tallyhouse::GUIRTSTATDATA;

    Peer first;
    ASSERT_TRUE(first.Start(orb.in())) << ReadFile(first.dir.file("peer.out"));
    // Management is a message target too: it stands in for the module's own.
    ctx.SetCommandTarget(first.man.in());
    ASSERT_EQ(ctx.Initialize(first.man.in()), 0);
    EXPECT_TRUE(ctx.Insert(record, kind, "GUIRTSTATDATA"));

    // The store is gone: the insert fails and the store counts as lost; the
    // look-up of the next insert finds none.
    ASSERT_TRUE(first.Stop());
    EXPECT_FALSE(ctx.Insert(record, kind, "GUIRTSTATDATA"));
    EXPECT_FALSE(ctx.Insert(record, kind, "GUIRTSTATDATA"));

    // Management again, with a store of its own: the records go to it.
    Peer second;
    ASSERT_TRUE(second.Start(orb.in())) << ReadFile(second.dir.file("peer.out"));
    ctx.SetCommandTarget(second.man.in());
    ASSERT_EQ(ctx.Initialize(second.man.in()), 0);
    EXPECT_TRUE(ctx.Insert(record, kind, "GUIRTSTATDATA"))
        << "the loss outlived Initialize: the store was looked up by name";
    EXPECT_EQ(second.store->GetRecordCount(kind), 1);
    EXPECT_TRUE(second.Stop());
  }
  orb->destroy();
  VQOStreamLog::Close();
  const std::string log = ReadFile(logs.file("NOWSIM.log"));
  EXPECT_NE(log.find("the record store is lost"), std::string::npos) << log;
  // The new store was never lost, so no return is told.
  EXPECT_EQ(log.find("the record store answers again"), std::string::npos) << log;
}

}  // namespace
