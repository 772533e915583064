#include "LineRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

// floor(a / b) for b > 0.
long long FloorDiv(long long a, long long b)
{
  long long q = a / b;
  if ((a % b != 0) && (a < 0))
    --q;
  return q;
}

// Walks the major axis u from u0 over du >= 0 steps; the minor coordinate
// at step t is v0 + floor((2 t dv + du) / (2 du)). plot(u, v) is called for
// the steps whose u lies in [uLo, uHi] and whose v lies in [vLo, vHi].
template <class Plot>
void Walk(long long u0, long long v0, long long du, long long dv, long long uLo, long long uHi, long long vLo,
          long long vHi, Plot plot)
{
  if (du == 0) {
    if (u0 >= uLo && u0 <= uHi && v0 >= vLo && v0 <= vHi)
      plot(u0, v0);
    return;
  }
  long long tBegin = std::max(0LL, uLo - u0), tEnd = std::min(du, uHi - u0);
  if (dv != 0) {
    // The steps whose minor coordinate can lie within [vLo, vHi], widened
    // by two on each side; every pixel is checked below all the same.
    const double slope = static_cast<double>(du) / static_cast<double>(dv);
    double t1 = (static_cast<double>(vLo - v0) - 1.0) * slope,
           t2 = (static_cast<double>(vHi - v0) + 1.0) * slope;
    if (t1 > t2)
      std::swap(t1, t2);
    if (t2 < static_cast<double>(tBegin) - 2 || t1 > static_cast<double>(tEnd) + 2)
      return;
    tBegin = std::max(tBegin, static_cast<long long>(std::floor(t1)) - 2);
    tEnd = std::min(tEnd, static_cast<long long>(std::ceil(t2)) + 2);
  } else if (v0 < vLo || v0 > vHi) {
    return;
  }
  if (tBegin > tEnd)
    return;
  // The first step by the formula, the others by adding: num = 2 t dv + du
  // is kept as v (minus v0) times 2 du plus a remainder in [0, 2 du).
  const long long twoDu = 2 * du, twoDv = 2 * dv;
  long long q = FloorDiv(2 * tBegin * dv + du, twoDu);
  long long rem = 2 * tBegin * dv + du - q * twoDu;
  long long v = v0 + q;
  for (long long t = tBegin;; ++t) {
    if (v >= vLo && v <= vHi)
      plot(u0 + t, v);
    if (t == tEnd)
      break;
    rem += twoDv;
    if (rem >= twoDu) {
      rem -= twoDu;
      ++v;
    } else if (rem < 0) {
      rem += twoDu;
      --v;
    }
  }
}

}  // namespace

void RasterLine(QRgb* pixels, qsizetype stride, int width, int rowBegin, int rowEnd, const QLine& line,
                QRgb colour)
{
  long long x0 = line.x1(), y0 = line.y1(), x1 = line.x2(), y1 = line.y2();
  const long long dx = x1 - x0, dy = y1 - y0;
  if (std::llabs(dx) >= std::llabs(dy)) {
    if (dx < 0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    Walk(x0, y0, x1 - x0, y1 - y0, 0, width - 1, rowBegin, rowEnd - 1,
         [&](long long x, long long y) { pixels[y * stride + x] = colour; });
  } else {
    if (dy < 0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    Walk(y0, x0, y1 - y0, x1 - x0, rowBegin, rowEnd - 1, 0, width - 1,
         [&](long long y, long long x) { pixels[y * stride + x] = colour; });
  }
}
