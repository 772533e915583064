#include "CDlgSystemSoftwareSetting.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CProject.h"
#include "DialogMessages.h"

CDlgSystemSoftwareSetting::CDlgSystemSoftwareSetting(CProject& project, const SystemSettingsValues& values,
                                                     IMessageSink* messages, QWidget* parent)
    : QDialog(parent), m_Project(project), m_pMessages(messages)
{
  setWindowTitle("System Settings Dialog");
  setAccessibleName(windowTitle());
  auto* layout = new QVBoxLayout(this);

  auto* naming = new QGroupBox("TAO Naming Service", this);
  auto* namingForm = new QFormLayout(naming);
  AddField(namingForm, "Local Machine Name", values.machineName, false)->setObjectName("machineName");
  AddField(namingForm, "Local Machine IP", values.machineIP, false)->setObjectName("machineIP");
  layout->addWidget(naming);

  auto* environment = new QGroupBox("Environment Variables", this);
  auto* envForm = new QFormLayout(environment);
  AddField(envForm, "QELM_NAME_SERVICE_HOST", values.nameServiceHost, true)->setObjectName("nameServiceHost");
  AddField(envForm, "QELM_RUN_DIR", values.runDir, true)->setObjectName("runDir");
  auto* modify = new QPushButton("Want to modify variables?", environment);
  envForm->addRow(modify);
  connect(modify, &QPushButton::clicked, this,
          [this] { ShowDialogMessage(this, m_pMessages, kModifyVariablesHint, MessageKind::kInformation); });
  layout->addWidget(environment);

  m_pRealTime = new QRadioButton("Real Time Mode", this);
  m_pSequential = new QRadioButton("Sequential Mode", this);
  auto* modes = new QButtonGroup(this);
  modes->addButton(m_pRealTime);
  modes->addButton(m_pSequential);
  m_pSequential->setChecked(true);
  layout->addWidget(m_pRealTime);
  layout->addWidget(m_pSequential);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSystemSoftwareSetting::accept);
  layout->addWidget(buttons);
}

QLineEdit* CDlgSystemSoftwareSetting::AddField(QFormLayout* form, const char* caption,
                                               const std::string& value, bool readOnly)
{
  auto* edit = new QLineEdit(this);
  edit->setMaxLength(static_cast<int>(kSettingsFieldLength));
  edit->setText(QString::fromStdString(value));
  edit->setReadOnly(readOnly);
  edit->setAccessibleName(caption);
  form->addRow(caption, edit);
  return edit;
}

void CDlgSystemSoftwareSetting::accept()
{
  m_Project.m_nRunMode = RunModeOf(m_pRealTime->isChecked());
  QDialog::accept();
}
