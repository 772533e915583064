#include "qelm_corba_utils.h"

#include "VQOStreamLog.h"

#include <cstdio>
#include <ctime>
#include <string>

bool qelm_object_non_existent(CORBA::Object_ptr obj)
{
  if (CORBA::is_nil(obj))
    return true;
  try {
    return obj->_non_existent();
  } catch (...) {
    return true;
  }
}

bool qelm_unreachable(const CORBA::SystemException& e)
{
  return dynamic_cast<const CORBA::TRANSIENT*>(&e) || dynamic_cast<const CORBA::COMM_FAILURE*>(&e) ||
         dynamic_cast<const CORBA::OBJECT_NOT_EXIST*>(&e);
}

namespace qelm_detail {

void fail_reference(const char* condition, const char* file, int line)
{
  VQCheckFailed(condition, file, line);
  throw -1;
}

}  // namespace qelm_detail

CosNaming::Name qelm_object_name(const char* name)
{
  CosNaming::Name n;
  n.length(2);
  n[0].id = CORBA::string_dup("QELM");
  n[0].kind = CORBA::string_dup("");
  n[1].id = CORBA::string_dup(name ? name : "");
  n[1].kind = CORBA::string_dup("");
  return n;
}

CORBA::Object_ptr qelm_resolve_name(CosNaming::NamingContext_ptr ctx, const CosNaming::Name& name,
                                    int timeout_s)
{
  if (CORBA::is_nil(ctx))
    throw -1;
  const time_t start = std::time(nullptr);
  CORBA::Object_var result;
  bool live = false;
  for (;;) {
    try {
      result = ctx->resolve(name);
    } catch (...) {
      // Keep what an earlier attempt found.
    }
    live = !qelm_object_non_existent(result.in());
    if (live || std::time(nullptr) - start >= timeout_s)
      break;
    // Nothing live yet (no binding, a dead object or an exception): pause
    // before asking again, so that a missing object is not polled flat out.
    SleepMs(static_cast<uint32_t>(std::rand() % 250));
  }
  if (!live)
    throw -1;
  return result._retn();
}

CORBA::Object_ptr qelm_get_object(CORBA::ORB_ptr orb, const char* name, int timeout_s)
{
  CosNaming::NamingContext_var root = qelm_resolve_init<CosNaming::NamingContext>(orb, "NameService");
  return qelm_resolve_name(root.in(), qelm_object_name(name), timeout_s);
}

void qelm_register_object(CORBA::ORB_ptr orb, CORBA::Object_ptr obj, const char* name)
{
  if (!name)
    name = "";
  CORBA::String_var ior = orb->object_to_string(obj);

  const std::string file_name = std::string(name) + ".ior";
  std::FILE* f_ior = std::fopen(file_name.c_str(), "w");
  if (VQ_CHECK_TEXT(f_ior != 0, "f_ior != 0")) {
    std::fprintf(f_ior, "%s", ior.in());
    const int ret = std::fclose(f_ior);
    VQ_CHECK_TEXT(ret == 0, "ret == 0");
  }

  // Prefix and message in one piece; the line is ended after the binding.
  VQOStreamLog::Line("Registering object %s...", name);

  CosNaming::NamingContext_var root = qelm_resolve_init<CosNaming::NamingContext>(orb, "NameService");

  CosNaming::Name context_name;
  context_name.length(1);
  context_name[0].id = CORBA::string_dup("QELM");
  context_name[0].kind = CORBA::string_dup("");
  const CosNaming::Name object_name = qelm_object_name(name);
  try {
    CosNaming::NamingContext_var ctx = root->bind_new_context(context_name);
  } catch (const CosNaming::NamingContext::AlreadyBound&) {
    CORBA::Object_var tmpobj;
    try {
      tmpobj = qelm_resolve_name(root.in(), object_name, 0);
    } catch (...) {
    }
    VQ_CHECK_TEXT(CORBA::is_nil(tmpobj.in()), "CORBA::is_nil( tmpobj.in() )");
  }

  root->rebind(object_name, obj);
  VQOStreamLog::Print("Succeded.\n");
}
