// The configuration dialogs and the controller test panel, driven through
// their widgets offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "CDlgCyclesInput.h"
#include "CDlgDistribution.h"
#include "CDlgSystemSoftwareSetting.h"
#include "CGUIDlg.h"
#include "CProject.h"
#include "FakeControllerTarget.h"
#include "ProjectFixtures.h"
#include "UiTestApp.h"

namespace {

struct RecordingMessages : IMessageSink
{
  std::vector<std::string> shown;
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
};

// A click near the button's left edge: on the indicator of a radio button
// or check box (whose text may end well before the widget does).
void Click(QAbstractButton* b)
{
  ASSERT_NE(b, nullptr);
  QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

QAbstractButton* StandardButton(QDialog& dlg, QDialogButtonBox::StandardButton which)
{
  auto* box = dlg.findChild<QDialogButtonBox*>();
  return box ? box->button(which) : nullptr;
}

QAbstractButton* ButtonByText(QWidget& w, const QString& text)
{
  for (QAbstractButton* b : w.findChildren<QAbstractButton*>())
    if (b->text() == text)
      return b;
  return nullptr;
}

void Open(QDialog& dlg)
{
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
}

// ------------------------------------------------------------ Distribution Scheme

QComboBox* Machine(QDialog& dlg, const char* key)
{
  return dlg.findChild<QComboBox*>(QString("machine_") + key);
}

TEST(DistributionDialog, OpensFromTheFileAndSwitchesModes)
{
  fixtures::RunDir run;
  WriteAll("distribution.ini", "[VORLANTISQ]\nnowsim=0\nnearvet=3\n");
  RecordingMessages messages;
  CDlgDistribution dlg("distribution.ini", &messages);
  Open(dlg);
  auto* single = qobject_cast<QRadioButton*>(ButtonByText(dlg, "Non-Distributed (Single-Machine) Mode"));
  auto* distributed = qobject_cast<QRadioButton*>(ButtonByText(dlg, "Distributed Mode"));
  ASSERT_TRUE(single && distributed);
  EXPECT_TRUE(distributed->isChecked());
  EXPECT_FALSE(single->isChecked());
  EXPECT_EQ(Machine(dlg, "nearvet")->currentText(), "Client 3");
  EXPECT_EQ(Machine(dlg, "nowsim")->currentText(), "Server");
  EXPECT_EQ(Machine(dlg, "odp")->currentIndex(), -1);
  EXPECT_TRUE(Machine(dlg, "odp")->isEnabled());
  EXPECT_EQ(Machine(dlg, "tallyhouse")->accessibleName(), "Tallyhouse");
  ASSERT_EQ(Machine(dlg, "farvet")->count(), 9);
  EXPECT_EQ(Machine(dlg, "farvet")->itemText(8), "Client 8");

  Click(single);
  EXPECT_TRUE(single->isChecked());
  EXPECT_FALSE(distributed->isChecked());
  for (const DistributionRowInfo& row : DistributionRowTable()) {
    EXPECT_EQ(Machine(dlg, row.key)->currentText(), "Server") << row.key;
    EXPECT_FALSE(Machine(dlg, row.key)->isEnabled()) << row.key;
  }

  Click(distributed);
  EXPECT_EQ(dlg.Choice(), DistributedPreset());
  EXPECT_TRUE(Machine(dlg, "nowsim")->isEnabled());

  // Cancel writes nothing; OK writes every key.
  Click(StandardButton(dlg, QDialogButtonBox::Cancel));
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(ReadAll("distribution.ini"), "[VORLANTISQ]\nnowsim=0\nnearvet=3\n");
  Open(dlg);
  Click(StandardButton(dlg, QDialogButtonBox::Ok));
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(ReadAll("distribution.ini"), "[VORLANTISQ]\nnowsim=0\nnearvet=1\nforesim=0\nforesim1=0\node=0\n"
                                         "odp=0\nfarvet=1\nmanagement=1\ntallyhouse=1\n");
  EXPECT_TRUE(messages.shown.empty());
}

TEST(DistributionDialog, UnwritableFileIsReportedAndTheDialogStaysOpen)
{
  fixtures::RunDir run;
  RecordingMessages messages;
  CDlgDistribution dlg("missing/distribution.ini", &messages);
  Open(dlg);
  Click(StandardButton(dlg, QDialogButtonBox::Ok));
  EXPECT_EQ(messages.shown,
            std::vector<std::string>{"Cannot write " + run.path() + "/missing/distribution.ini"});
  EXPECT_TRUE(dlg.isVisible());
}

TEST(DistributionDialog, RunGivesTheNewMachineSum)
{
  fixtures::RunDir run;
  WriteAll("distribution.ini", "[VORLANTISQ]\nnowsim=0\n");
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dlg = qobject_cast<CDlgDistribution*>(w); dlg && dlg->isVisible()) {
        Click(ButtonByText(*dlg, "Distributed Mode"));
        Click(StandardButton(*dlg, QDialogButtonBox::Ok));
      }
  });
  int sum = 123;
  EXPECT_TRUE(CDlgDistribution::Run(nullptr, "distribution.ini", &sum));
  EXPECT_EQ(sum, 4);
}

