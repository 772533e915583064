// The clock view driven by the mouse and the arrow keys, its hour labels,
// and the control panel's property list and message list and debug.log,
// also from another thread.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "CClockView.h"
#include "CComponentView.h"
#include "CDrawLine.h"
#include "CLogicView.h"
#include "ConsoleWindows.h"
#include "DebugLog.h"
#include "GlobalArrays.h"
#include "ResultStores.h"
#include "UiFixtures.h"

using uitest::Console;
using uitest::GeneratedRunDir;

namespace {

int PredictionMinute()
{
  return g_pPredictionView0->Model().m_nMinute;
}

class ClockTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    g_ChartWindowStart = 0;
    g_ChartWindowEnd = 120;
    g_PredictionClock.nWindowStart = 0;
    g_PredictionClock.nWindowEnd = 120;
    clock = g_pClockView;
    clock->resize(800, 100);
    QApplication::processEvents();
  }
  QPoint PredictionMarker() const { return QPoint(clock->PredictionMarkerX(), clock->Axis().Y0() + 9); }
  GeneratedRunDir run;
  Console console;
  CClockView* clock = nullptr;
};

TEST_F(ClockTest, DragThePredictionMarker)
{
  QTest::mouseClick(clock, Qt::LeftButton, {}, PredictionMarker());
  EXPECT_TRUE(clock->Machine().m_bGrabPred);
  const int left = clock->Axis().left;
  QTest::mouseMove(clock, QPoint(left + 300, 60));  // minute 60
  EXPECT_EQ(PredictionMinute(), 60);
  EXPECT_EQ(g_pPredictionView1->Model().m_nMinute, 60);
  EXPECT_EQ(g_PredictionClock.nMinute, 60);
  EXPECT_EQ(g_PredictionOffset.load(), 60);
  // Releasing the button keeps it picked up; the next click elsewhere drops it.
  QTest::mouseRelease(clock, Qt::LeftButton, {}, QPoint(left + 300, 60));
  QTest::mouseMove(clock, QPoint(left + 350, 60));
  EXPECT_EQ(PredictionMinute(), 70);
  QTest::mouseClick(clock, Qt::LeftButton, {}, QPoint(left + 10, 60));
  QTest::mouseMove(clock, QPoint(left + 100, 60));
  EXPECT_EQ(PredictionMinute(), 70);
}

TEST_F(ClockTest, ArrowKeysStepTheMarkerOnceItHasTheFocus)
{
  QTest::keyClick(clock, Qt::Key_Right);
  EXPECT_EQ(PredictionMinute(), 0);  // no focus yet
  QTest::mouseClick(clock, Qt::LeftButton, {}, PredictionMarker());
  QTest::keyClick(clock, Qt::Key_Right);
  QTest::keyClick(clock, Qt::Key_Right);
  EXPECT_EQ(PredictionMinute(), 2);
  EXPECT_EQ(g_PredictionClock.nMinute, 2);
  QTest::keyClick(clock, Qt::Key_Left);
  EXPECT_EQ(PredictionMinute(), 1);
  g_PredictionClock.nWindowEnd = 1;
  QTest::keyClick(clock, Qt::Key_Right);  // would leave the stage
  EXPECT_EQ(PredictionMinute(), 1);
}

TEST_F(ClockTest, TheMarkersAndTheStageAreDrawn)
{
  g_PredictionClock.nWindowStart = 30;
  g_PredictionClock.nWindowEnd = 90;
  const QImage image = clock->grab().toImage();
  const int y0 = clock->Axis().Y0();
  const int x = MinuteToX(60, {0, 120}, clock->Axis());
  EXPECT_EQ(image.pixel(x, y0 - 8) & 0xFFFFFF, 0xCC33FFu);                   // the stage bar, pink
  EXPECT_EQ(image.pixel(clock->Axis().left + 2, y0) & 0xFFFFFF, 0x00FF00u);  // the axis, green
}

