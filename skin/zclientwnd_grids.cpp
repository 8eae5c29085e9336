// The client-area adapters of controls from other families: grids and virtual trees, whose
// colours and header options the adapters reach through published properties by name.
#include "skin/zclientwnd.h"
#include "skin/zclientwnd_shared.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "unicode/ucsystem.h"

#include <algorithm>
#include <cstring>

using namespace zclient;

namespace {

// The object whose ordinal property Ref names, or none.
TObject* Reach(TObject* Root, const TzPropRef& Ref)
{
    TObject* o = Root;
    if (o && !Ref.Object.empty())
        o = GetObjectProperty(o, Ref.Object);
    if (o && Ref.Item >= 0) {
        auto* items = dynamic_cast<TCollection*>(o);
        o = items && Ref.Item < items->Count() ? items->Items(Ref.Item) : nullptr;
    }
    if (o && !Ref.Font.empty())
        o = GetObjectProperty(o, Ref.Font);
    return o && HasProperty(o, Ref.Name) ? o : nullptr;
}

bool IsClassNamed(const TObject* Obj, const char* Name)
{
    for (const TClassInfo* c = Obj ? &Obj->ClassInfo() : nullptr; c; c = c->Parent)
        if (std::strcmp(c->Name, Name) == 0)
            return true;
    return false;
}

bool BeingDestroyed(const TObject* Obj)
{
    const auto* c = dynamic_cast<const TComponent*>(Obj);
    return c && c->IsDestroying();
}

// A text property: wide or ANSI.
WideString TextProperty(const TObject* Obj, const char* Name)
{
    const TPropInfo* p = Obj ? Obj->ClassInfo().FindProp(Name) : nullptr;
    if (p && p->GetWStr)
        return p->GetWStr(Obj);
    if (p && p->GetStr)
        return AnsiToWide(p->GetStr(Obj));
    return {};
}

TzPropRef Own(const char* Name) { return TzPropRef{"", -1, "", Name}; }

const char* const VirtualTreeColors[] = {"CompressedTextColor", "FileTextColor", "FolderTextColor"};

} // namespace

// ---------------------------------------------------------------------------------------

void TzKeptProperties::Keep(TObject* Root, const TzPropRef& Ref)
{
    if (TObject* o = Reach(Root, Ref))
        FKept.push_back(TKept{Ref, GetOrdProperty(o, Ref.Name)});
}

void TzKeptProperties::Set(TObject* Root, const TzPropRef& Ref, int64_t Value)
{
    if (TObject* o = Reach(Root, Ref))
        SetOrdProperty(o, Ref.Name, Value);
}

bool TzKeptProperties::Has(TObject* Root, const TzPropRef& Ref) { return Reach(Root, Ref) != nullptr; }

void TzKeptProperties::Restore(TObject* Root) const
{
    for (const TKept& k : FKept)
        Set(Root, k.Ref, k.Value);
}

// ---------------------------------------------------------------------------------------
// Grids

Z_CLASS_IMPL(TSkGridWnd, TSkEditWnd)
Z_CLASS_IMPL(TSkGridEhWnd, TSkGridWnd)

TSkGridWnd::~TSkGridWnd()
{
    Release();
}

