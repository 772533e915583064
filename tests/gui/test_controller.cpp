// The system controller against a Management servant of the test's own,
// found through a real naming service: every operation's checks in order
// with their codes and texts, the remote calls it makes, the bounds of its
// waits, the command payloads, and the record fetch.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>

#include "CorbaFixtures.h"
#include "QELM_Tallyhouse_i.h"
#include "VQSystemController.h"
#include "VQTimeCentral.h"
#include "qelm_msg_codes.h"

using namespace corba_test;

namespace {

// The controller with the ORB of the test (the servant sets it in the
// console).
struct TestController : VQSystemController
{
  using VQSystemController::SetORB;
  using VQSystemController::SetRecordStore;
};

class Controller : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // The clock synchronises at once: no pause between samples.
    VQTimeCentral::SetTimingForTest(5000, 0, -1);
    management.reset(new FakeManagement);
    CORBA::Object_var obj = env.Publish(management.get(), "Management");
    controller.SetORB(env.orb.in());
  }
  void TearDown() override
  {
    VQTimeCentral::Connect(QELM::Management::_nil());
    controller.SetRecordStore(QELM::Tallyhouse::_nil());
    controller.Disconnect(true);
    env.Destroy();
  }

  // Connected while Management reports nothing, then the flags set.
  void ConnectWith(FakeManagement::Flags flags)
  {
    management->SetFlags({false, false, false, false});
    ASSERT_EQ(controller.Connect(), 0) << controller.GetLastError();
    management->SetFlags(flags);
  }

  OrbWithNames env;
  ServantPtr<FakeManagement> management;
  TestController controller;
};

const char kNotActive[] = "VORLANTIS-Q currently not active.";
const char kActive[] = "VORLANTIS-Q is currently active.";
const char kNotRunning[] = "VORLANTIS-Q is currently not running.";
const char kRunning[] = "VORLANTIS-Q is currently running.";
const char kNotInitialized[] = "VORLANTIS-Q is not initialized.";
const char kInitialized[] = "VORLANTIS-Q is already initialized.";
const char kBefore[] = "VORLANTIS-Q was initialized before. Cannot re-initialize.";
const char kUnknown[] = "Unkonwn error occurred.";

TEST_F(Controller, FlagsAndOperationGiveCodeAndText)
{
  using Op = std::function<int(TestController&)>;
  const Op connect = [](TestController& c) { return c.Connect(); };
  const Op initialize = [](TestController& c) { return c.Initialize(); };
  const Op start = [](TestController& c) { return c.Start(QELM::Management::RUN_SEQUENTIAL); };
  const Op subscribe = [](TestController& c) {
    CORBA::Long id = -5;
    return c.Subscribe(QELM::MessageTarget::_nil(), id);
  };
  const Op unsubscribe = [](TestController& c) { return c.Unsubscribe(7); };
  const Op stop = [](TestController& c) { return c.Stop(); };
  const Op shutdown = [](TestController& c) { return c.Shutdown(false); };
  const Op disconnect = [](TestController& c) { return c.Disconnect(false); };
  struct Case
  {
    const char* name;
    Op op;
    FakeManagement::Flags flags;  // active, initialized before, initialized, running
    int code;
    const char* text;  // last error afterwards ("" = none written)
  };
  const Case cases[] = {
      {"Connect while active", connect, {true, false, false, false}, 2, kActive},
      {"Initialize inactive", initialize, {false, false, false, false}, 1, kNotActive},
      {"Initialize initialized", initialize, {true, true, true, false}, 6, kInitialized},
      {"Initialize initialized before", initialize, {true, true, false, false}, 7, kBefore},
      {"Initialize", initialize, {true, false, false, false}, 0, ""},
      {"Start inactive", start, {false, true, true, false}, 1, kNotActive},
      {"Start not initialized", start, {true, false, false, false}, 5, kNotInitialized},
      {"Start running", start, {true, true, true, true}, 4, kRunning},
      {"Start", start, {true, true, true, false}, 0, ""},
      {"Subscribe inactive", subscribe, {false, false, false, false}, 1, kNotActive},
      {"Subscribe", subscribe, {true, false, false, true}, 0, ""},
      {"Unsubscribe inactive", unsubscribe, {false, false, false, false}, 1, kNotActive},
      {"Unsubscribe", unsubscribe, {true, false, false, false}, 0, ""},
      {"Stop inactive", stop, {false, false, false, true}, 1, kNotActive},
      {"Stop not running", stop, {true, true, true, false}, 3, kNotRunning},
      {"Stop", stop, {true, true, true, true}, 0, ""},
      {"Shutdown inactive", shutdown, {false, false, false, false}, 1, kNotActive},
      {"Shutdown running", shutdown, {true, true, true, true}, 4, kRunning},
      {"Shutdown", shutdown, {true, true, true, false}, 0, ""},
      {"Disconnect running", disconnect, {true, true, true, true}, 4, kRunning},
      {"Disconnect inactive", disconnect, {false, false, false, false}, 1, kNotActive},
      {"Disconnect", disconnect, {true, false, false, false}, 0, ""},
  };
  for (const Case& c : cases) {
    VQTimeCentral::Connect(QELM::Management::_nil());
    controller.Disconnect(true);
    ConnectWith(c.flags);
    const int code = c.op(controller);
    EXPECT_EQ(code, c.code) << c.name;
    if (*c.text) {
      EXPECT_EQ(controller.GetLastError(), c.text) << c.name;
    }
  }
}

