// What the skinned-control tests share: a form of the application (the manager's broadcast
// reaches it), a manager with one of our skins, a backdrop whose picture is one colour, and
// pixels read from the screen.
#pragma once

#include "classlib/form_helpers.h"
#include "msgrecorder.h"
#include "skin/pixels.h"
#include "skin/skinfixtures.h"
#include "unicode/uctest.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"
#include "unicode/uccontrols.h"

#include <doctest.h>

#include <filesystem>
#include <memory>

// A windowed control whose picture, for children that ask (sub-command 5), is its colour all
// over, or Pattern when one is given. It skins nothing itself, so a broadcast goes on to its
// children.
class TBackdrop : public TCustomControl {
public:
    explicit TBackdrop(TComponent* AOwner) : TCustomControl(AOwner) { SetColor(clWhite); }
    TColor (*Pattern)(int X, int Y) = nullptr;
    TBitmap* Picture()
    {
        if (!FPicture || FPicture->Width() != Width() || FPicture->Height() != Height() || FPainted != Color()) {
            const int w = std::max(1, Width()), h = std::max(1, Height());
            FPainted = Color();
            FPicture = Pattern ? MakeBmp24(w, h, Pattern) : Filled24(w, h, FPainted);
        }
        return FPicture.get();
    }

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD && M.WParamHi() == SKCMD_GETBGIMAGE) {
            SharedCacheInfo = MakeCacheInfo(Picture(), 0, 0);
            return;
        }
        // A picture of its own is no plain colour: children that show through want it.
        if (M.Msg == SM_SKINCMD && M.WParamHi() == SKCMD_ISIMAGEBG) {
            TWMSkinCommand(M).Answer(Pattern ? 1 : 0);
            return;
        }
        TCustomControl::WndProc(M);
    }
    void Paint() override { BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), Picture()->Canvas()->Handle(), 0, 0, SRCCOPY); }

private:
    std::unique_ptr<TBitmap> FPicture;
    TColor FPainted = clNone;
};

// The manager (default for the controls) with one of our skins, and a form of the
// application 400 x 300 inside, shown on top.
struct TSkinFixture {
    std::unique_ptr<TzSkinManager> Manager = std::make_unique<TzSkinManager>(nullptr);
    TForm* Form = nullptr;
    TBackdrop* Backdrop = nullptr;
    int Counted = 0;   // the calls of Count, a handler of any notifying event
    void Count(TObject*) { ++Counted; }

    explicit TSkinFixture(const wchar_t* Skin = L"ZandrelDawn")
    {
        Manager->SetActive(false);
        Manager->SetSkinDirectory(TestDataPath("..\\..\\resources\\skins"));
        if (Skin)
            ApplySkin(Skin);
        Form = new TForm(Application);
        Form->SetBounds(40, 40, 420, 340);
        Form->HandleNeeded();
        Form->SetClientSize(400, 300);
        Backdrop = Place<TBackdrop>(Form, 0, 200, 400, 100);
        Backdrop->SetColor(TColor(0x2080C0));
    }
    ~TSkinFixture()
    {
        delete Form;
        Manager.reset();
    }

    void ApplySkin(const wchar_t* Name)
    {
        Manager->SetActive(false);
        Manager->SetSkinName(Name);
        Manager->SetActive(true);
        REQUIRE(Manager->SkinData().Active);
    }
    void RemoveSkin() { Manager->SetActive(false); }

    // A control of class T made as the program makes one, on Parent.
    template <class T> T* Place(TWinControl* Parent, int X, int Y, int W, int H)
    {
        T* c = MakeComponent<T>(Form);
        c->SetBounds(X, Y, W, H);
        c->SetParent(Parent);
        return c;
    }
    void Show()
    {
        ShowOnTop(Form);
        Redraw();
    }
    // Shown with the focus on the form itself: no control starts focused or hot.
    void ShowUnfocused()
    {
        Show();
        ::SetFocus(Form->Handle());
        Pump();
    }
    void Redraw()
    {
        RedrawWindow(Form->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }
    const TzGeneralData& Section(const char* Name) const
    {
        return Manager->Section(Manager->FindSectionIndex(Name));
    }
};

// A copy of one of our skins named Name, with three sections of its own (red, with a border of
// their own) before ours: every section and image has another index than in the original.
// Answers the folder to give the manager as its skin directory.
inline WideString ShiftedSkin(const wchar_t* From, const wchar_t* Name)
{
    const WideString folder = FreshFolder("shifted"), target = folder + Name + L"\\";
    std::filesystem::copy(std::filesystem::path(TestDataPath("..\\..\\resources\\skins\\") + From),
                          std::filesystem::path(target));
    std::string options;
    for (int i = 0; i < 3; ++i)
        options += "[SPARE" + std::to_string(i) + "]\r\nCOLOR=255\r\nBORDERSMASK=#(0,0,8,8)(2,2,2,2)\r\n";
    const Bytes original = ReadBytes(target + L"Options.dat");
    WriteText(target + L"Options.dat", options + std::string(original.begin(), original.end()));
    return folder;
}

// A control's cache painted again for its present state.
template <class C> TBitmap& FreshCache(C* Control)
{
    Control->SkinData()->SetBGChanged(true);
    if constexpr (requires { Control->PrepareEditCache(); })
        Control->PrepareEditCache();
    else if constexpr (requires { Control->PrepareCache(); })
        Control->PrepareCache();
    else
        Control->Repaint();
    return *Control->SkinData()->CacheBmp();
}

// The client area of a control as it is on the screen.
inline std::unique_ptr<TBitmap> ClientShot(TWinControl* C)
{
    auto bmp = Filled24(C->ClientWidth(), C->ClientHeight(), SkinKeyColor);
    TClientDC dc(C->Handle());
    BitBlt(bmp->Canvas()->Handle(), 0, 0, C->ClientWidth(), C->ClientHeight(), dc.Handle(), 0, 0, SRCCOPY);
    return bmp;
}

// A windowed control's client area as it prints itself (WM_PRINT).
inline std::unique_ptr<TBitmap> Printed(TWinControl* C)
{
    auto bmp = Filled24(C->Width(), C->Height(), clBlack);
    SendMessageW(C->Handle(), WM_PRINT, WPARAM(bmp->Canvas()->Handle()), PRF_CLIENT);
    return bmp;
}

// A pixel of a window as it is on the screen, frame included (0, 0 is the window's corner).
inline TColor WindowPixel(HWND Wnd, int X, int Y)
{
    TWindowDC dc(Wnd);
    return TColor(GetPixel(dc.Handle(), X, Y));
}

// Two colours that differ by at most Tolerance in each channel (blends round).
inline bool Near(TColor A, TColor B, int Tolerance = 2)
{
    for (int k = 0; k < 3; ++k)
        if (std::abs(Channel(A, k) - Channel(B, k)) > Tolerance)
            return false;
    return true;
}
// WeightOfA of A and the rest of B, per channel.
inline TColor Mix(TColor A, TColor B, double WeightOfA)
{
    TColor out = 0;
    for (int k = 0; k < 3; ++k)
        out |= TColor(int(Channel(A, k) * WeightOfA + Channel(B, k) * (1 - WeightOfA) + 0.5)) << (8 * k);
    return out;
}
