#include "GuiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <atomic>

namespace {

// The object on the GUI thread whose event loop runs the posted functions.
std::atomic<QObject*> g_guiObject{nullptr};

}  // namespace

void InstallGuiThread()
{
  if (g_guiObject.load())
    return;
  auto* object = new QObject(QCoreApplication::instance());
  QObject::connect(object, &QObject::destroyed, [] { g_guiObject.store(nullptr); });
  g_guiObject.store(object);
}

bool IsGuiThread()
{
  QObject* o = g_guiObject.load();
  return o && QThread::currentThread() == o->thread();
}

void PostToGui(std::function<void()> fn)
{
  QObject* o = g_guiObject.load();
  if (!o || !fn)
    return;
  QMetaObject::invokeMethod(o, std::move(fn), Qt::QueuedConnection);
}

void RunOnGui(std::function<void()> fn)
{
  if (IsGuiThread()) {
    if (fn)
      fn();
  } else {
    PostToGui(std::move(fn));
  }
}