TEST_F(Controller, RemoteCallsOfTheOperations)
{
  ConnectWith({true, false, false, false});
  CORBA::Long id = 0;
  EXPECT_EQ(controller.Subscribe(QELM::MessageTarget::_nil(), id), 0);
  EXPECT_EQ(id, 7);
  management->store = QELM::Tallyhouse::_nil();
  EXPECT_EQ(controller.Initialize(), 0);
  management->runningAfterReads = 2;
  EXPECT_EQ(controller.Start(QELM::Management::RUN_REAL_TIME), 0);
  EXPECT_EQ(controller.Stop(), 0);
  management->SetFlags({true, true, true, false});
  EXPECT_EQ(controller.Unsubscribe(id), 0);
  EXPECT_EQ(controller.Shutdown(false), 0);
  EXPECT_FALSE(controller.HasManagement());
  EXPECT_EQ(management->Calls(),
            (std::vector<std::string>{"RegisterTarget", "Initialize", "GetDataBrokerObject",
                                      "Start real-time", "Stop", "UnregisterTarget 7", "Shutdown"}));
}

TEST_F(Controller, FailuresOfTheRemoteSide)
{
  ConnectWith({true, false, false, false});
  management->registerResult = 0;
  CORBA::Long id = -1;
  EXPECT_EQ(controller.Subscribe(QELM::MessageTarget::_nil(), id), 8);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(controller.GetLastError(), "Failed to subscribe for messages.");

  management->unregisterResult = 3;
  EXPECT_EQ(controller.Unsubscribe(5), 8);
  EXPECT_EQ(controller.GetLastError(), "Failed to unsubscribe the message target.");

  management->initializeResult = 2;
  EXPECT_EQ(controller.Initialize(), 9);
  EXPECT_EQ(controller.GetLastError(), kUnknown);
  EXPECT_FALSE(controller.HasRecordStore());

  // The text stays after a success.
  management->registerResult = 4;
  EXPECT_EQ(controller.Subscribe(QELM::MessageTarget::_nil(), id), 0);
  EXPECT_EQ(controller.GetLastError(), kUnknown);
}

TEST_F(Controller, StartWaitsForTheCyclesWithinItsBound)
{
  ConnectWith({true, true, true, false});
  management->runningAfterReads = 3;
  EXPECT_EQ(controller.Start(QELM::Management::RUN_SEQUENTIAL), 0);
  EXPECT_GE(management->startedReads, 4);

  // The system stops being active while starting.
  management->SetFlags({true, true, true, false});
  management->runningAfterReads = -1;
  management->inactiveAfterReads = 2;
  EXPECT_EQ(controller.Start(QELM::Management::RUN_SEQUENTIAL), 9);
  EXPECT_EQ(controller.GetLastError(), kUnknown);

  // Never running: the bound ends the wait.
  management->SetFlags({true, true, true, false});
  management->inactiveAfterReads = -1;
  controller.SetStartTimeout(std::chrono::milliseconds(400));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(controller.Start(QELM::Management::RUN_SEQUENTIAL), 9);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
}

