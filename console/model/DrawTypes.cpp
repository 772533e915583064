#include "DrawTypes.h"

int TruncScreen(double v)
{
  if (!(v == v))
    return 0;
  if (v >= kScreenCoordLimit)
    return kScreenCoordLimit;
  if (v <= -kScreenCoordLimit)
    return -kScreenCoordLimit;
  return static_cast<int>(v);
}

ScreenPoint ToScreen(const IDrawTarget& target, const WorldPoint& p)
{
  ScreenPointD s = target.WorldToScreenD(p);
  return {TruncScreen(s.x), TruncScreen(s.y)};
}