TEST_F(ClockTest, TheKeptLabelSizeFollowsTheWindowAndTheWidth)
{
  // The fitted size is kept between paints: after each change of window or
  // width the view gives what a view that never painted gives.
  g_PredictionClock.nWindowStart = g_PredictionClock.nWindowEnd = 0;
  const auto fresh = [&] {
    CClockView other;
    g_pClockView = clock;  // the console's clock stays the one
    other.resize(clock->size());
    return other.LabelFont().pixelSize();
  };
  struct Step
  {
    ChartWindow window;
    int width;
  };
  const Step steps[] = {{{1320, 1440}, 800}, {{0, 120}, 800},   {{1320, 1440}, 800},
                        {{1380, 60}, 500},   {{1380, 60}, 800}, {{0, 120}, 500}};
  std::set<int> sizes;
  for (const Step& s : steps) {
    SCOPED_TRACE(std::to_string(s.window.start) + " to " + std::to_string(s.window.end) + ", width " +
                 std::to_string(s.width));
    g_ChartWindowStart = s.window.start;
    g_ChartWindowEnd = s.window.end;
    clock->resize(s.width, 100);
    clock->grab();  // a paint, which keeps the size
    const int kept = clock->LabelFont().pixelSize();
    EXPECT_EQ(kept, fresh());
    sizes.insert(kept);
  }
  EXPECT_GT(sizes.size(), 1u);  // the windows need different sizes: the kept one changes
}

TEST_F(ClockTest, HourLabelsNeverOverlap)
{
  // No stage bar over the labels.
  g_PredictionClock.nWindowStart = g_PredictionClock.nWindowEnd = 0;
  const ChartWindow windows[] = {{0, 120}, {420, 540}, {540, 660}, {1320, 1440}, {1380, 60}};
  for (const ChartWindow& w : windows) {
    SCOPED_TRACE(std::to_string(w.start) + " to " + std::to_string(w.end));
    g_ChartWindowStart = w.start;
    g_ChartWindowEnd = w.end;
    const std::vector<CClockView::HourLabel> labels = clock->HourLabels();
    ASSERT_EQ(labels.size(), 25u);  // every fifth minute of two hours
    EXPECT_GE(clock->LabelFont().pixelSize(), 9);
    for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
      EXPECT_LT(labels[i].rect.right() + 1, labels[i + 1].rect.left())
          << labels[i].text.toStdString() << " runs into " << labels[i + 1].text.toStdString();
      for (std::size_t j = i + 1; j < labels.size(); ++j)
        EXPECT_FALSE(labels[i].rect.intersects(labels[j].rect));
    }
    // The labels are drawn where they are measured: green ink inside each
    // rectangle, none in the columns between two of them (away from the
    // markers, which stand over the labels' row).
    const QImage image = clock->grab().toImage();
    const auto green = [&](int x, int y) {
      const QColor c = image.pixelColor(x, y);
      return c.green() > 60 && c.red() < 40 && c.blue() < 40;
    };
    const int markers[2] = {clock->EstimationMarkerX(), clock->PredictionMarkerX()};
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const QRect r = labels[i].rect;
      int ink = 0;
      for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
          ink += green(x, y) ? 1 : 0;
      EXPECT_GT(ink, 0) << labels[i].text.toStdString();
      if (i + 1 == labels.size())
        continue;
      const int from = r.right() + 1, to = labels[i + 1].rect.left() - 1;
      if (std::abs(from - markers[0]) < 20 || std::abs(from - markers[1]) < 20)
        continue;
      for (int x = from; x <= to; ++x)
        for (int y = r.top(); y <= r.bottom(); ++y)
          EXPECT_FALSE(green(x, y)) << "between " << labels[i].text.toStdString() << " and the next, at "
                                    << x;
    }
  }
  g_ChartWindowStart = 0;
  g_ChartWindowEnd = 120;
}

TEST(ControlPanel, DebugLogLinesReachTheMessageListFromAnyThread)
{
  GeneratedRunDir run;
  Console console;
  const int before = g_pComponentView->MessageCount();
  DebugLog("on the window thread", 1);
  EXPECT_EQ(g_pComponentView->MessageCount(), before + 1);
  DebugLog("only in the file", 0);
  std::thread worker([] { DebugLog("from the message loop", 1); });
  worker.join();
  EXPECT_EQ(g_pComponentView->MessageCount(), before + 1);  // queued for the window thread
  QApplication::processEvents();
  EXPECT_EQ(g_pComponentView->MessageCount(), before + 2);
  std::ifstream in("debug.log", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "\non the window thread\nonly in the file\nfrom the message loop");
}

