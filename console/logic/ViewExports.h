// The network views' two export files: the densities of the selected link
// per minute (observation, estimation, first prediction) and the OD demand
// of one zone pair per five-minute slot. The texts are built here; the
// window asks for the file name and writes them.
//
//   CDrawLine* link = SelectedLink();
//   if (!link) show(kSelectLinkText);
//   std::string text = LinkPerformanceText(*link, g_ChartWindowEnd, g_PredictionClock);
//   std::string error;
//   if (!WriteExportFile(path, text, error)) show(error);
#pragma once

#include <string>

#include "ResultStores.h"

class CDrawLine;
class CProject;

constexpr const char* kSelectLinkText = "Please select a link.";

// "Link %d ->%d  %d mins" (from node, to node, chart window end), the
// heading, then one row per minute 1 .. the prediction window end: minute,
// observed and estimated density, and past the window start the first
// prediction's density too. The rows stop at the series' last minute.
std::string LinkPerformanceText(const CDrawLine& link, int chartWindowEnd, const ClockRecord& prediction);
// One row per five-minute slot from minute 0 to the prediction window end:
// the slot and the demand of zone pair [52][40] in it. The rows stop at the
// OD table's last slot.
std::string ODDemandText(const CProject& project, const ClockRecord& prediction);

// Writes text to path, replacing the file. False with the operator's
// message in error when it cannot be written.
bool WriteExportFile(const std::string& path, const std::string& text, std::string& error);
