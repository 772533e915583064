// The information sheet and its pages: caption, pages and names, the first
// show, first selections, the link list and its hook, remembered items,
// hiding on close, and which charts RefreshPreviews repaints.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "InfoPreview.h"
#include "InfoSheetFixture.h"
#include "PageConsistencyChecking.h"
#include "PageExecutionStatus.h"
#include "PageNetworkPerformance.h"
#include "PageODTable.h"
#include "PageTDLink.h"
#include "WidgetProbes.h"

using uitest::ClickLine;
using uitest::PaintCounter;

namespace {

QString CurrentText(const QListWidget* list)
{
  return list->currentItem() ? list->currentItem()->text() : QString();
}

QStringList ListNames(const QWidget* page)
{
  QStringList names;
  for (const QListWidget* list : page->findChildren<QListWidget*>())
    names << list->accessibleName();
  return names;
}

class InfoSheet : public uitest::InfoSheetTest
{};

TEST_F(InfoSheet, CaptionPagesAndNames)
{
  MakeSheet();
  EXPECT_EQ(sheet->windowTitle(), "VORLANTIS-Q Information");
  EXPECT_FALSE(sheet->isModal());
  QTabWidget* tabs = sheet->Pages();
  ASSERT_EQ(tabs->count(), 5);
  QStringList titles;
  for (int i = 0; i < tabs->count(); ++i)
    titles << tabs->tabText(i);
  EXPECT_EQ(titles, (QStringList{"Temporal Demand", "Link Information", "Overall Network Performance",
                                 "Consistency Checking", "System Execution Status"}));
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(tabs->widget(0), sheet->ODTablePage());
  EXPECT_EQ(tabs->widget(4), sheet->ExecutionStatusPage());

  EXPECT_EQ(ListNames(sheet->ODTablePage()),
            (QStringList{"Origin ID:", "Destination ID:", "Begin Time:", "End Time:", "Max Y:"}));
  EXPECT_EQ(ListNames(sheet->TDLinkPage()), (QStringList{"Links", "Begin Time:", "End Time:", "Max Y:"}));
  EXPECT_EQ(ListNames(sheet->PerformancePage()),
            (QStringList{"Begin Time:", "End Time:", "Min Y:", "Max Y:"}));
  EXPECT_EQ(ListNames(sheet->ConsistencyPage()),
            (QStringList{"Begin Time:", "End Time:", "Min Y:", "Max Y:"}));
  EXPECT_TRUE(ListNames(sheet->ExecutionStatusPage()).isEmpty());

  CPageTDLink* link = sheet->TDLinkPage();
  EXPECT_EQ(link->MeasureRadio(kLinkDensity)->text(), "Link Density");
  EXPECT_EQ(link->MeasureRadio(kLinkSpeed)->text(), "Link Speed");
  EXPECT_EQ(link->MeasureRadio(kLinkQueue)->text(), "Link Queue");
  EXPECT_EQ(link->ObservedOnlyBox()->text(), "Show links with obs only");
  CPageNetworkPerformance* perf = sheet->PerformancePage();
  QStringList radios;
  for (const QRadioButton* r : perf->findChildren<QRadioButton*>())
    radios << r->text();
  EXPECT_EQ(radios, (QStringList{"Number of Vehicles in Network", "Average Speed on Freeway",
                                 "Average Speed on Surface Streets", "Average Travel Time"}));
  EXPECT_EQ(perf->findChild<QGroupBox*>()->title(), "MOE:");
  QStringList texts;
  for (const QLabel* l : sheet->ODTablePage()->findChildren<QLabel*>())
    texts << l->text();
  EXPECT_TRUE(texts.contains("Y-axis unit: Number of vehicles generated."));
  EXPECT_TRUE(texts.contains("X-axis unit: Minute"));
}

TEST_F(InfoSheet, FirstShowGrowsThePageOnceAndFillsItsLists)
{
  MakeSheet();
  CPageODTable* page = sheet->ODTablePage();
  int before = page->minimumHeight();
  EXPECT_FALSE(page->IsInitialized());
  EXPECT_EQ(page->BeginList()->count(), 0);
  EXPECT_FALSE(page->ODChart()->isVisible());
  ShowPage(page);
  EXPECT_TRUE(page->IsInitialized());
  EXPECT_EQ(page->minimumHeight(), before + 300);
  EXPECT_EQ(page->BeginList()->count(), 144);
  EXPECT_EQ(page->MaxYList()->count(), 5002);
  EXPECT_EQ(CurrentText(page->MaxYList()), "490");
  EXPECT_TRUE(page->ODChart()->isVisible());
  EXPECT_EQ(page->ODChart()->geometry().left(), 20);
  EXPECT_EQ(page->ODChart()->geometry().top(), CPageODTable::kChartTop);
  EXPECT_EQ(page->ODChart()->geometry().right() + 1, page->width() - 20);
  EXPECT_EQ(page->ODChart()->geometry().bottom() + 1, page->height() - 10);
  sheet->hide();
  sheet->show();
  QApplication::processEvents();
  EXPECT_EQ(page->minimumHeight(), before + 300);
  // A page not yet shown has its chart hidden.
  EXPECT_FALSE(sheet->ConsistencyPage()->IsInitialized());
  EXPECT_FALSE(sheet->ConsistencyPage()->ConsistencyChart()->isVisible());
}

TEST_F(InfoSheet, TimeListsSelectTheChartWindow)
{
  struct Case
  {
    int start, end;
    const char* begin;
    const char* endText;
    TimeRange range;
  } cases[] = {
      {0, 120, "0:00", "2:00", {0, 120}},
      {1380, 60, "23:00", "1:00", {1380, 60}},  // rolled over midnight: the charts show axes only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    g_ChartWindowStart = c.start;
    g_ChartWindowEnd = c.end;
    MakeLinks(1);
    g_SelectedLinks = {g_LineArray[0]};
    MakeSheet();
    for (CInfoPage* page : std::initializer_list<CInfoPage*>{
             sheet->ODTablePage(), sheet->TDLinkPage(), sheet->PerformancePage(), sheet->ConsistencyPage()}) {
      ShowPage(page);
      EXPECT_EQ(CurrentText(page->BeginList()), c.begin);
      EXPECT_EQ(CurrentText(page->EndList()), c.endText);
      EXPECT_EQ(page->Range(), c.range);
      uitest::Grab(page->Chart());  // paints without dividing by zero
    }
    sheet.reset();
    uitest::ResetStores();
  }
}

TEST_F(InfoSheet, ODListsFollowTheZoneCountAndTakeTheODPick)
{
  struct Case
  {
    int zones;
    const char* origin;
  } cases[] = {{10, "2"}, {120, "16"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zones);
    ASSERT_TRUE(g_Project.SetODSize(c.zones));
    MakeSheet();
    ShowPage(sheet->ODTablePage());
    EXPECT_EQ(CurrentText(sheet->ODTablePage()->OriginList()), c.origin);
    EXPECT_EQ(CurrentText(sheet->ODTablePage()->DestinationList()), "1");
    sheet.reset();
  }

  ASSERT_TRUE(g_Project.SetODSize(10));
  MakeSheet();
  ShowPage(sheet->PerformancePage());
  sheet->hide();
  sheet->ShowODPair(4, 7);
  QApplication::processEvents();
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(sheet->Pages()->currentWidget(), sheet->ODTablePage());
  EXPECT_EQ(sheet->ODTablePage()->OriginIndex(), 4);
  EXPECT_EQ(sheet->ODTablePage()->DestinationIndex(), 7);
  sheet->ShowODPair(10, -1);  // positions the lists lack leave them
  EXPECT_EQ(sheet->ODTablePage()->OriginIndex(), 4);
  EXPECT_EQ(sheet->ODTablePage()->DestinationIndex(), 7);
}

TEST_F(InfoSheet, LinkListWithObservedLinksOnly)
{
  MakeLinks(6, {1, 3, 5});
  MakeSheet();
  CPageTDLink* page = sheet->TDLinkPage();
  ShowPage(page);
  ASSERT_EQ(page->LinkList()->count(), 6);
  EXPECT_EQ(page->LinkList()->item(1)->text(), "No.2: 2->3  x");
  EXPECT_EQ(page->LinkList()->item(2)->text(), "No.3: 3->4   ");
  EXPECT_EQ(page->LinkList()->currentRow(), 0);  // no selected link: line 0
  EXPECT_TRUE(selectedLinks.empty());

  page->ObservedOnlyBox()->click();
  ASSERT_EQ(page->LinkList()->count(), 3);
  EXPECT_EQ(page->LinkList()->currentRow(), 0);
  ClickLine(page->LinkList(), 2);
  EXPECT_EQ(selectedLinks, (std::vector<int>{5}));  // the third observed link
  EXPECT_EQ(page->LinkList()->currentRow(), 2);     // and its line stays selected
  sheet->RefreshPreviews();
  EXPECT_EQ(page->LinkList()->currentRow(), 2);

  page->ObservedOnlyBox()->click();  // every link again
  ASSERT_EQ(page->LinkList()->count(), 6);
  ClickLine(page->LinkList(), 4);
  EXPECT_EQ(selectedLinks, (std::vector<int>{5, 4}));
  EXPECT_EQ(page->LinkList()->currentRow(), 4);
}

TEST_F(InfoSheet, LinkListWithNoObservedLinkOrNoLink)
{
  MakeLinks(3);
  MakeSheet();
  CPageTDLink* page = sheet->TDLinkPage();
  ShowPage(page);
  page->ObservedOnlyBox()->click();
  EXPECT_EQ(page->LinkList()->count(), 0);
  EXPECT_EQ(page->LinkList()->currentRow(), -1);
  sheet->RefreshPreviews();
  uitest::Grab(page->LinkChart());
  EXPECT_TRUE(selectedLinks.empty());
  sheet.reset();

  g_LineArray.RemoveAll();
  MakeSheet();
  ShowPage(sheet->TDLinkPage());
  EXPECT_EQ(sheet->TDLinkPage()->LinkList()->count(), 0);
  sheet->RefreshPreviews();
  EXPECT_TRUE(selectedLinks.empty());
}

TEST_F(InfoSheet, LinkChartFollowsTheSelectedLinkWithoutReselectingIt)
{
  MakeLinks(6);
  g_SelectedLinks = {g_LineArray[2]};
  MakeSheet();
  CPageTDLink* page = sheet->TDLinkPage();
  ShowPage(page);
  EXPECT_EQ(page->LinkList()->currentRow(), 2);
  g_SelectedLinks = {g_LineArray[1], g_LineArray[4]};  // picked in a view
  sheet->RefreshPreviews();
  EXPECT_EQ(page->LinkList()->currentRow(), 4);  // the last selected link
  EXPECT_TRUE(selectedLinks.empty());
}

TEST_F(InfoSheet, LinkMeasureRadios)
{
  MakeLinks(2);
  MakeSheet();
  CPageTDLink* page = sheet->TDLinkPage();
  ShowPage(page);
  CInfoPreviewWndLink* chart = page->LinkChart();
  EXPECT_TRUE(page->MeasureRadio(kLinkDensity)->isChecked());
  EXPECT_EQ(CurrentText(page->MaxYList()), "200");
  EXPECT_EQ(page->UnitText()->text(), "Y-axis unit: Vehicle/mile/lane.");

  struct Case
  {
    int radio;
    QStringList items;
    const char* unit;
  } cases[] = {
      {kLinkSpeed, {"100", "200"}, "Y-axis unit: Mile/hour"},
      {kLinkQueue, {"100"}, "Y-axis unit: Percentage of link length with a queue."},
      {kLinkDensity, {"50", "100", "200", "300"}, "Y-axis unit: Vehicle/mile/lane."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.radio);
    page->MeasureRadio(c.radio)->click();
    EXPECT_EQ(chart->Measure(), c.radio);
    QStringList items;
    for (int i = 0; i < page->MaxYList()->count(); ++i)
      items << page->MaxYList()->item(i)->text();
    EXPECT_EQ(items, c.items);
    EXPECT_EQ(page->UnitText()->text(), c.unit);
    for (int r : {kLinkDensity, kLinkSpeed, kLinkQueue})
      EXPECT_EQ(page->MeasureRadio(r)->isChecked(), r == c.radio);
  }

  // The speed's "200" is what the chart uses.
  page->MeasureRadio(kLinkSpeed)->click();
  page->MaxYList()->setCurrentRow(1);
  LinkChartInput in = chart->SetupScale({0, 0, chart->width(), chart->height()});
  EXPECT_EQ(LinkValueRange(in.measure, in.maxYIndex).maximum, 200);
}

TEST_F(InfoSheet, PerformanceRemembersItemsThroughItsRadios)
{
  MakeSheet();
  CPageNetworkPerformance* page = sheet->PerformancePage();
  ShowPage(page);
  EXPECT_TRUE(page->MeasureRadio(kPerfVehicles)->isChecked());
  EXPECT_EQ(CurrentText(page->MinYList()), "0");
  EXPECT_EQ(CurrentText(page->MaxYList()), "8000");
  EXPECT_EQ(page->UnitText()->text(), "Y-axis unit: Number of vehicles in the network.");

  page->MaxYList()->setCurrentRow(3);
  page->MeasureRadio(kPerfTravelTime)->click();
  EXPECT_EQ(page->MaxYList()->count(), 10);
  EXPECT_EQ(CurrentText(page->MaxYList()), "50");
  EXPECT_EQ(page->UnitText()->text(), "Y-axis unit: Min");
  page->MeasureRadio(kPerfVehicles)->click();
  EXPECT_EQ(CurrentText(page->MaxYList()), "4000");

  page->MeasureRadio(kPerfFreewaySpeed)->click();
  EXPECT_EQ(CurrentText(page->MaxYList()), "80");
  page->MinYList()->setCurrentRow(2);
  page->MeasureRadio(kPerfSurfaceSpeed)->click();
  EXPECT_EQ(CurrentText(page->MinYList()), "20");  // the freeway speed's items
  EXPECT_EQ(page->UnitText()->text(), "Y-axis unit: Mile/Hour");
  page->MinYList()->setCurrentRow(6);
  page->MeasureRadio(kPerfFreewaySpeed)->click();
  EXPECT_EQ(CurrentText(page->MinYList()), "20");
  PerformanceChartInput in = page->PerformanceChart()->SetupScale({0, 0, 400, 200});
  EXPECT_EQ(in.measure, kPerfFreewaySpeed);
  EXPECT_EQ(in.minYIndex, 2);
  EXPECT_EQ(in.maxYIndex, 7);
}

TEST_F(InfoSheet, ConsistencyRemembersItemsThroughItsRadios)
{
  MakeSheet();
  CPageConsistencyChecking* page = sheet->ConsistencyPage();
  ShowPage(page);
  EXPECT_TRUE(page->MeasureRadio(kCstLongTerm)->isChecked());
  EXPECT_EQ(CurrentText(page->MinYList()), "-10000");
  EXPECT_EQ(CurrentText(page->MaxYList()), "10000");
  EXPECT_EQ(page->DescriptionText()->text(),
            "FARVET: difference of total # of vehicles on the entire network.");
  page->MaxYList()->setCurrentRow(4);
  page->MeasureRadio(kCstShortTerm)->click();
  EXPECT_EQ(page->MinYList()->count(), 15);
  EXPECT_EQ(CurrentText(page->MinYList()), "0");
  EXPECT_EQ(CurrentText(page->MaxYList()), "100");
  EXPECT_EQ(page->DescriptionText()->text(), "NEARVET: root mean square error of link density.");
  page->MeasureRadio(kCstLongTerm)->click();
  EXPECT_EQ(CurrentText(page->MaxYList()), "5000");
}

TEST_F(InfoSheet, ClosingOnlyHidesAndKeepsPageAndSelections)
{
  MakeSheet();
  ShowPage(sheet->PerformancePage());
  sheet->PerformancePage()->BeginList()->setCurrentRow(3);
  sheet->close();
  QApplication::processEvents();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(hiddenCalls, 1);
  sheet->show();  // Plots
  QApplication::processEvents();
  EXPECT_EQ(sheet->Pages()->currentWidget(), sheet->PerformancePage());
  EXPECT_EQ(sheet->PerformancePage()->BeginList()->currentRow(), 3);
  QTest::keyClick(sheet.get(), Qt::Key_Escape);
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(hiddenCalls, 2);
}

TEST_F(InfoSheet, RefreshPreviewsRepaintsOnlyChartsOnScreen)
{
  MakeLinks(2);
  MakeSheet();
  PaintCounter counter;
  QWidget* status = sheet->ExecutionStatusPage()->StatusChart();
  QWidget* link = sheet->TDLinkPage()->LinkChart();
  QWidget* charts[] = {status, link, sheet->PerformancePage()->PerformanceChart(),
                       sheet->ConsistencyPage()->ConsistencyChart(), sheet->ODTablePage()->ODChart()};
  for (QWidget* w : charts)
    counter.Watch(w);

  sheet->RefreshPreviews();  // no window on screen yet
  EXPECT_TRUE(counter.paints.empty());

  ShowPage(sheet->ExecutionStatusPage());
  counter.paints.clear();
  sheet->RefreshPreviews();
  EXPECT_EQ(counter.paints[status], 2);  // first and last
  EXPECT_EQ(counter.paints.size(), 1u);

  ShowPage(sheet->TDLinkPage());
  counter.paints.clear();
  sheet->RefreshPreviews();
  EXPECT_EQ(counter.paints[link], 1);
  EXPECT_EQ(counter.paints.size(), 1u);

  sheet->hide();
  counter.paints.clear();
  sheet->RefreshPreviews();
  EXPECT_TRUE(counter.paints.empty());
}

TEST_F(InfoSheet, DestroyedWhetherShownOrNot)
{
  MakeSheet();
  sheet.reset();  // never shown
  MakeLinks(2);
  MakeSheet();
  for (int i = 0; i < sheet->Pages()->count(); ++i)
    ShowPage(sheet->Pages()->widget(i));
  sheet->close();
  sheet.reset();  // every chart created; each deleted once, by its page
  SUCCEED();
}

}  // namespace