TEST(ControlPanel, ALongRunKeepsTheLastLineSelectedAndTheLongestLineReachable)
{
  GeneratedRunDir run;
  Console console;
  auto* list = g_pComponentView->findChild<QListWidget*>("messageList");
  ASSERT_NE(list, nullptr);
  const int before = list->count();
  for (int i = 0; i < 3000; ++i)
    g_pComponentView->AddMessage("line " + std::to_string(i));
  const std::string wide(400, 'W');
  g_pComponentView->AddMessage(wide);
  g_pComponentView->AddMessage("the last line");
  QApplication::processEvents();
  EXPECT_EQ(list->count(), before + 3002);
  EXPECT_EQ(list->currentRow(), list->count() - 1);
  // The view scrolled to the last line, which is drawn.
  const QRect last = list->visualItemRect(list->item(list->count() - 1));
  ASSERT_TRUE(list->viewport()->rect().intersects(last));
  const QImage image = list->viewport()->grab().toImage();
  QSet<QRgb> colours;  // the selection's fill and its text
  for (int x = std::max(last.left(), 0); x <= last.right() && x < image.width(); ++x)
    for (int y = std::max(last.top(), 0); y <= last.bottom() && y < image.height(); ++y)
      colours.insert(image.pixel(x, y));
  EXPECT_GE(colours.size(), 2);
  // The widest line can be scrolled into view.
  const QFontMetrics metrics(list->font());
  EXPECT_GE(list->horizontalScrollBar()->maximum() + list->viewport()->width(),
            metrics.horizontalAdvance(QString::fromStdString(wide)));
}

TEST(ControlPanel, APaintRightAfterANewLineDrawsTheLines)
{
  GeneratedRunDir run;
  Console console;
  auto* list = g_pComponentView->findChild<QListWidget*>("messageList");
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < 50; ++i)
    g_pComponentView->AddMessage("line " + std::to_string(i));
  QApplication::processEvents();
  const auto colours = [list] {
    const QImage image = list->viewport()->grab().toImage();
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        seen.insert(image.pixel(x, y));
    return seen.size();
  };
  const auto settled = colours();
  EXPECT_GT(settled, 2);
  // No turn of the event loop between the new line and the paint, as when
  // the window is exposed then.
  g_pComponentView->AddMessage("one more");
  EXPECT_GT(colours(), 2);
}

TEST(ControlPanel, ALinksTenRowsShowWholeUnderTheirCaptionsAndTheProgressLinesFit)
{
  GeneratedRunDir run;
  Console console;
  // The frame at its size on a 1600 x 1000 screen.
  console.Frame().resize(1600, 960);
  console.Frame().LayOutPanes();
  QApplication::processEvents();
  console.Frame().ExecuteCommand(kCmdLoadData);
  g_SelectedLinks = {g_LineArray[2]};
  g_pEstimationView->Model().m_nMinute = 15;
  g_pComponentView->ShowLinkProperties();
  QApplication::processEvents();

  auto* list = g_pComponentView->findChild<QTableWidget*>("propertyList");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->rowCount(), 10);
  // Each row whole in the list, the list whole in the panel.
  const QRect panel = g_pComponentView->viewport()->rect();
  EXPECT_TRUE(panel.contains(QRect(list->mapTo(g_pComponentView->viewport(), QPoint(0, 0)), list->size())));
  const QFontMetrics metrics(list->font());
  for (int row = 0; row < 10; ++row) {
    SCOPED_TRACE(list->item(row, 0)->text().toStdString());
    const QRect name = list->visualItemRect(list->item(row, 0));
    const QRect value = list->visualItemRect(list->item(row, 1));
    EXPECT_TRUE(list->viewport()->rect().contains(name));
    EXPECT_TRUE(list->viewport()->rect().contains(value));
    // One line, and room for the whole text.
    EXPECT_LT(name.height(), 2 * metrics.height());
    EXPECT_LT(metrics.horizontalAdvance(list->item(row, 0)->text()), name.width());
    EXPECT_LT(metrics.horizontalAdvance(list->item(row, 1)->text()), value.width());
  }
  // The captions stand over their columns, in the form's coordinates.
  QWidget* form = g_pComponentView->widget();
  const char* const captions[2] = {"nameCaption", "valueCaption"};
  for (int column = 0; column < 2; ++column) {
    auto* caption = g_pComponentView->findChild<QLabel*>(captions[column]);
    ASSERT_NE(caption, nullptr);
    const int textLeft = caption->mapTo(form, QPoint(caption->indent(), 0)).x();
    const int columnLeft = list->viewport()->mapTo(form, QPoint(list->columnViewportPosition(column), 0)).x();
    EXPECT_GE(textLeft, columnLeft);
    EXPECT_LE(textLeft + caption->fontMetrics().horizontalAdvance(caption->text()),
              columnLeft + list->columnWidth(column));
    EXPECT_LE(caption->mapTo(form, QPoint(0, caption->height())).y(), list->mapTo(form, QPoint(0, 0)).y());
  }
  // The widest line of a run shows whole: no scrolling sideways.
  auto* messages = g_pComponentView->findChild<QListWidget*>("messageList");
  g_pComponentView->AddMessage("Started naming_service.bat (Naming_Service), process 4194304.");
  QApplication::processEvents();
  EXPECT_EQ(messages->horizontalScrollBar()->maximum(), 0);
  EXPECT_TRUE(
      panel.contains(QRect(messages->mapTo(g_pComponentView->viewport(), QPoint(0, 0)), messages->size())));
  g_SelectedLinks.clear();
}

