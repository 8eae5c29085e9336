// What the tests of Unicode windows, controls, menus and forms share: a form to put controls
// on, message pumping, native windows and menus read back as UTF-16, the library's edit with a
// Unicode window, and pictures to paint into and compare.
#pragma once

#include "uctest.h"
#include "classlib/form_helpers.h"
#include "classlib/forms.h"
#include "classlib/graphics_helpers.h"
#include "classlib/stdctrls.h"
#include "unicode/uccontrols.h"
#include "unicode/ucstdctrls.h"
#include "wide_lists_test_util.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// The text of a native menu's entry as UTF-16 (with "&" and the TAB part).
inline WideString WideMenuText(HMENU Menu, int Pos)
{
    WideChar buf[256] = {};
    int n = GetMenuStringW(Menu, static_cast<UINT>(Pos), buf, 256, MF_BYPOSITION);
    return WideString(buf, static_cast<size_t>(std::clamp(n, 0, 255)));
}

inline WideString WideWindowText(HWND Wnd)
{
    int len = GetWindowTextLengthW(Wnd);
    WideString s(static_cast<size_t>(len) + 1, L'\0');
    s.resize(static_cast<size_t>(std::clamp(GetWindowTextW(Wnd, s.data(), len + 1), 0, len)));
    return s;
}

// A form that stays out of the way, and controls of type T on it.
template <class F = TForm> struct TTestForm {
    std::unique_ptr<F> Form = std::make_unique<F>(nullptr);
    TTestForm() { Form->SetBounds(40, 40, 360, 240); }
    template <class T> T* Add()
    {
        auto* c = new T(Form.get());
        c->SetParent(Form.get());
        return c;
    }
    template <class T> T* Add(int Left, int Top, int Width, int Height)
    {
        T* c = Add<T>();
        c->SetBounds(Left, Top, Width, Height);
        return c;
    }
    // Shown in front and made the active window (at once, in this thread), its messages handled.
    void Show()
    {
        Form->Show();
        SetActiveWindow(Form->Handle());
        Pump();
    }
};

// The library's edit with a Unicode window, its wide password character, and
// the keys its key handling sees (a key may be replaced there).
class TWideEdit : public TEdit {
    Z_CLASS(TWideEdit, TEdit)
public:
    explicit TWideEdit(TComponent* AOwner) : TEdit(AOwner) { SetBounds(8, 8, 200, 24); }
    WideChar WidePasswordChar() { return GetEditWidePasswordChar(this, FWidePasswordChar); }
    void SetWidePasswordChar(WideChar Value) { SetEditWidePasswordChar(this, FWidePasswordChar, Value); }
    std::vector<char> Keys;
    char Replace = 0;

protected:
    void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditHandle(this, Params); }
    void CreateWnd() override
    {
        TEdit::CreateWnd();
        ApplyWidePasswordChar(this, FWidePasswordChar);
    }
    void KeyPress(char& Key) override
    {
        Keys.push_back(Key);
        if (Replace)
            Key = Replace;
        TEdit::KeyPress(Key);
    }

private:
    WideChar FWidePasswordChar = 0;
};
inline Z_CLASS_IMPL(TWideEdit, TEdit)

// A 24-bit picture filled with one colour.
inline std::unique_ptr<TBitmap> Picture(int Width, int Height, TColor Color)
{
    auto bmp = std::make_unique<TBitmap>();
    NewBmp24(*bmp, Width, Height, Color);
    return bmp;
}

inline int CountPixels(TBitmap* Bmp, TColor Color)
{
    GdiFlush();
    return CountOf(*Bmp, TRect(0, 0, Bmp->Width(), Bmp->Height()), TColor(ColorToRGB(Color)));
}

inline bool SamePixels(TBitmap* A, TBitmap* B)
{
    GdiFlush();
    if (A->Width() != B->Width() || A->Height() != B->Height())
        return false;
    for (int y = 0; y < A->Height(); ++y)
        if (std::memcmp(A->ScanLine(y), B->ScanLine(y), static_cast<size_t>(A->Width()) * 3) != 0)
            return false;
    return true;
}
