// The toolbar's button pictures, drawn once with QPainter.
#pragma once

#include <QIcon>

// The picture of a toolbar command (an empty icon for a command without
// one). Made on first use and kept.
QIcon ToolbarIcon(int commandId);
