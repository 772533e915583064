// The information sheet as the main frame drives it: the sheet object is
// built with the frame (no window shown yet), gets its window at the first
// Plots command or OD pick, is shown and hidden by Plots, and repaints its
// charts when the frame's RefreshPreviews asks.
//
//   InfoSheetAdapter sheet(hooks, frame);   // in the frame's constructor
//   frame->SetInfoSheet(&sheet);
//   sheet.ShowODPair(origin, destination);  // the OD pick: OD page, the pair chosen
#pragma once

#include <QPointer>

#include "CMainFrame.h"
#include "InfoSheetHooks.h"

class CSheetInfoModeless;

class InfoSheetAdapter : public IInfoSheet
{
public:
  // The sheet is a window of its own, owned by parent (the frame).
  InfoSheetAdapter(InfoSheetHooks hooks, QWidget* parent);

  bool HasWindow() const override;
  // Shows the sheet for the first time (it keeps the parent it was built
  // with).
  void Create(QWidget* parent) override;
  void Show() override;
  void Hide() override;
  void RefreshPreviews() override;
  // Shown, the link page active and its chart repainted.
  void ShowLinkPage() override;
  void ShowODPair(int origin, int destination) override;

  CSheetInfoModeless* Sheet() const;

private:
  QPointer<CSheetInfoModeless> m_pSheet;
  bool m_bCreated = false;
};
