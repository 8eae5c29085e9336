// Small pieces the client-area adapters' sources share.
#pragma once

#include "skin/zclientwnd.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"

namespace zclient {

// The skin command comes from the adapter's own manager.
inline bool FromOwnManager(const TSkMainWnd* A, const TMessage& M)
{
    TzSkinManager* own = A->SkinManager();
    return M.Msg == SM_SKINCMD && own && M.LParam == reinterpret_cast<LPARAM>(own);
}

inline bool IsSkinCommand(const TMessage& M, uint16_t Command) { return M.Msg == SM_SKINCMD && M.WParamHi() == Command; }

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
