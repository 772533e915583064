#include "GlobalArrays.h"

#include "CDrawLine.h"
#include "CDrawObj.h"

CTypedObArray<CDrawNode> g_NodeArray;
CTypedObArray<CDrawLine> g_LineArray;
CTypedObArray<CODZone> g_ZoneArray;
CTypedObArray<CDrawCCTV> g_CCTVArray;
CTypedObArray<CVMS> g_VMSArray;
CTypedObArray<CVMS> g_VMSArrayPredict;
CTypedObArray<CVMS> g_VMSArrayPredict1;
CTypedObArray<CIncident> g_IncidentArray;
CTypedObArray<CWorkZone> g_WorkZoneArray;
CTypedObArray<CDrawLine> g_LinkModArray;
CTypedObArray<CPath> g_AllPaths;
CTypedObArray<CVehicle> g_VehicleArray;

std::vector<CDrawNode*> g_SelectedNodes;
std::vector<CDrawLine*> g_SelectedLinks;
std::vector<CDrawCCTV*> g_SelectedCCTVs;

double g_LinkShapeRatio = 0.0;
