// The network views' selection: which nodes, links and cameras are
// selected (g_SelectedNodes, g_SelectedLinks, g_SelectedCCTVs) and the marks
// that go with them (m_nSelectMark of nodes and links, m_nShown of cameras).
// The mouse tools, the dialogs and the information sheet select through
// here; the caller repaints the views when an operation says so.
//
//   if (SelectLink(link)) InvalidateNetworkViews();
//   CDrawLine* exported = SelectedLink();   // the link selected last
#pragma once

class CDrawNode;
class CDrawLine;
class CDrawCCTV;

// Clears the marks of the listed nodes and links (both lists are kept, so
// the charts still find a link selected before); a given node is marked 1
// and listed last. A node already listed moves to the end instead of being
// listed twice, so repeated clicks never grow the list. True when a node
// was given (the view is to be repainted).
bool SelectNode(CDrawNode* node);
// Clears the marks of the listed nodes and links and empties both lists; a
// given link is marked 2 and becomes the only listed link. True (repaint).
bool SelectLink(CDrawLine* link);
// Clears the node and link marks, keeps every listed camera shown and
// empties the three lists; a given camera becomes the only listed camera.
// True (repaint).
bool SelectCCTV(CDrawCCTV* camera);
// Node and link marks of the listed objects cleared, listed cameras kept
// shown, the three lists emptied.
void ClearSelection();
// Removes a listed node or link from its list (its mark stays). True when
// it was listed (repaint).
bool DeselectNode(CDrawNode* node);
bool DeselectLink(CDrawLine* link);

// The link the selection names now: the last of g_SelectedLinks, or null.
CDrawLine* SelectedLink();
// True when the camera is the selected one.
bool IsSelectedCamera(const CDrawCCTV* camera);
