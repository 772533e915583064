#include "InfoSheetAdapter.h"

#include <QTabWidget>

#include "InfoPreview.h"
#include "PageTDLink.h"
#include "SheetInfoModeless.h"

namespace {

// A first size that shows a page's controls and its chart, which grows by
// 300 pixels when the page is first shown.
constexpr int kFirstWidth = 900;
constexpr int kFirstHeight = 760;

}  // namespace

InfoSheetAdapter::InfoSheetAdapter(InfoSheetHooks hooks, QWidget* parent)
    : m_pSheet(new CSheetInfoModeless(std::move(hooks), parent))
{}

bool InfoSheetAdapter::HasWindow() const
{
  return m_bCreated && m_pSheet;
}

CSheetInfoModeless* InfoSheetAdapter::Sheet() const
{
  return m_pSheet.data();
}

void InfoSheetAdapter::Create(QWidget*)
{
  if (!m_pSheet)
    return;
  if (!m_bCreated) {
    m_bCreated = true;
    m_pSheet->resize(m_pSheet->sizeHint().expandedTo(QSize(kFirstWidth, kFirstHeight)));
  }
  Show();
}

void InfoSheetAdapter::Show()
{
  if (!m_pSheet)
    return;
  m_pSheet->show();
  m_pSheet->raise();
}

void InfoSheetAdapter::Hide()
{
  if (m_pSheet)
    m_pSheet->hide();
}

void InfoSheetAdapter::RefreshPreviews()
{
  if (HasWindow())
    m_pSheet->RefreshPreviews();
}

void InfoSheetAdapter::ShowLinkPage()
{
  if (!HasWindow())
    return;
  Show();
  m_pSheet->Pages()->setCurrentWidget(m_pSheet->TDLinkPage());
  m_pSheet->TDLinkPage()->LinkChart()->repaint();
}

void InfoSheetAdapter::ShowODPair(int origin, int destination)
{
  if (!m_pSheet)
    return;
  Create(nullptr);
  m_pSheet->ShowODPair(origin, destination);
}
