// The Input menu's operator dialogs in the running console: each command
// builds its dialog with no parent, runs it modally and destroys it. The
// incident, VMS and work zone dialogs send through the console's controller
// (the frame offers them while a project is loaded and the system runs);
// the link property, strategy and scenario dialogs work on the run
// directory.
//
//   QELM_GUI_i gui;                       // the console's controller
//   CLogicApp app;
//   app.InitInstance();
//   BindInputDialogs(app.Frame(), gui);   // the run directory: the working directory
#pragma once

#include <filesystem>

class CMainFrame;
class ICommandSender;

// Binds Input "VMS", "Workzone", "Incident", "Network Modification",
// "Strategy Selection" and "Scenario Management" of the frame. The sender
// and the frame outlive the bindings.
void BindInputDialogs(CMainFrame& frame, ICommandSender& sender, std::filesystem::path runDir = ".");
