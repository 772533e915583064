// The QApplication of a widget test program (offscreen unless the
// environment says otherwise), created before the first test and deleted
// after the last; and small helpers over grabbed images.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace uitest {

// The widget as painted now, one image pixel per widget pixel.
QImage Grab(QWidget* widget);
// The colour of an image pixel as 0x00BBGGRR.
unsigned PixelRef(const QImage& image, int x, int y);
// True when a pixel within `radius` of (x, y) has the colour.
bool HasColourNear(const QImage& image, int x, int y, unsigned colour, int radius = 1);

}  // namespace uitest