// ------------------------------------------------------------ System Settings

TEST(SystemSettingsDialog, ShowsTheValuesAndSetsTheRunMode)
{
  const SystemSettingsValues values{"vorlant-host", "10.0.0.5", "10.0.0.5:10013", "/srv/run"};
  RecordingMessages messages;
  g_Project.m_nRunMode = 1;
  {
    CDlgSystemSoftwareSetting dlg(g_Project, values, &messages);
    Open(dlg);
    EXPECT_EQ(dlg.findChild<QLineEdit*>("machineName")->text(), "vorlant-host");
    EXPECT_EQ(dlg.findChild<QLineEdit*>("machineIP")->text(), "10.0.0.5");
    auto* host = dlg.findChild<QLineEdit*>("nameServiceHost");
    EXPECT_EQ(host->text(), "10.0.0.5:10013");
    EXPECT_TRUE(host->isReadOnly());
    EXPECT_EQ(host->accessibleName(), "QELM_NAME_SERVICE_HOST");
    EXPECT_EQ(dlg.findChild<QLineEdit*>("runDir")->text(), "/srv/run");
    EXPECT_TRUE(dlg.findChild<QLineEdit*>("runDir")->isReadOnly());

    Click(ButtonByText(dlg, "Want to modify variables?"));
    EXPECT_EQ(messages.shown, std::vector<std::string>{kModifyVariablesHint});

    // Sequential whatever was chosen before.
    EXPECT_TRUE(qobject_cast<QRadioButton*>(ButtonByText(dlg, "Sequential Mode"))->isChecked());
    Click(StandardButton(dlg, QDialogButtonBox::Ok));
    EXPECT_EQ(g_Project.m_nRunMode, 0);
  }
  {
    CDlgSystemSoftwareSetting dlg(g_Project, values, &messages);
    Open(dlg);
    auto* realTime = qobject_cast<QRadioButton*>(ButtonByText(dlg, "Real Time Mode"));
    Click(realTime);
    EXPECT_FALSE(qobject_cast<QRadioButton*>(ButtonByText(dlg, "Sequential Mode"))->isChecked());
    dlg.reject();
    EXPECT_EQ(g_Project.m_nRunMode, 0);
    Open(dlg);
    Click(StandardButton(dlg, QDialogButtonBox::Ok));
    EXPECT_EQ(g_Project.m_nRunMode, 1);
  }
  // A long value is cut to the field's 50 characters.
  const SystemSettingsValues longValues{"h", "", "", std::string(80, 'r')};
  CDlgSystemSoftwareSetting dlg(g_Project, longValues, &messages);
  EXPECT_EQ(dlg.findChild<QLineEdit*>("runDir")->text().size(), 50);
}

// ------------------------------------------------------------ Cycles

QComboBox* Cycle(QDialog& dlg, CyclesField f)
{
  return dlg.findChild<QComboBox*>(QString("cycle_%1").arg(f));
}

