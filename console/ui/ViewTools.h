// The mouse tools of the network views. A view hands each left-button and
// move event to the tool of the current tool mode (g_nToolMode, shared by
// the three views); the tools themselves (zoom box, pan, select, OD pick)
// register here. A mode without a tool ignores the mouse.
//
//   class CPanTool : public IViewTool { ... };
//   static CPanTool pan;
//   RegisterViewTool(kToolPan, &pan);
#pragma once

#include <QPoint>
#include <Qt>

class CLogicView;

class IViewTool
{
public:
  virtual ~IViewTool() = default;
  // device: the mouse position in the view's client area (device pixels).
  virtual void OnLButtonDown(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) = 0;
  virtual void OnLButtonDblClk(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) = 0;
  virtual void OnLButtonUp(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) = 0;
  virtual void OnMouseMove(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) = 0;
};

// Installs the tool of a mode (not owned; null removes it).
void RegisterViewTool(int toolMode, IViewTool* tool);
// The tool of a mode, or null.
IViewTool* FindViewTool(int toolMode);
// Registers the four mouse tools of DrawTool.h (zoom box, pan, select, OD
// pick) under their modes; the views then hand them their mouse messages
// with device points and key flags.
void RegisterMouseTools();
