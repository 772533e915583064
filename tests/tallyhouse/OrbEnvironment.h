// The test program's ORB and its active root POA, made before the first test
// and destroyed after the last; the program says how its ORB is made.
#pragma once

#include <QELM.hh>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace tallyhouse_test {

inline CORBA::ORB_ptr g_orb = CORBA::ORB::_nil();
inline PortableServer::POA_ptr g_poa = PortableServer::POA::_nil();

class OrbEnvironment : public ::testing::Environment
{
public:
  explicit OrbEnvironment(std::function<CORBA::ORB_ptr()> make_orb) : m_make_orb(std::move(make_orb)) {}
  void SetUp() override
  {
    g_orb = m_make_orb();
    CORBA::Object_var obj = g_orb->resolve_initial_references("RootPOA");
    g_poa = PortableServer::POA::_narrow(obj.in());
    PortableServer::POAManager_var mgr = g_poa->the_POAManager();
    mgr->activate();
  }
  void TearDown() override
  {
    CORBA::release(g_poa);
    g_orb->destroy();
    CORBA::release(g_orb);
  }

private:
  std::function<CORBA::ORB_ptr()> m_make_orb;
};

// Record kind number i.
inline QELM::Tallyhouse::DBKIDEnum Id(int i)
{
  return static_cast<QELM::Tallyhouse::DBKIDEnum>(i);
}

}  // namespace tallyhouse_test