TEST(CyclesDialog, ChecksGovernAndCommit)
{
  fixtures::RunDir run;
  for (int i = 0; i < kCycleEntries; ++i)
    g_Project.m_Cycle[i] = 1000 + i;
  RecordingMessages messages;
  CDlgCyclesInput dlg(g_Project, &messages);
  Open(dlg);
  EXPECT_EQ(Cycle(dlg, kFieldOdpHorizon)->currentText(), "45");
  EXPECT_EQ(Cycle(dlg, kFieldOdpHorizon)->accessibleName(), "Prediction Horizon");
  EXPECT_EQ(Cycle(dlg, kFieldNearvetCycle)->itemText(19), "10.0");

  // "ODEst & Pred" governs the four OD lists.
  Click(dlg.findChild<QCheckBox*>("runOD"));
  for (CyclesField f : {kFieldOdeCycle, kFieldOdCorrection, kFieldOdpCycle, kFieldOdpHorizon})
    EXPECT_FALSE(Cycle(dlg, f)->isEnabled()) << f;
  EXPECT_TRUE(Cycle(dlg, kFieldFarvetCycle)->isEnabled());
  Click(dlg.findChild<QCheckBox*>("runOD"));
  EXPECT_TRUE(Cycle(dlg, kFieldOdeCycle)->isEnabled());

  // A failed check: the message, the dialog open, nothing stored.
  Cycle(dlg, kFieldOdeCycle)->setCurrentText("20");
  Click(StandardButton(dlg, QDialogButtonBox::Ok));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(
      messages.shown[0],
      "The OD prediction horizon should be 3 times of OD estimation cycle in the current implementation.");
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(g_Project.m_Cycle[kCycleOdeStateLength], 1000 + kCycleOdeStateLength);
  EXPECT_FALSE(std::filesystem::exists("scheduler.dat"));

  // Reset brings the initial entries back and keeps the boxes.
  Click(dlg.findChild<QCheckBox*>("runForesim1"));
  Click(ButtonByText(dlg, "Reset"));
  EXPECT_EQ(Cycle(dlg, kFieldOdeCycle)->currentText(), "15");
  EXPECT_FALSE(dlg.findChild<QCheckBox*>("runForesim1")->isChecked());

  Click(StandardButton(dlg, QDialogButtonBox::Ok));
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(g_Project.m_Cycle[kCycleOdeStateLength], 900);
  EXPECT_EQ(g_Project.m_nRunForesim1, 0);
  EXPECT_TRUE(std::filesystem::exists("scheduler.dat"));
  EXPECT_EQ(ReadAll("modules.dat").substr(0, 12), "1\n1\n0\n1\n1\n1\n");
}

TEST(CyclesDialog, CancelKeepsTheStoredSettings)
{
  fixtures::RunDir run;
  for (int i = 0; i < kCycleEntries; ++i)
    g_Project.m_Cycle[i] = 1000 + i;
  CDlgCyclesInput dlg(g_Project);
  Open(dlg);
  Cycle(dlg, kFieldNowsimCycle)->setCurrentText("1");
  Click(StandardButton(dlg, QDialogButtonBox::Cancel));
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(g_Project.m_Cycle[kCycleNowsimPeriod], 1000);
}

// ------------------------------------------------------------ Controller test panel

TEST(ControllerTestDialog, ButtonsLogAndTheLastCloses)
{
  fixtures::RunDir run;
  WriteAll("gui_cmd.dat", "-ORBInitRef NameService=corbaloc::127.0.0.1:2809/NameService\n");
  FakeControllerTarget target;
  target.codes["Initialize"] = 5;
  target.lastError = "VORLANTIS-Q is not initialized.";
  CGUIDlg dlg(target);
  Open(dlg);
  QListWidget* log = dlg.Log();
  Click(dlg.findChild<QPushButton*>("test_0"));
  Click(dlg.findChild<QPushButton*>("test_1"));
  Click(dlg.findChild<QPushButton*>("test_2"));
  QStringList lines;
  for (int i = 0; i < log->count(); ++i)
    lines << log->item(i)->text();
  EXPECT_EQ(lines, (QStringList{"Initiaslizing ORB", "Activating the GUI CORBA server...",
                                "CORBA server active", "Connected to VORLANTIS-Q",
                                "Failed to initialize. Reason:", "VORLANTIS-Q is not initialized."}));
  EXPECT_EQ(log->currentRow(), log->count() - 1);
  EXPECT_EQ(target.orbArgs.size(), 2u);

  Click(dlg.findChild<QPushButton*>(QString("test_%1").arg(kTestStopServerAndClose)));
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(target.calls.back(), "StopServerIfRunning");
}

}  // namespace
