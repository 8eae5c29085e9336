// What the tests of windows share: queued messages run, a form above the other test programs'
// windows, controls put on a parent, window text and styles read back, form data written and
// read back, and what reaches the application's exception handler.
#pragma once

#include "classlib/forms.h"

#include <doctest.h>

#include <initializer_list>
#include <memory>
#include <vector>

using TLog = std::vector<AnsiString>;

// Lets queued and posted messages run, with a little time for the system in between.
inline void Pump()
{
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

inline std::unique_ptr<TForm> MakeForm(int Width = 300, int Height = 200)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(60, 60, Width, Height);
    return form;
}

// Shows the form above other programs' windows and activates it, so that the focus and the
// keyboard behave as for the user.
inline void ShowOnTop(TCustomForm* Form)
{
    Form->Show();
    SetWindowPos(Form->WindowHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(Form->WindowHandle());
    Pump();
}

inline void FocusOn(TWinControl* Control)
{
    Control->SetFocus();
    Pump();
}

// A control of class T on Parent, owned by the parent's owner (the form), or by the parent
// when it has none.
template <class T> T* Add(TWinControl* Parent, int X, int Y, int W, int H)
{
    auto* c = new T(Parent->Owner() ? Parent->Owner() : Parent);
    c->SetBounds(X, Y, W, H);
    c->SetParent(Parent);
    return c;
}

// A pixel of a control's client area as it is on the screen.
inline TColor ClientPixel(TWinControl* Control, int X, int Y)
{
    HDC dc = GetDC(Control->Handle());
    const TColor c = TColor(GetPixel(dc, X, Y));
    ReleaseDC(Control->Handle(), dc);
    return c;
}

inline AnsiString WindowText(HWND Wnd)
{
    char text[256] = {};
    GetWindowTextA(Wnd, text, sizeof(text));
    return text;
}

inline AnsiString WindowClass(HWND Wnd)
{
    char name[64] = {};
    GetClassNameA(Wnd, name, sizeof(name));
    return name;
}

inline LONG StyleOf(HWND Wnd)
{
    return GetWindowLongA(Wnd, GWL_STYLE);
}

// Writes Source as form data and reads it into Into, which must write the same bytes again;
// each name of Written must be in the bytes. Answers the bytes.
inline AnsiString CheckRoundTrip(TComponent* Source, TComponent* Into, std::initializer_list<const char*> Written)
{
    TStringStream data;
    data.WriteComponent(Source);
    const AnsiString bytes = data.DataString();
    for (const char* name : Written)
        CHECK_MESSAGE(bytes.find(name) != AnsiString::npos, name);
    data.SetPosition(0);
    data.ReadComponent(Into);
    TStringStream again;
    again.WriteComponent(Into);
    CHECK(again.DataString() == bytes);
    return bytes;
}

// Catches what reaches the application's exception handler while it lives.
struct TCatcher {
    TLog Messages;
    std::vector<TObject*> Senders;
    TExceptionEvent Saved = Application->OnException;
    TCatcher() { Application->OnException = MakeMethod<&TCatcher::Caught>(this); }
    ~TCatcher() { Application->OnException = Saved; }
    TCatcher(const TCatcher&) = delete;
    TCatcher& operator=(const TCatcher&) = delete;
    void Caught(TObject* Sender, Exception* E)
    {
        Senders.push_back(Sender);
        Messages.push_back(E->Message());
    }
};
