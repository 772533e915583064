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
CTypedObArray<CPath> g_PredPaths0;
CTypedObArray<CPath> g_PredPaths1;
CTypedObArray<CVehicle> g_VehicleArray;

std::vector<CDrawNode*> g_SelectedNodes;
std::vector<CDrawLine*> g_SelectedLinks;
std::vector<CDrawCCTV*> g_SelectedCCTVs;

double g_LinkShapeRatio = 0.0;

void RemoveLoadedObjects()
{
  g_LineArray.RemoveAll();
  g_NodeArray.RemoveAll();
  g_CCTVArray.RemoveAll();
  g_IncidentArray.RemoveAll();
  g_VMSArray.RemoveAll();
  g_VMSArrayPredict.RemoveAll();
  g_VMSArrayPredict1.RemoveAll();
}
