// Message codes carried in MSG.ID between the programs of the system, and
// the payload sizes of the console's command messages.
#pragma once

enum QELMMsgCode : int {
  MSG_CYCLIC_STARTED = 2,
  MSG_CYCLIC_STOPPED = 3,
  MSG_CYCLIC_HALTED = 4,
  MSG_CYCLIC_FAILED = 5,

  MSG_NOWSIM_STARTED = 8,
  MSG_NOWSIM_ENDED = 9,
  MSG_FORESIM_STARTED = 14,
  MSG_FORESIM_ENDED = 15,
  MSG_ODE_STARTED = 20,
  MSG_ODE_ENDED = 21,
  MSG_ODEC_STARTED = 22,
  MSG_ODEC_ENDED = 23,
  MSG_ODP_STARTED = 28,
  MSG_ODP_ENDED = 29,
  MSG_FARVET_STARTED = 32,
  MSG_FARVET_ENDED = 33,
  MSG_NEARVET_STARTED = 38,
  MSG_NEARVET_ENDED = 39,
  MSG_FORESIM1_STARTED = 50,
  MSG_FORESIM1_ENDED = 51,

  MSG_INCIDENT_ADD = 42,
  MSG_INCIDENT_REMOVE = 43,
  MSG_VMS_ADD = 44,
  MSG_VMS_REMOVE = 45,
  MSG_WORKZONE_ADD = 46,
  MSG_WORKZONE_REMOVE = 47,
};

// Payload sizes of the command messages, in bytes.
enum : unsigned {
  INCIDENT_MSG_ARG_SIZE = 20,  // IncidentMsgArg, codes 42 and 43
  VMS_MSG_ARG_SIZE = 428,      // VMSMsgArg, codes 44 and 45
  WORKZONE_MSG_ARG_SIZE = 28,  // WorkZoneMsgArg, codes 46 and 47
};
