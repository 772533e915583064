#include "InfoSheetHooks.h"

#include <QGuiApplication>

#include "CProject.h"
#include "ResultStores.h"

std::shared_ptr<const InfoSheetHooks> CompleteInfoSheetHooks(InfoSheetHooks hooks)
{
  if (!hooks.isDataLoaded)
    hooks.isDataLoaded = [] { return g_Project.m_bProjectLoaded; };
  if (!hooks.estimationMinute)
    hooks.estimationMinute = [] { return g_EstimationClock.nMinute; };
  if (!hooks.selectLink)
    hooks.selectLink = [](int) {};
  if (!hooks.sheetHidden)
    hooks.sheetHidden = [] {};
  if (!hooks.chartFont) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(12);
    hooks.chartFont = font;
  }
  return std::make_shared<const InfoSheetHooks>(std::move(hooks));
}
