// The one way for another thread to reach the console's widgets: PostToGui
// queues a function that the GUI thread runs from its event loop. Widgets
// are touched only on the GUI thread; the observation thread, the ORB
// threads and the message loop hand their work over through here.
//
//   InstallGuiThread();                      // once, on the GUI thread, after the QApplication
//   PostToGui([line] { g_pComponentView->AddMessage(line); });   // from any thread
#pragma once

#include <functional>

// Makes the calling thread (the QApplication's) the GUI thread.
void InstallGuiThread();
// True on the GUI thread.
bool IsGuiThread();
// Queues fn to run on the GUI thread, also when called there (it then runs
// later, from the event loop). Dropped when no GUI thread is installed.
void PostToGui(std::function<void()> fn);
// Runs fn at once on the GUI thread, else queues it.
void RunOnGui(std::function<void()> fn);
