// ORB start-up for every program of the system.
//
// The system's programs are started with the ORB arguments
//   -ORBInitRef NameService=iiop://<host:port>/NameService
//   -ORBDottedDecimalAddresses 1
// and the ORB id "QELM_ORB". omniORB knows its own ORB id only, takes
// corbaloc:: URLs instead of iiop:// ones and has no
// -ORBDottedDecimalAddresses option, so the arguments are translated before
// they reach CORBA::ORB_init. qelm_orb_init also raises the largest GIOP
// message (a prediction record of 60 steps for 50,000 links is 48 MB) and
// sets a client call time-out, so that no remote call can hang for ever.
#pragma once

#include <omniORB4/CORBA.h>

#include <string>
#include <vector>

// The system's own ORB id.
inline constexpr const char* QELM_ORB_ID = "QELM_ORB";
// omniORB's ORB id, which the system's id is mapped to.
inline constexpr const char* QELM_OMNIORB_ID = "omniORB4";

// Largest GIOP message sent or received (omniORB's giopMaxMsgSize).
inline constexpr unsigned long QELM_GIOP_MAX_MSG_SIZE = 256ul * 1024ul * 1024ul;
// Default client call time-out in milliseconds (clientCallTimeOutPeriod).
inline constexpr unsigned long QELM_CALL_TIMEOUT_MS = 60000ul;

// The four ORB arguments of the system, in this order:
//   "-ORBInitRef", "NameService=iiop://<host>/NameService",
//   "-ORBDottedDecimalAddresses", "1"
// name_service_host is "host:port" (QELM_NAME_SERVICE_HOST), used as given;
// a null pointer counts as "".
std::vector<std::string> qelm_system_orb_arguments(const char* name_service_host);

// Turns the system's ORB arguments into ones omniORB accepts. Pure.
//  - "-ORBInitRef <key>=iiop://<addr>[,<addr>...]/<object key>" becomes
//    "-ORBInitRef <key>=corbaloc::<addr>[,:<addr>...]/<object key>";
//    an iiop:// URL given as "-ORBDefaultInitRef" is turned the same way.
//  - "-ORBDottedDecimalAddresses <value>" is dropped with its value:
//    omniORB's references carry numeric addresses already (its default
//    endPointPublish rule "addr" publishes the endpoint's IP address).
//  - "-ORBid QELM_ORB" becomes "-ORBid omniORB4".
//  - Every other argument, the program name included, is left alone.
// omniORB has no one-argument form of its options ("-ORBInitRef=..." and
// "-ORBInitRefNameService=..." are refused by it), so none is translated.
std::vector<std::string> qelm_translate_orb_arguments(const std::vector<std::string>& args);

// Maps the system's ORB id (and an empty id) to omniORB's; other ids are
// returned unchanged.
const char* qelm_map_orb_id(const char* orb_id);

// Initialises the process's ORB from a program's command line: translates
// the arguments, maps the ORB id and passes giopMaxMsgSize, the client call
// time-out (milliseconds, 0 = none) and, when endpoint is not null or empty,
// the endpoint (for example "giop:tcp:127.0.0.1:") through ORB_init's options
// table. Arguments on the command line win over these options. On return
// argc/argv hold the arguments that are not the ORB's, as after ORB_init.
// ORB_init's exceptions (CORBA::INITIALIZE, CORBA::BAD_PARAM) reach the
// caller.
CORBA::ORB_ptr qelm_orb_init(int& argc, char** argv, const char* orb_id = QELM_ORB_ID,
                             unsigned long call_timeout_ms = QELM_CALL_TIMEOUT_MS,
                             const char* endpoint = nullptr);

// The same from a list of arguments WITHOUT a program name (for example
// qelm_system_orb_arguments(host)).
CORBA::ORB_ptr qelm_orb_init(const std::vector<std::string>& args, const char* orb_id = QELM_ORB_ID,
                             unsigned long call_timeout_ms = QELM_CALL_TIMEOUT_MS,
                             const char* endpoint = nullptr);
