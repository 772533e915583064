#include "ViewTools.h"

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