TEST(ControlPanel, AValueWiderThanTheListWidensItsColumnAndTheListScrollsSideways)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  auto* list = g_pComponentView->findChild<QTableWidget*>("propertyList");
  ASSERT_NE(list, nullptr);
  g_SelectedLinks = {g_LineArray[2]};
  g_pComponentView->ShowLinkProperties();
  QApplication::processEvents();
  const QSize usual = list->size();
  const int usualValueWidth = list->columnWidth(1);
  EXPECT_FALSE(list->horizontalScrollBar()->isVisible());

  // A sat rate the network file may hold: 29 characters.
  const double satRate = g_LineArray[2]->m_dSatRate;
  g_LineArray[2]->m_dSatRate = 1e25;
  g_pComponentView->ShowLinkProperties();
  QApplication::processEvents();
  QTableWidgetItem* wide = list->item(6, 1);
  ASSERT_NE(wide, nullptr);
  ASSERT_EQ(wide->text().toStdString(), "10000000000000000905969664.00");
  const QFontMetrics metrics(list->font());
  EXPECT_LT(metrics.horizontalAdvance(wide->text()), list->columnWidth(1));
  EXPECT_GT(list->columnWidth(1), usualValueWidth);
  // The list keeps its width and scrolls; its bar lies below the ten rows.
  EXPECT_EQ(list->width(), usual.width());
  EXPECT_TRUE(list->horizontalScrollBar()->isVisible());
  for (int scroll : {0, list->horizontalScrollBar()->maximum()}) {
    list->horizontalScrollBar()->setValue(scroll);
    for (int row = 0; row < 10; ++row) {
      const QRect cell = list->visualItemRect(list->item(row, 1));
      EXPECT_GE(cell.top(), 0);
      EXPECT_LE(cell.bottom(), list->viewport()->rect().bottom());
    }
  }
  // Scrolled to its end, the whole value shows.
  const QRect value = list->visualItemRect(wide);
  EXPECT_TRUE(list->viewport()->rect().contains(value)) << value.x() << " " << value.width();

  // The next link with usual values gives the list back its usual size.
  g_LineArray[2]->m_dSatRate = satRate;
  g_pComponentView->ShowLinkProperties();
  QApplication::processEvents();
  EXPECT_EQ(list->size(), usual);
  EXPECT_EQ(list->columnWidth(1), usualValueWidth);
  EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
  g_SelectedLinks.clear();
}

TEST(ControlPanel, LinkRowsFollowTheEstimationMinute)
{
  GeneratedRunDir run;
  Console console;
  console.Frame().ExecuteCommand(kCmdLoadData);
  CDrawLine* link = g_LineArray[3];
  link->SetSeries(kMeasureQueue, 0, 15, 35);
  g_SelectedLinks = {g_LineArray[0], link};
  g_pComponentView->ShowLinkProperties();
  ASSERT_EQ(g_pComponentView->PropertyRows().size(), 10u);
  EXPECT_EQ(g_pComponentView->PropertyRows()[0].second, "4");   // the link selected last
  EXPECT_EQ(g_pComponentView->PropertyRows()[9].second, "--");  // minute 0
  g_pEstimationView->Model().m_nMinute = 15;
  g_pComponentView->ShowLinkProperties();
  EXPECT_EQ(g_pComponentView->PropertyRows()[9].second, "35.00");
  g_SelectedLinks.clear();
}

}  // namespace
