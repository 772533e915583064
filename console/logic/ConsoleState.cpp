#include "ConsoleState.h"

std::string g_AppTitle;
bool g_bDataLoaded = false;
ColorRef g_ColorRamp[5] = {kColorRampDefault[0], kColorRampDefault[1], kColorRampDefault[2],
                           kColorRampDefault[3], kColorRampDefault[4]};

void CopyDefaultRamp(ColorRef out[5], bool reversed)
{
  for (int i = 0; i < 5; ++i)
    out[i] = kColorRampDefault[reversed ? 4 - i : i];
}

int g_nToolMode = kToolZoomBox;
int g_nODStep = 0;
int g_nPathModeOn = 1;
int g_nPathModeKind = kPathModeNone;
int g_nODOriginNode = 0;
int g_nODDestinationNode = 0;
int g_nOriginZone = 1;
int g_nDestinationZone = 2;