std::vector<std::pair<TzPropRef, int64_t>> TSkGridWnd::SkinValues() const
{
    std::vector<std::pair<TzPropRef, int64_t>> v;
    TObject* grid = ControlBehind();
    TzSkinManager* m = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (!grid || !m)
        return v;
    const TzGeneralData* s = SectionOf(SkinData);
    const int64_t global = m->GetGlobalColor(), globalFont = m->GetGlobalFontColor();
    v.push_back({Own("FixedColor"), global});
    v.push_back({TzPropRef{"", -1, "TitleFont", "Color"}, globalFont});
    if (IsClassNamed(grid, "TDBAdvGrid")) {
        v.push_back({TzPropRef{"", -1, "FixedFont", "Color"}, globalFont});
        if (auto* columns = dynamic_cast<TCollection*>(GetObjectProperty(grid, "Columns")))
            for (int i = 0; i < columns->Count(); ++i) {
                v.push_back({TzPropRef{"Columns", i, "HeaderFont", "Color"}, globalFont});
                if (s) {
                    v.push_back({TzPropRef{"Columns", i, "Font", "Color"}, s->HotFontColor});
                    v.push_back({TzPropRef{"Columns", i, "", "Color"}, s->Color});
                }
            }
    }
    for (const char* name : {"FooterColor", "FooterCellColor", "TitleColor"})
        v.push_back({Own(name), global});
    if (s)
        v.push_back({Own("IndicatorIconColor"), s->FontColor});
    v.erase(std::remove_if(v.begin(), v.end(), [&](const auto& e) { return !TzKeptProperties::Has(grid, e.first); }),
            v.end());
    return v;
}

void TSkGridWnd::SaveStdParams()
{
    TSkEditWnd::SaveStdParams();
    for (const auto& [ref, value] : SkinValues())
        FKept.Keep(ControlBehind(), ref);
}

void TSkGridWnd::RestoreStdParams()
{
    TObject* grid = ControlBehind();
    if (grid && !BeingDestroyed(grid))
        FKept.Restore(grid);
    TSkEditWnd::RestoreStdParams();
}

void TSkGridWnd::AfterCreation()
{
    TSkEditWnd::AfterCreation();
    for (const auto& [ref, value] : SkinValues())
        TzKeptProperties::Set(ControlBehind(), ref, value);
}

void TSkGridWnd::HandOverThumb(const TWMScroll& Scroll)
{
    // A data-aware grid moves to the record the bar's position names, so the bar holds the
    // thumb's place before the grid looks.
    const int code = Scroll.ScrollCode;
    if ((code != SB_THUMBPOSITION && code != SB_THUMBTRACK) || !HasProperty(ControlBehind(), "DataSource"))
        return;
    SCROLLINFO si{sizeof(si), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle, SB_VERT, &si);
    const int track = Scrolling ? ScrollTracking.LastTrackPos : si.nTrackPos;
    si.fMask = SIF_POS;
    si.nPos = code == SB_THUMBPOSITION ? track + 1 : track;
    SetScrollInfo(Handle, SB_VERT, &si, FALSE);
}

void TSkGridWnd::WndProc(TMessage& M)
{
    const bool skinned = Skinning();
    if (skinned) {
        switch (M.Msg) {
        case WM_ERASEBKGND:
            M.Result = 1;
            return;
        case WM_NCPAINT:
            if (IsWindowVisible(Handle))
                SkinData->SetUpdating(false);
            break;
        case WM_VSCROLL:
            HandOverThumb(TWMScroll(M));
            break;
        case WM_PRINT:
            Print(M, TWMPrint(M).DC, true);
            return;
        }
    }
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (!skinned || !alive() || !Hooked())
        return;
    if (M.Msg == WM_PAINT)
        RefreshScrollInfo(this, true);
    else if (M.Msg == WM_WINDOWPOSCHANGED)
        RedrawFrame();
}

// ---------------------------------------------------------------------------------------
// Virtual trees

Z_CLASS_IMPL(TSkVirtualTreeViewWnd, TSkEditWnd)

TSkVirtualTreeViewWnd::~TSkVirtualTreeViewWnd()
{
    Release();
}

void TSkVirtualTreeViewWnd::SaveStdParams()
{
    TSkEditWnd::SaveStdParams();
    for (const char* name : VirtualTreeColors)
        FKept.Keep(ControlBehind(), TzPropRef{"VETColors", -1, "", name});
}

void TSkVirtualTreeViewWnd::RestoreStdParams()
{
    TObject* tree = ControlBehind();
    if (tree && !BeingDestroyed(tree)) {
        FKept.Restore(tree);
        if (FAddedOwnerDraw)
            ChangeSetProperty(GetObjectProperty(tree, "Header"), "Options", "hoOwnerDraw", false);
        FAddedOwnerDraw = false;
    }
    TSkEditWnd::RestoreStdParams();
}