TEST_F(Controller, ConnectFailures)
{
  // Management answers, its clock does not: the reference is kept.
  management->clockFails = true;
  EXPECT_EQ(controller.Connect(), 9);
  EXPECT_EQ(controller.GetLastError(), "Unable to synchronize time.");
  EXPECT_TRUE(controller.HasManagement());
  // Forgotten with Disconnect, a second Connect succeeds.
  management->clockFails = false;
  management->SetFlags({true, false, false, false});
  EXPECT_EQ(controller.Connect(), 2);
  controller.Disconnect(true);
  EXPECT_EQ(controller.Connect(), 0);

  // No ORB: a failed remote call.
  TestController noOrb;
  EXPECT_EQ(noOrb.Connect(), 9);
  EXPECT_EQ(noOrb.GetLastError(), kUnknown);
}

TEST_F(Controller, ConnectWithoutManagementEndsAfterTheResolveBound)
{
  {
    CORBA::Object_var ns = env.orb->resolve_initial_references("NameService");
    CosNaming::NamingContext_var root = CosNaming::NamingContext::_narrow(ns.in());
    root->unbind(qelm_object_name("Management"));
  }
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(controller.Connect(), 9);
  const auto waited = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(controller.GetLastError(), kUnknown);
  EXPECT_FALSE(controller.HasManagement());
  EXPECT_GE(waited, std::chrono::seconds(9));
  EXPECT_LT(waited, std::chrono::seconds(30));

  // No naming service at all: at once.
  env.names.Stop();
  EXPECT_EQ(controller.Connect(), 9);
  EXPECT_FALSE(controller.HasManagement());
}

TEST_F(Controller, WithoutManagementEverythingFailsSafely)
{
  TestController idle;
  QELM::SystemStatus s{};
  s.timestamp.sec = 99;
  s.active = s.initialized = s.initialized_before = s.cyclic_running = true;
  idle.GetSystemStatus(s);
  EXPECT_FALSE(s.active || s.initialized || s.initialized_before || s.cyclic_running);
  EXPECT_EQ(s.timestamp.sec, 99);
  EXPECT_EQ(idle.SendMsg(QELM::MSG()), 9);
  EXPECT_EQ(idle.GetLastError(), kUnknown);
  const int params[2] = {1, 2};
  const int path[100] = {};
  EXPECT_EQ(idle.SendVMS(1, 1, 2, 3, params, 0, 1, path), 9);
  EXPECT_EQ(idle.Initialize(), 1);
  EXPECT_EQ(idle.GetLastError(), kNotActive);
  EXPECT_EQ(idle.Disconnect(false), 1);
  PlainRecord r;
  std::string why;
  EXPECT_FALSE(idle.FetchLatest(QELM::Tallyhouse::GUIRTSTATDATA, r, why));
  EXPECT_EQ(why, "no record store (the system is not initialized).");
}

// The bytes of a payload: little-endian 32-bit fields back to back.
struct Bytes
{
  std::vector<unsigned char> b;
  Bytes& I(std::int32_t v)
  {
    for (int k = 0; k < 4; ++k)
      b.push_back(static_cast<unsigned char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xff));
    return *this;
  }
  Bytes& F(float v)
  {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    return I(static_cast<std::int32_t>(u));
  }
};

