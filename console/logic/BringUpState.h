// The main frame's bring-up states (m_nSystemState), by name: what the File
// menu's steps have done so far. The command rules, the frame and the
// bring-up sequence read and set them.
//
//   if (frame.m_nSystemState == kStateNamingService) ...   // 2: naming service started
//
// The path is kStateNothing -> kStateSettingsChecked -> kStateNamingService
// -> (kStateClientModules when the modules are distributed) ->
// kStateServerModules -> kStateStarted, and from kStateNamingService ..
// kStateStarted -> kStateClosed; nothing leads out of kStateClosed. Pause
// simulation alone sets kStatePaused, which no bring-up step offers.
#pragma once

enum BringUpState : int {
  kStateNothing = 0,
  kStateSettingsChecked = 1,
  kStateNamingService = 2,
  kStateClientModules = 3,  // or, inside Setup CORBA and Start, a failed subscription
  kStateServerModules = 4,  // or, inside Setup CORBA and Start, connected and subscribed
  kStateStarted = 5,
  kStateClosed = 6,
  kStatePaused = 100,  // pause requested
};
