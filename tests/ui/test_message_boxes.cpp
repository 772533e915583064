// The console's message boxes offscreen: the icon and buttons of each kind,
// the box that comes up carrying them, and the kind each of the console's
// boxes takes (the bring-up's and the launcher's through the frame, the
// configuration dialogs', the operator dialogs' prompts).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>

#include "CDlgCyclesInput.h"
#include "CDlgDistribution.h"
#include "CDlgSystemSoftwareSetting.h"
#include "ConsoleSystem.h"
#include "DialogWidgets.h"
#include "MessageBoxes.h"
#include "ProjectFixtures.h"
#include "SystemSettings.h"
#include "UiConsole.h"

namespace {

// What a box showed.
struct SeenBox
{
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  std::string text;
  std::string title;
};

// Closes the next message box with `answer` (its default button when none)
// as soon as it shows, and records what it carried.
void AnswerNextBox(std::optional<SeenBox>* seen, QMessageBox::StandardButton answer = QMessageBox::NoButton)
{
  QTimer::singleShot(0, [seen, answer] {
    (void)QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                          10000);
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
      return;
    SeenBox s;
    s.icon = box->icon();
    s.buttons = box->standardButtons();
    if (QPushButton* d = box->defaultButton())
      s.defaultButton = box->standardButton(d);
    s.text = box->text().toStdString();
    s.title = box->windowTitle().toStdString();
    *seen = s;
    box->button(answer == QMessageBox::NoButton ? s.defaultButton : answer)->click();
  });
}

QAbstractButton* OkOf(QDialog& dlg)
{
  return dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

const QMessageBox::StandardButtons kOk = QMessageBox::Ok;
const QMessageBox::StandardButtons kYesNo = QMessageBox::Yes | QMessageBox::No;

TEST(MessageBoxKinds, EachKindHasItsIconAndButtons)
{
  struct Case
  {
    MessageKind kind;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
  };
  const Case cases[] = {
      {MessageKind::kWarning, QMessageBox::Warning, kOk},
      {MessageKind::kInformation, QMessageBox::Information, kOk},
      {MessageKind::kError, QMessageBox::Critical, kOk},
      {MessageKind::kQuestion, QMessageBox::Question, kYesNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    const MessageBoxLook look = LookOf(c.kind);
    EXPECT_EQ(look.icon, c.icon);
    EXPECT_EQ(look.buttons, c.buttons);
    EXPECT_TRUE(look.buttons.testFlag(look.defaultButton));
  }
  // The bring-up's two kinds.
  EXPECT_EQ(MessageKindOf(IBringUpOutput::Box::kInformation), MessageKind::kInformation);
  EXPECT_EQ(MessageKindOf(IBringUpOutput::Box::kError), MessageKind::kError);
}

TEST(MessageBoxKinds, AShownBoxCarriesItsIconButtonsTextAndTitle)
{
  struct Case
  {
    MessageKind kind;
    QMessageBox::StandardButton answer;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
  };
  const Case cases[] = {
      {MessageKind::kWarning, QMessageBox::Ok, QMessageBox::Warning, kOk},
      {MessageKind::kInformation, QMessageBox::Ok, QMessageBox::Information, kOk},
      {MessageKind::kError, QMessageBox::Ok, QMessageBox::Critical, kOk},
      {MessageKind::kQuestion, QMessageBox::No, QMessageBox::Question, kYesNo},
      {MessageKind::kQuestion, QMessageBox::Yes, QMessageBox::Question, kYesNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    std::optional<SeenBox> seen;
    AnswerNextBox(&seen, c.answer);
    EXPECT_EQ(ShowMessageBox(nullptr, c.kind, "Copy failed."), c.answer);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, c.icon);
    EXPECT_EQ(seen->buttons, c.buttons);
    EXPECT_EQ(seen->text, "Copy failed.");
    EXPECT_EQ(seen->title, QGuiApplication::applicationDisplayName().toStdString());
  }
}

TEST(MessageBoxKinds, TheOperatorDialogsPromptsShowTheirKinds)
{
  MessageBoxPrompts prompts(nullptr);
  std::optional<SeenBox> seen;
  AnswerNextBox(&seen);
  prompts.ShowMessage(" Please ensure that the start time is before the end time!");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->icon, QMessageBox::Warning);

  seen.reset();
  AnswerNextBox(&seen);
  prompts.ShowInfo("Copy predict1/vms.dat to estimate/new_vms.dat successfully");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->icon, QMessageBox::Information);
  EXPECT_EQ(seen->buttons, kOk);

  // The strategy question: Yes and No, Yes first.
  for (const auto answer : {QMessageBox::Yes, QMessageBox::No}) {
    seen.reset();
    AnswerNextBox(&seen, answer);
    EXPECT_EQ(prompts.AskYesNo("Are you selecting vms.dat in FORESIM1"), answer == QMessageBox::Yes);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, QMessageBox::Question);
    EXPECT_EQ(seen->buttons, kYesNo);
    EXPECT_EQ(seen->defaultButton, QMessageBox::Yes);
  }
}

