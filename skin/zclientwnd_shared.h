// Small pieces the client-area adapters' sources share.
#pragma once

#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"

namespace zclient {

inline const TzGeneralData* SectionOf(const TzCommonData* SD)
{
    TzSkinManager* m = SD ? SD->GetSkinManager() : nullptr;
    return m && m->IsValidSkinIndex(SD->SkinIndex) ? &m->Section(SD->SkinIndex) : nullptr;
}

// The four frame strips of the cache, of the given widths, from (SX, SY) of the cache to
// the same places of DC.
void BitBltBorderStrips(HDC DC, TBitmap* Cache, int L, int T, int R, int B, int SX = 0, int SY = 0, int W = -1,
                        int H = -1);

// Where the window's client area lies in its window rectangle.
TPoint ClientOffset(HWND Wnd);
// The window's class name is Name.
bool HasClassName(HWND Wnd, const wchar_t* Name);

} // namespace zclient
