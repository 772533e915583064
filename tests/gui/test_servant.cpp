// The GUI servant and its server thread: the ORB started and stopped, the
// thread joined, messages from Management reaching the handler through the
// message loop and the window thread, and the close-down order.
#include <gtest/gtest.h>

#include "CorbaFixtures.h"
#include "HandlerFixtures.h"
#include "QELM_GUI_i.h"
#include "StandInGuiThread.h"
#include "VQTimeCentral.h"
#include "qelm_msg_codes.h"

using namespace corba_test;
using namespace handler_test;

namespace {

QELM::MSG Msg(long code)
{
  QELM::MSG m;
  m.ID = static_cast<CORBA::Long>(code);
  return m;
}

class Servant : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ResetWorld(2);
    management.reset(new FakeManagement);
    CORBA::Object_var obj = env.Publish(management.get(), "Management");
  }
  void TearDown() override
  {
    gui.StopIfRunning();
    VQTimeCentral::Connect(QELM::Management::_nil());
    env.Destroy();
    ResetWorld(0);
  }

  int Init()
  {
    std::vector<std::string> args = env.names.system_orb_args();
    args.insert(args.end(), {"-ORBendPoint", "giop:tcp:127.0.0.1:"});
    return gui.InitORB(args);
  }

  OrbWithNames env;
  ServantPtr<FakeManagement> management;
  QELM_GUI_i gui;
};

TEST_F(Servant, StopBeforeAnyServerDoesNothing)
{
  EXPECT_EQ(gui.Stop(), -1);
  EXPECT_EQ(gui.StopIfRunning(), 0);
  EXPECT_TRUE(management->Calls().empty());
  // No ORB yet: nothing to serve.
  EXPECT_EQ(gui.StartServer(), -1);
}

TEST_F(Servant, ServerRunsUntilStopAndIsJoined)
{
  ASSERT_EQ(Init(), 0);
  ASSERT_EQ(gui.StartServer(), 0);
  EXPECT_TRUE(gui.IsRunning());
  EXPECT_TRUE(gui.Target().LoopRunning());
  EXPECT_EQ(gui.StartServer(), -1);  // already running
  EXPECT_EQ(gui.Run(), -1);
  EXPECT_EQ(gui.Stop(), 0);
  EXPECT_FALSE(gui.IsRunning());
  EXPECT_FALSE(gui.Target().LoopRunning());
  EXPECT_EQ(gui.Stop(), -1);
}

TEST_F(Servant, MessagesFromManagementReachTheDisplay)
{
  RecordingDisplay display;
  GuiThread window;
  gui.Target().SetDisplay(&display, window.Poster());
  ASSERT_EQ(Init(), 0);
  ASSERT_EQ(gui.StartServer(), 0);
  ASSERT_EQ(gui.Connect(), 0) << gui.GetLastError();
  management->SetFlags({true, false, false, false});
  ASSERT_EQ(gui.Subscribe(), 0) << gui.GetLastError();
  EXPECT_EQ(gui.SubscriptionId(), 7);
  ASSERT_FALSE(CORBA::is_nil(management->target.in()));
  // The target Management holds is the servant: a GUI object.
  EXPECT_TRUE(management->target->_is_a("IDL:QELM/GUI:1.0"));

  // Delivered as Management delivers them; NOWSIM's end comes before any
  // record store is known and is dropped with a line.
  for (long code : std::vector<long>{MSG_CYCLIC_STARTED, MSG_NOWSIM_STARTED, MSG_NOWSIM_ENDED, 43})
    management->target->SendMsg(Msg(code));
  ASSERT_TRUE(WaitUntil([&] { return window.Posted() >= 3; }));
  window.Run([&] {
    EXPECT_EQ(display.Texts(), (std::vector<std::string>{
                                   "Cyclic executive started.", "NOWSIM simulation started.",
                                   "Message 9 dropped: no record store (the system is not initialized)."}));
  });

  EXPECT_EQ(gui.Stop(), 0);
  EXPECT_EQ(management->Calls().back(), "UnregisterTarget 7");
  EXPECT_FALSE(gui.HasManagement());
}

TEST_F(Servant, StopAfterActivationOnlyWithdrawsNothingItDidNotRegister)
{
  // Closing after Activate CORBA Server, before the connection.
  ASSERT_EQ(Init(), 0);
  ASSERT_EQ(gui.StartServer(), 0);
  EXPECT_EQ(gui.StopIfRunning(), 0);
  EXPECT_FALSE(gui.IsRunning());
  EXPECT_TRUE(management->Calls().empty());
  EXPECT_EQ(gui.GetLastError(), "VORLANTIS-Q currently not active.");
}

TEST_F(Servant, SubscribeWithoutManagementFailsAndTheServantCanGo)
{
  // The servant is activated by Subscribe and withdrawn from its POA when
  // it goes, while the ORB lives on.
  auto idle = std::make_unique<QELM_GUI_i>();
  EXPECT_EQ(idle->Subscribe(), 1);
  EXPECT_EQ(idle->SubscriptionId(), 0);
  idle.reset();
}

}  // namespace
