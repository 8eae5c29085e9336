// What the sources of the controls unit share among themselves; no other unit includes this.
#pragma once

#include "classlib/controls.h"

#include <vector>

namespace zcontrols {

// The child without window that holds the mouse (its parent window has the capture).
extern TControl* g_captureControl;
// Canvases that hold a DC of a control; let go after each message from the system.
extern std::vector<TControlCanvas*> g_canvasList;

void FreeDeviceContexts();
LPARAM LParamOfPoint(const TPoint& P);

} // namespace zcontrols

using namespace zcontrols;
