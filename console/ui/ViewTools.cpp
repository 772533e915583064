#include "ViewTools.h"

#include "CLogicView.h"
#include "ConsoleState.h"
#include "DrawTool.h"

#include <map>

namespace {
std::map<int, IViewTool*>& Tools()
{
  static std::map<int, IViewTool*> tools;
  return tools;
}
}  // namespace

void RegisterViewTool(int toolMode, IViewTool* tool)
{
  if (tool)
    Tools()[toolMode] = tool;
  else
    Tools().erase(toolMode);
}

IViewTool* FindViewTool(int toolMode)
{
  auto it = Tools().find(toolMode);
  return it == Tools().end() ? nullptr : it->second;
}

namespace {

// A tool of DrawTool.h behind the views' Qt events.
class CToolAdapter : public IViewTool
{
public:
  explicit CToolAdapter(int toolMode) : m_nMode(toolMode) {}
  void OnLButtonDown(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) override
  {
    if (CDrawTool* tool = CDrawTool::FindTool(m_nMode))
      tool->OnLButtonDown(view, Flags(keys), {device.x(), device.y()});
  }
  void OnLButtonDblClk(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) override
  {
    if (CDrawTool* tool = CDrawTool::FindTool(m_nMode))
      tool->OnLButtonDblClk(view, Flags(keys), {device.x(), device.y()});
  }
  void OnLButtonUp(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) override
  {
    if (CDrawTool* tool = CDrawTool::FindTool(m_nMode))
      tool->OnLButtonUp(view, Flags(keys) & ~kKeyLButton, {device.x(), device.y()});
  }
  void OnMouseMove(CLogicView& view, Qt::KeyboardModifiers keys, QPoint device) override
  {
    if (CDrawTool* tool = CDrawTool::FindTool(m_nMode))
      tool->OnMouseMove(view, Flags(keys) & ~kKeyLButton, {device.x(), device.y()});
  }

private:
  static unsigned Flags(Qt::KeyboardModifiers keys)
  {
    unsigned flags = kKeyLButton;
    if (keys & Qt::ShiftModifier)
      flags |= kKeyShift;
    if (keys & Qt::ControlModifier)
      flags |= kKeyControl;
    return flags;
  }
  int m_nMode;
};

}  // namespace

void RegisterMouseTools()
{
  static CToolAdapter adapters[] = {CToolAdapter(kToolZoomBox), CToolAdapter(kToolPan),
                                    CToolAdapter(kToolSelect), CToolAdapter(kToolODPick)};
  for (int mode = kToolZoomBox; mode <= kToolODPick; ++mode)
    RegisterViewTool(mode, &adapters[mode]);
}
