#include "UiTestApp.h"

#include <QApplication>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

class QtAppEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vlq_ui_test";
    static char* argv[] = {name, nullptr};
    m_app = new QApplication(argc, argv);
  }
  void TearDown() override
  {
    delete m_app;
    m_app = nullptr;
  }

private:
  QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace

namespace uitest {

QImage Grab(QWidget* widget)
{
  QPixmap pixmap = widget->grab();
  pixmap.setDevicePixelRatio(1.0);
  return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

unsigned PixelRef(const QImage& image, int x, int y)
{
  QColor c = image.pixelColor(x, y);
  return static_cast<unsigned>(c.red()) | (static_cast<unsigned>(c.green()) << 8) |
         (static_cast<unsigned>(c.blue()) << 16);
}

bool HasColourNear(const QImage& image, int x, int y, unsigned colour, int radius)
{
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx) {
      int px = x + dx;
      int py = y + dy;
      if (px >= 0 && py >= 0 && px < image.width() && py < image.height() &&
          PixelRef(image, px, py) == colour)
        return true;
    }
  return false;
}

}  // namespace uitest
