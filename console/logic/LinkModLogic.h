// The link property dialog's work apart from its widgets: the link type
// items and spin ranges, the attributes of a link as the dialog's members, a
// modification record built from the controls' values, its list line, the
// delete guard, and the file estimate/new_network.dat written from
// g_LinkModArray.
//
//   LinkModControls c;                      // the dialog's opening selection
//   c.linkRow = 2;
//   c.values = LinkModValuesOf(*LinkAtRow(2));
//   AddLinkMod(c, sink);                    // appended to g_LinkModArray
//   DeleteLinkMod(0, g_CurrentMinute, sink);
//   WriteNewNetworkFile(runDir / "estimate" / "new_network.dat");
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CProject.h"  // IMessageSink

class CDrawLine;

// The link type items; item = link type - 1.
std::vector<std::string> LinkTypeItems();

// The dialog's members: link type index (item), lanes, right-turn bays,
// saturation flow, service flow, speed adjustment factor (shown, never
// stored), speed limit, traffic flow model, grade, left-turn bays, length.
struct LinkModValues
{
  int linkTypeIndex = 0;
  int lanes = 0;
  int rightBays = 0;
  int satFlow = 0;
  int serviceFlow = 0;
  int speedAdjust = 0;
  int speedLimit = 0;
  int flowModel = 0;
  int grade = 0;
  int leftBays = 0;
  int length = 0;
  friend bool operator==(const LinkModValues&, const LinkModValues&) = default;
};

// Spin ranges of the edits.
struct SpinRange
{
  int lo;
  int hi;
};
constexpr SpinRange kLengthRange{1, 10000};
constexpr SpinRange kLanesRange{1, 10};
constexpr SpinRange kLeftBaysRange{0, 5};
constexpr SpinRange kSpeedLimitRange{0, 200};
constexpr SpinRange kServiceFlowRange{1, 5000};
constexpr SpinRange kFlowModelRange{0, 5000};
constexpr SpinRange kRightBaysRange{0, 5};
constexpr SpinRange kSpeedAdjustRange{0, 1};
constexpr SpinRange kSatFlowRange{1, 5000};
constexpr SpinRange kGradeRange{0, 90};

// A link's attributes as the members (whole parts; link type - 1). The
// speed adjustment factor is left as given.
LinkModValues LinkModValuesOf(const CDrawLine& link, int speedAdjust = 0);

// The controls' values; the defaults are the dialog's opening selection.
struct LinkModControls
{
  int linkRow = 0;
  int startItem = 1;  // minute 1
  int endItem = 9;    // minute 10
  LinkModValues values;
};

// A record from the controls: the link's numbers and position, the window
// and the members. Null with no selected link (nothing shown) or with start
// not before end (the start/end message shown).
std::unique_ptr<CDrawLine> BuildLinkMod(const LinkModControls& c, IMessageSink& sink);

// "Link No.%4d: %4d->%4d, Time:[%s,%s]" of a record.
std::string LinkModListLine(const CDrawLine& record);
std::vector<std::string> LinkModListLines();

// The link-list row of the record at a position (its link's position), or
// -1.
int LinkModLinkRow(int position);

// The dialog's actions on g_LinkModArray; false when nothing changed. A
// Change whose values fail the checks leaves the old record as it was. A
// record whose window holds the current minute (bounds included) is not
// deleted: the warning is shown instead.
bool AddLinkMod(const LinkModControls& c, IMessageSink& sink);
bool ChangeLinkMod(int position, const LinkModControls& c, IMessageSink& sink);
bool DeleteLinkMod(int position, int currentMinute, IMessageSink& sink);
extern const char kLinkModInUseMessage[];

// new_network.dat: the count, then one line per record (from-node, to-node,
// start, end, length, lanes, traffic flow model, saturation flow, service
// flow). Replaces the file; false when it cannot be written.
bool WriteNewNetworkFile(const std::filesystem::path& path);
// The OK step: estimate/new_network.dat of the run directory; " The file is
// in use" shown when it cannot be written.
bool WriteNewNetworkFileIn(const std::filesystem::path& runDir, IMessageSink& sink);
