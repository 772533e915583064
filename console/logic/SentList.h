// Add, Change and Delete on an operator list whose objects Management also
// keeps (incidents, work zones, the estimation's signs): each change goes
// into the global array and is sent as commands, a change as a remove of the
// old object followed by an add of the new one, so that Management never
// keeps the old one. The sends of one action are handed to the sender as one
// action (ICommandSender::RunAction), with copies of the objects: the
// console's sender makes them off the window thread, after the array may
// have changed again. A failed action shows the controller's last error
// once; the array keeps the change.
//
//   SentList<CIncident> list(g_IncidentArray, SendIncidentCommand, sender, sink);
//   list.Add(BuildIncident(c, sink));
//   list.Change(position, [&] { return BuildIncident(c, sink); });
//   list.Delete(position);
#pragma once

#include <functional>
#include <memory>

#include "CProject.h"  // IMessageSink
#include "CommandSender.h"
#include "DialogLists.h"
#include "GlobalArrays.h"

template <class T>
class SentList
{
public:
  // Sends an object with the add (1) or remove (0) code; the sender's result.
  using SendFn = int (*)(ICommandSender& sender, int action, const T& object);

  SentList(CTypedObArray<T>& array, SendFn send, ICommandSender& sender, IMessageSink& sink)
      : m_array(array), m_send(send), m_sender(sender), m_sink(sink)
  {}

  // Appends and sends; false for no object (a failed build).
  bool Add(std::unique_ptr<T> object)
  {
    if (!object)
      return false;
    ICommandSender::Sends sends = {Sent(kAdd, *object)};
    m_array.Add(std::move(object));
    m_sender.RunAction(std::move(sends), m_sink);
    return true;
  }

  // Replaces the object at a position with a built one. Nothing happens
  // for a position outside the array, nor (the stored object kept) when the
  // build fails; the build runs only for a valid position.
  bool Change(int position, const std::function<std::unique_ptr<T>()>& build)
  {
    if (!m_array.GetAt(position))
      return false;
    std::unique_ptr<T> object = build();
    if (!object)
      return false;
    ICommandSender::Sends sends = {Sent(kRemove, *m_array.GetAt(position)), Sent(kAdd, *object)};
    m_array.RemoveAt(position);
    m_array.InsertAt(position, object.release());
    m_sender.RunAction(std::move(sends), m_sink);
    return true;
  }

  bool Delete(int position)
  {
    const T* stored = m_array.GetAt(position);
    if (!stored)
      return false;
    ICommandSender::Sends sends = {Sent(kRemove, *stored)};
    m_array.RemoveAt(position);
    m_sender.RunAction(std::move(sends), m_sink);
    return true;
  }

private:
  static constexpr int kAdd = 1;
  static constexpr int kRemove = 0;

  // One send of a copy of the object.
  ICommandSender::Send Sent(int action, const T& object) const
  {
    return
        [send = m_send, action, copy = object](ICommandSender& sender) { return send(sender, action, copy); };
  }

  CTypedObArray<T>& m_array;
  SendFn m_send;
  ICommandSender& m_sender;
  IMessageSink& m_sink;
};