TEST(MessageBoxKinds, TheConfigurationDialogsBoxes)
{
  fixtures::RunDir run;
  {
    // "Want to modify variables?": information.
    CDlgSystemSoftwareSetting dlg(g_Project, SystemSettingsValues{"h", "10.0.0.5", "10.0.0.5:10013", "/r"});
    dlg.show();
    std::optional<SeenBox> seen;
    AnswerNextBox(&seen);
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
      if (b->text() == "Want to modify variables?")
        b->click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, QMessageBox::Information);
    EXPECT_EQ(seen->text, kModifyVariablesHint);
  }
  {
    // A failed cycles check: a warning, the dialog stays open.
    CDlgCyclesInput dlg(g_Project);
    dlg.show();
    dlg.findChild<QComboBox*>(QString("cycle_%1").arg(kFieldOdeCycle))->setCurrentText("20");
    std::optional<SeenBox> seen;
    AnswerNextBox(&seen);
    OkOf(dlg)->click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, QMessageBox::Warning);
    EXPECT_EQ(
        seen->text,
        "The OD prediction horizon should be 3 times of OD estimation cycle in the current implementation.");
    EXPECT_TRUE(dlg.isVisible());
  }
  {
    // distribution.ini that cannot be written: an error.
    CDlgDistribution dlg("missing/distribution.ini");
    dlg.show();
    std::optional<SeenBox> seen;
    AnswerNextBox(&seen);
    OkOf(dlg)->click();
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, QMessageBox::Critical);
    EXPECT_TRUE(dlg.isVisible());
  }
}

TEST(ConsoleBoxes, TheFrameShowsTheBringUpsAndTheLaunchersBoxesInTheirKinds)
{
  uitest::Console console;
  std::vector<std::pair<std::string, MessageKind>> shown;
  console.Doc().SetBoxPresenter(
      [&](const std::string& text, MessageKind kind) { shown.emplace_back(text, kind); });
  // The frame's own messages are warnings.
  console.Frame().ShowMessage("Please select a link.");
  ConsoleBringUpOutput output;
  // The client-machine reminder, a failed connection, the launcher's error.
  output.ShowMessageBox("Please activate VORLANTIS-Q modules on client machine(s)",
                        IBringUpOutput::Box::kInformation);
  output.ShowMessageBox("Failed to connect VORLANTIS-Q.", IBringUpOutput::Box::kError);
  static_cast<IMessageSink&>(output).ShowMessage("naming_service.bat\r\nNo such file or directory");
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 4; }, 10000));
  const std::vector<std::pair<std::string, MessageKind>> expected = {
      {"Please select a link.", MessageKind::kWarning},
      {"Please activate VORLANTIS-Q modules on client machine(s)", MessageKind::kInformation},
      {"Failed to connect VORLANTIS-Q.", MessageKind::kError},
      {"naming_service.bat\r\nNo such file or directory", MessageKind::kError},
  };
  EXPECT_EQ(shown, expected);
}

}  // namespace