TEST_F(Controller, CommandPayloads)
{
  ConnectWith({true, true, true, true});
  int params[2] = {-40, 25};
  int path[100];
  for (int i = 0; i < 100; ++i)
    path[i] = 1000 + i;
  EXPECT_EQ(controller.SendIncident(1, 101, 102, 480, 540, 0.5f), 0);
  EXPECT_EQ(controller.SendIncident(0, 101, 102, 480, 540, 0.5f), 0);
  EXPECT_EQ(controller.SendVMS(1, 1, 201, 202, params, 600, 660.5f, path), 0);
  EXPECT_EQ(controller.SendVMS(2, 1, 201, 202, params, 600, 660.5f, path), 0);
  EXPECT_EQ(controller.SendWorkZone(1, 301, 302, 0, 1440, 0.25f, 35, 1500), 0);
  EXPECT_EQ(controller.SendWorkZone(-1, 301, 302, 0, 1440, 0.25f, 35, 1500), 0);

  Bytes incident;
  incident.I(101).I(102).F(480).F(540).F(0.5f);
  Bytes vms;
  vms.I(1).I(201).I(202).I(-40).I(25).F(600).F(660.5f);
  for (int i = 0; i < 100; ++i)
    vms.I(1000 + i);
  Bytes zone;
  zone.I(301).I(302).F(0).F(1440).F(0.25f).I(35).I(1500);
  const struct
  {
    long code;
    const Bytes* bytes;
  } expected[] = {{MSG_INCIDENT_ADD, &incident}, {MSG_INCIDENT_REMOVE, &incident},
                  {MSG_VMS_ADD, &vms},           {MSG_VMS_REMOVE, &vms},
                  {MSG_WORKZONE_ADD, &zone},     {MSG_WORKZONE_REMOVE, &zone}};
  const std::vector<QELM::MSG> sent = management->Sent();
  ASSERT_EQ(sent.size(), 6u);
  for (std::size_t k = 0; k < sent.size(); ++k) {
    EXPECT_EQ(sent[k].ID, expected[k].code) << k;
    ASSERT_EQ(sent[k].arg.length(), expected[k].bytes->b.size()) << k;
    EXPECT_EQ(std::memcmp(sent[k].arg.get_buffer(), expected[k].bytes->b.data(), sent[k].arg.length()), 0)
        << k;
    EXPECT_GT(sent[k].timestamp.sec, 0) << k;
  }
  EXPECT_EQ(sent[2].arg.length(), 428u);
}

TEST_F(Controller, FetchesTheNewestRecordOfTheStore)
{
  ServantPtr<QELM_Tallyhouse_i> store(new QELM_Tallyhouse_i(env.orb.in()));
  PortableServer::ObjectId_var id = env.poa->activate_object(store.get());
  CORBA::Object_var obj = env.poa->id_to_reference(id.in());
  management->store = QELM::Tallyhouse::_narrow(obj.in());
  ConnectWith({true, false, false, false});
  ASSERT_EQ(controller.Initialize(), 0);
  EXPECT_TRUE(controller.HasRecordStore());

  for (int k = 0; k < 2; ++k) {
    QELM::DBKRecord r;
    r.L.length(2);
    r.L[0].length(1);
    r.L[0][0] = 10 + k;
    r.L[1].length(0);
    r.F.length(1);
    r.F[0].length(3);
    for (CORBA::ULong i = 0; i < 3; ++i)
      r.F[0][i] = 0.5f * static_cast<float>(i + k);
    management->store->InsertRecord(r, QELM::Tallyhouse::GUIRTSTATDATA);
  }
  PlainRecord got;
  std::string why;
  ASSERT_TRUE(controller.FetchLatest(QELM::Tallyhouse::GUIRTSTATDATA, got, why)) << why;
  EXPECT_EQ(got.kind, kKindRTStat);
  EXPECT_EQ(got.L, (std::vector<RecordArray<std::int32_t>>{{11}, {}}));
  EXPECT_EQ(got.F, (std::vector<RecordArray<float>>{{0.5f, 1.0f, 1.5f}}));

  // A store that has gone: the fetch fails with the exception's name.
  PortableServer::ObjectId_var gone = env.poa->servant_to_id(store.get());
  env.poa->deactivate_object(gone.in());
  EXPECT_FALSE(controller.FetchLatest(QELM::Tallyhouse::GUIRTSTATDATA, got, why));
  EXPECT_EQ(why.rfind("fetching GUIRTSTATDATA failed (", 0), 0u) << why;
}

}  // namespace
