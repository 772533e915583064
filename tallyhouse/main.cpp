// Tallyhouse: the record store program. Brings up the ORB and a persistent
// child POA, activates the one servant under the object id "Tallyhouse",
// publishes it in the naming service and as Tallyhouse.ior, serves on 12 ORB
// threads until a client calls Shutdown, then destroys the ORB and ends.
#include "QELM_Tallyhouse_i.h"
#include "TallyhouseHeap.h"

#include "VQCheck.h"
#include "VQORBThreadPool.h"
#include "VQOStreamLog.h"
#include "qelm_corba_utils.h"
#include "qelm_orb_args.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <sys/resource.h>

namespace {

const int kOrbThreads = 12;

// Starts serving; returns the program's exit code.
int Serve(int argc, char** argv)
{
  CORBA::ORB_var orb;
  int code = 0;
  bool registering = false;
  try {
    orb = qelm_orb_init(argc, argv, QELM_ORB_ID);

    PortableServer::POA_var root_poa = qelm_resolve_init<PortableServer::POA>(orb.in(), "RootPOA");
    PortableServer::POAManager_var root_manager = root_poa->the_POAManager();
    root_manager->activate();

    CORBA::PolicyList policies;
    policies.length(4);
    policies[0] = root_poa->create_lifespan_policy(PortableServer::PERSISTENT);
    policies[1] = root_poa->create_id_assignment_policy(PortableServer::USER_ID);
    policies[2] = root_poa->create_servant_retention_policy(PortableServer::RETAIN);
    policies[3] = root_poa->create_thread_policy(PortableServer::ORB_CTRL_MODEL);

    PortableServer::POA_var child_poa =
        root_poa->create_POA("ChildPOA", PortableServer::POAManager::_nil(), policies);
    PortableServer::POAManager_var child_manager = child_poa->the_POAManager();
    child_manager->activate();
    for (CORBA::ULong i = 0; i < policies.length(); ++i)
      policies[i]->destroy();

    // The POA holds its own reference to the servant; this holder drops
    // main's reference when the program ends, after the ORB is destroyed.
    QELM_Tallyhouse_i* tallyhouse = new QELM_Tallyhouse_i(orb.in());
    PortableServer::ServantBase_var servant = tallyhouse;
    PortableServer::ObjectId_var oid = PortableServer::string_to_ObjectId("Tallyhouse");
    child_poa->activate_object_with_id(oid.in(), tallyhouse);

    // The reference of the object in ChildPOA (the servant's _this would
    // consult its default POA, the root POA, instead).
    CORBA::Object_var ref = child_poa->id_to_reference(oid.in());
    registering = true;
    qelm_register_object(orb.in(), ref.in(), "Tallyhouse");
    registering = false;

    VQOStreamLog::Line("Tallyhouse ORB Running...\n");

    VQORBThreadPool pool(orb.in(), kOrbThreads);
    pool.Run();

    orb->destroy();
    VQOStreamLog::Line("Tallyhouse server ended normally...\n");
    return 0;
  } catch (const CORBA::Exception& e) {
    VQOStreamLog::Line("Tallyhouse: CORBA exception %s during start-up or service.\n", e._name());
    code = 2;
  } catch (int e) {
    VQOStreamLog::Line("Tallyhouse: start-up failed (%d): an initial reference or the naming service is not "
                       "reachable.\n",
                       e);
    code = 3;
  } catch (const std::exception& e) {
    VQOStreamLog::Line("Tallyhouse: %s.\n", e.what());
    code = 4;
  }
  // Could not serve: no reference file of an object that is not served,
  // and the ORB taken down before ending.
  if (registering)
    std::remove("Tallyhouse.ior");
  try {
    if (!CORBA::is_nil(orb.in()))
      orb->destroy();
  } catch (...) {
  }
  return code;
}

}  // namespace

int main(int argc, char** argv)
{
  setpriority(PRIO_PROCESS, 0, 0);
  TallyhouseTuneHeap();
  std::srand(static_cast<unsigned>(std::time(nullptr)));

  VQOStreamLog::Open("tallyhouse.log", "w");
  VQOStreamLog::Line("Tallyhouse Server started...\n");
  return Serve(argc, argv);
}
