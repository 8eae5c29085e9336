// What the sources of the standard controls unit share among themselves; no other unit
// includes this.
#pragma once

#include "classlib/stdctrls.h"

namespace zstdctrls {

extern const char* const AlignmentNames[3];

// The DC's text metrics with the font selected.
TEXTMETRICA FontMetrics(TFont* Font);

} // namespace zstdctrls

using namespace zstdctrls;

#define Z_PROP_CAPTION(C) Z_PROP_STR(C, Caption)
