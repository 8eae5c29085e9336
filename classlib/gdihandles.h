// Drawing handles as values. An owning type deletes or releases its handle at the end of its
// life and can only be moved; a borrowed handle is explicitly someone else's and is never
// deleted; a scope puts a DC back as it found it. All of them let go also when an exception
// leaves, which is what a paint path needs: a handler that throws must not cost a DC, an
// object or a missing EndPaint.
//
// The header depends on the API alone, so the support library can use it too.
#pragma once

#include "classlib/winapi.h"

#include <utility>

// A handle someone else owns: passed around, never deleted. Copyable, like the handle.
template <class H> class TBorrowed {
public:
    TBorrowed() = default;
    explicit TBorrowed(H Handle) noexcept : FHandle(Handle) {}
    H Handle() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != nullptr; }

private:
    H FHandle = nullptr;
};

using TBorrowedDC = TBorrowed<HDC>;

// The common part of every owning type: one handle, moved but never copied. Free is the
// call that gives the handle back (DeleteObject, DeleteDC ...).
template <class H, class Free> class TOwnedHandle {
public:
    TOwnedHandle() = default;
    explicit TOwnedHandle(H Handle, Free F = Free()) noexcept : FHandle(Handle), FFree(std::move(F)) {}
    ~TOwnedHandle() { Reset(); }
    TOwnedHandle(TOwnedHandle&& Other) noexcept : FHandle(Other.Release()), FFree(std::move(Other.FFree)) {}
    TOwnedHandle& operator=(TOwnedHandle&& Other) noexcept
    {
        if (this != &Other) {
            Reset();
            FFree = std::move(Other.FFree);
            FHandle = Other.Release();
        }
        return *this;
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    H Handle() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != nullptr; }
    TBorrowed<H> Borrow() const noexcept { return TBorrowed<H>(FHandle); }

    // The handle is the caller's from now on.
    H Release() noexcept { return std::exchange(FHandle, nullptr); }

    // Frees the handle held (if any) and holds Handle instead.
    void Reset(H Handle = nullptr) noexcept
    {
        H old = std::exchange(FHandle, Handle);
        if (old && old != Handle)
            FFree(old);
    }

private:
    H FHandle = nullptr;
    [[no_unique_address]] Free FFree;
};

namespace zgdi {
struct DeleteObjectFree {
    void operator()(HGDIOBJ H) const noexcept { DeleteObject(H); }
};
struct DeleteDCFree {
    void operator()(HDC H) const noexcept { DeleteDC(H); }
};
struct DestroyIconFree {
    void operator()(HICON H) const noexcept { DestroyIcon(H); }
};
// A DC from GetDC or GetWindowDC goes back to the window it came from.
struct ReleaseDCFree {
    HWND Wnd = nullptr;
    void operator()(HDC H) const noexcept { ReleaseDC(Wnd, H); }
};
} // namespace zgdi

// An owned drawing object: deleted at the end. Select it out of every DC before that ends
// (a TSelectObject scope declared after it does so in time).
template <class H> using TGdiObject = TOwnedHandle<H, zgdi::DeleteObjectFree>;
using TOwnedBitmap = TGdiObject<HBITMAP>;
using TOwnedBrush = TGdiObject<HBRUSH>;
using TOwnedPen = TGdiObject<HPEN>;
using TOwnedFont = TGdiObject<HFONT>;
using TOwnedRegion = TGdiObject<HRGN>;
// An icon made for the caller (ImageList_GetIcon, CopyIcon, CreateIconIndirect ...), not
// one shared from a module's resources: DestroyIcon at the end.
using TOwnedIcon = TOwnedHandle<HICON, zgdi::DestroyIconFree>;

// A memory DC compatible with another DC (or with the screen): DeleteDC at the end. Empty
// when the system could not make one.
class TMemoryDC : public TOwnedHandle<HDC, zgdi::DeleteDCFree> {
public:
    TMemoryDC() = default;
    explicit TMemoryDC(HDC Compatible) noexcept : TOwnedHandle(CreateCompatibleDC(Compatible)) {}
};

// The DC of a window's client area (GetDC; the screen's for no window): ReleaseDC at the end.
class TClientDC : public TOwnedHandle<HDC, zgdi::ReleaseDCFree> {
public:
    TClientDC() = default;
    explicit TClientDC(HWND Wnd) noexcept : TOwnedHandle(GetDC(Wnd), zgdi::ReleaseDCFree{Wnd}) {}
};

