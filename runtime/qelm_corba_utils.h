// Finding and publishing CORBA objects.
//
// Objects are published in the naming service under the two-part name
// {"QELM", <name>} (id fields only, kinds empty) and as a stringified
// reference in the file "<name>.ior" of the working directory, with no line
// end. Failure to find a live object is thrown as the plain int -1; callers
// catch everything.
//
// The helpers keep no state and may be called from any thread. The retry
// pauses use rand(), seeded by the program.
#pragma once

#include "HRTime.h"
#include "VQCheck.h"

#include <omniORB4/CORBA.h>
#include <omniORB4/Naming.hh>

#include <cstdlib>
#include <exception>
#include <utility>

// True when obj is nil (no remote call), when the object reports itself
// non-existent, or when asking raises any exception.
bool qelm_object_non_existent(CORBA::Object_ptr obj);

// True for the failures that say the peer is not there (any more) at the
// address its reference names: TRANSIENT, COMM_FAILURE, OBJECT_NOT_EXIST.
bool qelm_unreachable(const CORBA::SystemException& e);

// Resolves the name in the context, retrying until a live object is found
// or timeout_s whole seconds have passed (0: exactly one attempt). Pauses
// 0 to 249 ms after every attempt that found no live object. Returns a new
// reference the caller owns; throws -1 when no live object was found
// (also for a nil context).
CORBA::Object_ptr qelm_resolve_name(CosNaming::NamingContext_ptr ctx, const CosNaming::Name& name,
                                    int timeout_s);

// qelm_resolve_name of {"QELM", name} in the ORB's root naming context
// (initial reference "NameService"). Throws -1 as qelm_resolve_name, and
// when the naming service itself cannot be reached.
CORBA::Object_ptr qelm_get_object(CORBA::ORB_ptr orb, const char* name, int timeout_s);

// The two-part name {"QELM", name}.
CosNaming::Name qelm_object_name(const char* name);

// Publishes obj: writes "<name>.ior" (the stringified reference, no line
// end; a file that cannot be created is a failed check and is not written),
// logs "Registering object <name>...", creates the context "QELM" when it
// does not exist, rebinds {"QELM", name} to obj and ends the log line with
// "Succeded.\n". A live object already bound under the name is a failed
// check; the new object replaces it. Naming-service exceptions other than
// AlreadyBound on the context, and those of the rebind, reach the caller;
// so does -1 when the naming service cannot be reached.
void qelm_register_object(CORBA::ORB_ptr orb, CORBA::Object_ptr obj, const char* name);

namespace qelm_detail {
// Failed check with its text, then throw -1.
[[noreturn]] void fail_reference(const char* condition, const char* file, int line);
}  // namespace qelm_detail

// Narrows obj (owned by the caller, not consumed) to T and checks the result
// is live; throws -1 otherwise (failed check logged).
template <class T>
typename T::_ptr_type qelm_narrow_live(CORBA::Object_ptr obj)
{
  typename T::_var_type ref;
  try {
    ref = T::_narrow(obj);
  } catch (const CORBA::Exception&) {
    ref = T::_nil();
  }
  if (CORBA::is_nil(ref.in()) || qelm_object_non_existent(ref.in()))
    qelm_detail::fail_reference("!CORBA::is_nil( ref.in() ) && !qelm_object_non_existent( ref.in() )",
                                __FILE__, __LINE__);
  return ref._retn();
}

// The ORB's initial reference of the id ("RootPOA", "NameService"), as a
// live T. The ORB's own exceptions (CORBA::ORB::InvalidName) reach the
// caller; a nil or dead reference, or one that does not narrow to T, is a
// failed check and throws -1. The caller owns the result.
template <class T>
typename T::_ptr_type qelm_resolve_init(CORBA::ORB_ptr orb, const char* id)
{
  CORBA::Object_var obj = orb->resolve_initial_references(id);
  if (CORBA::is_nil(obj.in()) || qelm_object_non_existent(obj.in()))
    qelm_detail::fail_reference("!CORBA::is_nil( obj.in() ) && !qelm_object_non_existent( obj.in() )",
                                __FILE__, __LINE__);
  return qelm_narrow_live<T>(obj.in());
}

// qelm_resolve_name narrowed to T (throws -1 when it does not narrow).
template <class T>
typename T::_ptr_type qelm_resolve_name(CosNaming::NamingContext_ptr ctx, const CosNaming::Name& name,
                                        int timeout_s)
{
  CORBA::Object_var obj = qelm_resolve_name(ctx, name, timeout_s);
  return qelm_narrow_live<T>(obj.in());
}

// qelm_get_object narrowed to T.
template <class T>
typename T::_ptr_type qelm_get_object(CORBA::ORB_ptr orb, const char* name, int timeout_s)
{
  CORBA::Object_var obj = qelm_get_object(orb, name, timeout_s);
  return qelm_narrow_live<T>(obj.in());
}

// Minor codes of the system exceptions raised by qelm_upcall.
enum : CORBA::ULong {
  QELM_MINOR_BASE = 0x514C4D00u,
  QELM_MINOR_INT_THROWN = QELM_MINOR_BASE | 1u,     // CORBA::TRANSIENT
  QELM_MINOR_STD_EXCEPTION = QELM_MINOR_BASE | 2u,  // CORBA::INTERNAL
  QELM_MINOR_UNKNOWN = QELM_MINOR_BASE | 3u         // CORBA::UNKNOWN
};

// Runs a servant's operation body so that nothing but a CORBA exception
// reaches the remote caller: CORBA exceptions (system and user) pass
// unchanged; the plain int of a failed resolution or of a message target
// that no longer accepts messages becomes CORBA::TRANSIENT
// (QELM_MINOR_INT_THROWN); a std::exception becomes CORBA::INTERNAL
// (QELM_MINOR_STD_EXCEPTION); anything else CORBA::UNKNOWN. The result of
// f is returned.
//
//   void QELM_GUI_i::SendMsg(const QELM::MSG& m)
//   { qelm_upcall([&] { m_target.Post(m); }); }
template <class F>
decltype(auto) qelm_upcall(F&& f)
{
  try {
    return std::forward<F>(f)();
  } catch (const CORBA::Exception&) {
    throw;
  } catch (int) {
    throw CORBA::TRANSIENT(QELM_MINOR_INT_THROWN, CORBA::COMPLETED_MAYBE);
  } catch (const std::exception&) {
    throw CORBA::INTERNAL(QELM_MINOR_STD_EXCEPTION, CORBA::COMPLETED_MAYBE);
  } catch (...) {
    throw CORBA::UNKNOWN(QELM_MINOR_UNKNOWN, CORBA::COMPLETED_MAYBE);
  }
}
