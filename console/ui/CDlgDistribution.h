// The Distribution Scheme dialog: which machine runs each of the nine
// programs, kept in distribution.ini. Opens from the file; OK writes it
// (a file that cannot be written is reported and the dialog stays open);
// Cancel writes nothing.
//
//   int sum;
//   if (CDlgDistribution::Run(nullptr, "distribution.ini", &sum))
//     m_nMachineSum = sum;       // read again after OK
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "DistributionScheme.h"

class IMessageSink;
class QComboBox;
class QRadioButton;

class CDlgDistribution : public QDialog
{
  Q_OBJECT

public:
  explicit CDlgDistribution(std::string iniPath = kDistributionFile, IMessageSink* messages = nullptr,
                            QWidget* parent = nullptr);

  // Runs the dialog modally; after OK, *machineSum (when given) is the
  // machine sum of the file as written. True for OK.
  static bool Run(QWidget* parent, const std::string& iniPath, int* machineSum,
                  IMessageSink* messages = nullptr);

  // The selections and the checked radio button.
  DistributionChoice Choice() const;

  void accept() override;

private:
  void ShowChoice(const DistributionChoice& c);

  std::string m_iniPath;
  IMessageSink* m_pMessages;
  QRadioButton* m_pSingle;
  QRadioButton* m_pDistributed;
  std::array<QComboBox*, kDistributionRows> m_Combos{};
};