// The DC of a whole window, frame included (GetWindowDC): ReleaseDC at the end.
class TWindowDC : public TOwnedHandle<HDC, zgdi::ReleaseDCFree> {
public:
    TWindowDC() = default;
    explicit TWindowDC(HWND Wnd) noexcept : TOwnedHandle(GetWindowDC(Wnd), zgdi::ReleaseDCFree{Wnd}) {}
};

// A window's DC that another call handed out (a control's GetDeviceContext): ReleaseDC at
// the end.
class TAdoptedDC : public TOwnedHandle<HDC, zgdi::ReleaseDCFree> {
public:
    TAdoptedDC(HWND Wnd, HDC DC) noexcept : TOwnedHandle(DC, zgdi::ReleaseDCFree{Wnd}) {}
};

// BeginPaint now, EndPaint at the end: the one pair WM_PAINT must always complete, or the
// window keeps asking to be painted.
class TPaintDC {
public:
    explicit TPaintDC(HWND Wnd) noexcept : FWnd(Wnd), FDC(BeginPaint(Wnd, &FPaint)) {}
    ~TPaintDC()
    {
        if (FWnd)
            EndPaint(FWnd, &FPaint);
    }
    TPaintDC(TPaintDC&& Other) noexcept
        : FWnd(std::exchange(Other.FWnd, nullptr)), FPaint(Other.FPaint), FDC(Other.FDC)
    {
    }
    TPaintDC& operator=(TPaintDC&&) = delete;
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;

    HDC Handle() const noexcept { return FDC; }
    explicit operator bool() const noexcept { return FDC != nullptr; }
    const PAINTSTRUCT& PaintStruct() const noexcept { return FPaint; }
    TBorrowedDC Borrow() const noexcept { return TBorrowedDC(FDC); }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// An object selected into a DC for a scope; the one it replaced goes back at the end.
class TSelectObject {
public:
    TSelectObject(HDC DC, HGDIOBJ Object) noexcept : FDC(DC), FOld(SelectObject(DC, Object)) {}
    ~TSelectObject()
    {
        if (FOld && FOld != HGDI_ERROR)
            SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

    // Selects another object; the one from before the scope still comes back at the end.
    void Select(HGDIOBJ Object) noexcept { SelectObject(FDC, Object); }

private:
    HDC FDC;
    HGDIOBJ FOld;
};

// The whole state of a DC (objects, clipping, origins, modes) saved for a scope and restored
// at the end.
class TSaveDCScope {
public:
    explicit TSaveDCScope(HDC DC) noexcept : FDC(DC), FSaved(SaveDC(DC)) {}
    ~TSaveDCScope()
    {
        if (FSaved)
            RestoreDC(FDC, FSaved);
    }
    TSaveDCScope(const TSaveDCScope&) = delete;
    TSaveDCScope& operator=(const TSaveDCScope&) = delete;

private:
    HDC FDC;
    int FSaved;
};

// The clip region of a DC kept for a scope: whatever the scope intersects, excludes or
// selects, the region from before (or none) is back at the end. Cheaper than a saved DC
// when only the clipping changes.
class TClipScope {
public:
    explicit TClipScope(HDC DC) noexcept : FDC(DC), FSaved(CreateRectRgn(0, 0, 0, 0))
    {
        // 1: the DC has a clip region, copied into ours; 0: none; -1: an error.
        if (FSaved && GetClipRgn(DC, FSaved.Handle()) != 1)
            FSaved.Reset();
    }
    // Clipped to R (logical units) for the scope.
    TClipScope(HDC DC, const RECT& R) noexcept : TClipScope(DC)
    {
        IntersectClipRect(DC, R.left, R.top, R.right, R.bottom);
    }
    ~TClipScope() { SelectClipRgn(FDC, FSaved.Handle()); }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    HDC FDC;
    TOwnedRegion FSaved;
};

// WM_PAINT, WM_PRINTCLIENT: Paint(DC) into the DC the message gives, else between BeginPaint
// and EndPaint.
template <class F> void PaintInto(HWND Wnd, HDC Given, F&& Paint)
{
    if (Given) {
        Paint(Given);
        return;
    }
    TPaintDC dc(Wnd);
    Paint(dc.Handle());
}