void TSkVirtualTreeViewWnd::AfterCreation()
{
    TSkEditWnd::AfterCreation();
    TObject* tree = ControlBehind();
    const TzGeneralData* s = SectionOf(SkinData);
    if (!tree || !s)
        return;
    for (const char* name : VirtualTreeColors)
        TzKeptProperties::Set(tree, TzPropRef{"VETColors", -1, "", name}, s->HotFontColor);
    TObject* header = GetObjectProperty(tree, "Header");
    if (header && HasProperty(header, "Options") && !SetContains(header, "Options", "hoOwnerDraw")) {
        ChangeSetProperty(header, "Options", "hoOwnerDraw", true);
        FAddedOwnerDraw = SetContains(header, "Options", "hoOwnerDraw");
    }
}

TRect TSkVirtualTreeViewWnd::HeaderRect() const
{
    TObject* header = GetObjectProperty(ControlBehind(), "Header");
    if (!header || !SetContains(header, "Options", "hoVisible"))
        return {};
    RECT wr{};
    GetWindowRect(Handle, &wr);
    // The tree keeps the band in its frame, just above the client area.
    const int h = std::clamp(int(GetOrdProperty(header, "Height")), 0, int(FrameTop));
    return TRect(FrameLeft, FrameTop - h, std::max(int(FrameLeft), int(wr.right - wr.left) - FrameRight), FrameTop);
}

void TSkVirtualTreeViewWnd::PaintHeader(HDC DC)
{
    const TRect band = HeaderRect();
    TzSkinManager* m = SkinData->GetSkinManager();
    if (!DC || band.Width() < 2 || band.Height() < 2 || ColumnHeaderSection(m) < 0)
        return;
    TObject* header = GetObjectProperty(ControlBehind(), "Header");
    auto bmp = CreateBmp24(band.Width(), band.Height());
    TzCacheInfo behind;
    if (TBitmap* cache = SkinData->CacheBmp())
        behind = MakeCacheInfo(cache, band.Left, band.Top);
    auto* font = dynamic_cast<TFont*>(GetObjectProperty(header, "Font"));
    const HFONT hfont = font ? font->Handle() : reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0));
    const int sortColumn = HasProperty(header, "SortColumn") ? int(GetOrdProperty(header, "SortColumn")) : -1;
    const TzSortMark mark = GetOrdProperty(header, "SortDirection") == 1 ? smkDown : smkUp;
    int x = 0;
    if (auto* columns = dynamic_cast<TCollection*>(GetObjectProperty(header, "Columns")))
        for (int i = 0; i < columns->Count() && x < band.Width(); ++i) {
            TObject* column = columns->Items(i);
            const int w = HasProperty(column, "Width") ? std::clamp(int(GetOrdProperty(column, "Width")), 0, band.Width())
                                                       : 50;
            TzColumnLook look;
            look.Text = TextProperty(column, "Text");
            look.Align = HasProperty(column, "Alignment") ? int(GetOrdProperty(column, "Alignment")) : 0;
            look.Sort = i == sortColumn ? mark : smkNone;
            PaintColumnHeader(bmp.get(), TRect(x, 0, x + w, band.Height()), m, look, hfont, behind);
            x += w;
        }
    if (x < band.Width())
        PaintColumnHeader(bmp.get(), TRect(x, 0, band.Width(), band.Height()), m, TzColumnLook{}, hfont, behind);
    BitBlt(DC, band.Left, band.Top, band.Width(), band.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkVirtualTreeViewWnd::WndProc(TMessage& M)
{
    const bool skinned = Skinning();
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (!skinned || !alive() || !Hooked())
        return;
    switch (M.Msg) {
    case WM_NCPAINT:
        if (IsWindowVisible(Handle) && !SkinData->GetUpdating())
            PaintHeader(TWindowDC(Handle).Handle());
        break;
    case WM_PRINT:
        PaintHeader(TWMPrint(M).DC);
        break;
    }
}
