// One-pixel solid lines written straight into 32-bit pixels. Used for the
// thin solid pens, which draw nearly every stroke of a network: the pixel
// of each column (or each row, for a steep line) is the one nearest the
// exact line, halves rounded up, so a line gives the same pixels whichever
// end it starts from and however the image's rows are split among threads.
// Both end pixels are drawn.
//
//   RasterLine(pixels, image.bytesPerLine() / 4, image.width(), 0, image.height(), {a, b}, qRgb(0, 255, 0));
#pragma once

#include <QLine>
#include <QRgb>
#include <QtGlobal>

// Writes the line's pixels that lie in columns 0 .. width - 1 and in rows
// rowBegin .. rowEnd - 1 (row r at pixels + r * stride).
void RasterLine(QRgb* pixels, qsizetype stride, int width, int rowBegin, int rowEnd, const QLine& line,
                QRgb colour);
