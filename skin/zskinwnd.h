// Window adapters: the skin's look for a window that does not paint itself from the skin (a
// standard control in a dialog, a popup menu window, the inner window of a class-library
// control). An adapter takes over the window's procedure, keeps its own skin data, answers
// the skin command like a skinned control, paints the window or only its frame and scroll
// bars, and passes everything else to the procedure it replaced.
//
// An adapter chains like any subclass. A foreign window is subclassed through its window
// procedure, with the wide calls when the window is Unicode so that it stays Unicode; a
// control of the class library through its WindowProc. The replaced procedure is put back
// only while the adapter's is still the current one (and the window still exists): a
// subclass installed later is never cut out. The adapter then stays in the chain as a link
// that passes everything on, until its window (or its control) goes.
//
// An adapter may be freed by its owner at any time, also from inside a message that runs
// through it (a skin command that removes the skin): code that runs after the replaced
// procedure goes on only when PassOn says the adapter is still there.
#pragma once

#include "classlib/controls.h"
#include "classlib/msgrecords.h"
#include "skin/zskinservices.h"

#include <cstdint>
#include <memory>

class TzCommonData;
class TzSkinManager;
class TSkFreeWatch;

// The KeepColors the next adapter made takes (a combo box hands it to its list): normally 0.
extern uint8_t AdapterKeepColorsHandOver;

// The window property that names a window's adapter.
constexpr const wchar_t* AdapterPropName = L"SKSBSC";

class TSkMainWnd;

// The link a window adapter, or a form's skin provider, puts into its window's chain: every
// message goes to its receiver, which passes on what it does not keep. Released, the link
// leaves the chain when it is still the current procedure; another subclass lying over it is
// never cut out: the link then stays, passing everything on, until its window (or its
// control) is gone, and takes itself out once it is on top again.
class TSkWndLink : public std::enable_shared_from_this<TSkWndLink> {
public:
    // A link into the chain of Control's WindowProc (a class-library object) or, without
    // one, of Wnd's window procedure (through the wide calls for a Unicode window). Owner
    // names who made it, for TSkAliveToken; it clears it when it goes.
    static std::shared_ptr<TSkWndLink> Install(HWND Wnd, TControl* Control, TWndMethod Receiver, const void* Owner);
    TSkWndLink() = default;
    ~TSkWndLink();
    TSkWndLink(const TSkWndLink&) = delete;
    TSkWndLink& operator=(const TSkWndLink&) = delete;

    // No receiver any more: out of the chain, or left in it passing everything on.
    void Release();
    // The message to the replaced procedure (the result in M.Result).
    void PassOn(TMessage& M);
    bool Receiving() const { return bool(FReceiver); }
    // The replaced WindowProc of a control (empty for a foreign window), the replaced
    // procedure of a foreign window and the callable instance standing in for it.
    TWndMethod OldMethod() const { return FOldMethod; }
    WNDPROC OldProc() const { return FOldProc; }
    WNDPROC Instance() const { return FInstance; }
    // Nothing will call the link any more.
    bool Finished() const;

    const void* Owner = nullptr;

private:
    void Hook(TControl* Target);
    // The replaced procedure back when the link is still the current one.
    bool CutOut();
    void Message(TMessage& M);
    TWndMethod Method() { return MakeMethod<&TSkWndLink::Message>(this); }
    bool ControlAlive() const;

    TWndMethod FReceiver;
    HWND FWnd = nullptr;
    TControl* FControl = nullptr;
    std::unique_ptr<TSkFreeWatch> FWatch;
    TWndMethod FOldMethod;
    WNDPROC FOldProc = nullptr;
    WNDPROC FInstance = nullptr;
    bool FUnicode = false;
    bool FInstalled = false;
    bool FWindowGone = false;   // WM_NCDESTROY went through
    int FDepth = 0;
};

// Tells whether an adapter still exists after a call that may have freed it.
class TSkAliveToken {
public:
    explicit TSkAliveToken(const TSkMainWnd* Adapter);
    bool operator()() const;

private:
    std::shared_ptr<TSkWndLink> FLink;   // kept so that the answer can still be read
    const TSkMainWnd* FAdapter;
};

class TSkMainWnd : public TObject {
    Z_CLASS(TSkMainWnd, TObject)
public:
    // Takes the window and the skin data (made and owned when none is given, with the section
    // when it names none). Visual styles are switched off unless the section is "DIALOG".
    // Nothing is hooked yet: CreateAdapter does that through Attach.
    TSkMainWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager, const AnsiString& SectionName);
    ~TSkMainWnd() override;
    TSkMainWnd(const TSkMainWnd&) = delete;
    TSkMainWnd& operator=(const TSkMainWnd&) = delete;

    // The second half of making an adapter, where its own overrides already count: the
    // hand-over KeepColors, SaveStdParams, then HookParts.
    void Attach(bool Repaint);
    // Keeps and gives back what the adapter changes on the window (colours, fonts).
    virtual void SaveStdParams() {}
    virtual void RestoreStdParams() {}
    // Called by whoever chose the adapter once it is made: applies the skin's colours.
    virtual void AfterCreation() { ColorsApplied = 1; }
    // The replacement window procedure.
    virtual void WndProc(TMessage& Message);

    // Undoes the hooking: the procedure put back (when still the adapter's), the property
    // removed, RestoreStdParams, the frame redrawn when the window is visible (recalculated
    // with Repaint). Dead afterwards; nothing on a dead adapter.
    void Detach(bool Repaint);

    // Window, parent and text, refreshed before painting.
    void GetWindowInfo();

    // Hooked to its window and not detached.
    bool Hooked() const;
    // The replaced window method of a class-library control (empty for a foreign window), the
    // replaced procedure of a foreign window, and the callable instance standing in for it.
    TWndMethod OldWindowProc() const;
    WNDPROC OldWndProc() const;
    WNDPROC ObjectInstance() const;
    // The manager in use: the one given while it exists, else the skin data's.
    TzSkinManager* SkinManager() const;
    // The adapter has skin data and a manager whose skin is applied.
    bool SkinActive() const;

    uint8_t KeepColors = 0;       // the window keeps its own colours
    WideString Caption;
    TRect WndRect;                // screen
    TSize WndSize;
    TPoint WndPos;                // within the parent's window rectangle
    TRect ParentRect;
    HWND ParentHandle = nullptr;
    HWND Handle = nullptr;
    TzCommonData* SkinData = nullptr;
    uint8_t Scrolling = 0;        // the adapter itself is sending a scroll message
    uint8_t ColorsApplied = 0;
    uint8_t Dead = 0;
    uint8_t OwnsSkinData = 0;

protected:
    // The message to the replaced procedure; the result in Message.Result. False when the
    // adapter was freed meanwhile: the caller must not touch it any more.
    bool PassOn(TMessage& Message);
    // Hooks the window (HookWindow); a scroll adapter attaches its bars, and with Repaint
    // recalculates the frame at once.
    virtual void HookParts(bool Repaint);
    // What a subclass frees or undoes when it detaches, after RestoreStdParams.
    virtual void DetachParts() {}
    // The skin command: answered here, or passed on.
    virtual void SkinCommand(TWMSkinCommand Cmd);
    // The skin command as every adapter answers it; True when it ends there.
    bool HandleAdapterCommand(TWMSkinCommand& Cmd);
    // The command came from the adapter's own manager.
    bool FromOwnManager(const TWMSkinCommand& Cmd) const;
    // The skin data is skinned and the window hooked: the adapter paints.
    bool Skinning() const;
    // The window becomes the default manager's hot window, when it is enabled.
    void BecomeHot();
    // The window is being destroyed: detach, then pass the message on.
    void DetachOnDestroy(TMessage& Message);
    // The destructor's part: visual styles back on, then Detach; nothing on a dead adapter.
    // Every class that overrides RestoreStdParams or DetachParts calls it in its own
    // destructor, where its overrides still count.
    void Release();

private:
    friend class TSkAliveToken;
    friend void HookWindow(TSkMainWnd* Adapter, HWND Window);
    friend LRESULT CallOldWndProc(TSkMainWnd* Adapter, HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
    std::shared_ptr<TSkWndLink> FLink;
    // The manager given at the making, watched: it may be freed before the adapter.
    std::unique_ptr<TSkFreeWatch> FManager;
    bool FDestroying = false;   // the window is in WM_DESTROY / WM_NCDESTROY
};

// Makes an adapter of class T and attaches it. The adapter is its owner's to free.
template <class T, class... Extra>
std::unique_ptr<T> CreateAdapter(HWND Window, TzCommonData* SkinData, TzSkinManager* Manager,
                                 const AnsiString& SectionName, bool Repaint, Extra&&... More)
{
    auto a = std::make_unique<T>(Window, SkinData, Manager, SectionName, std::forward<Extra>(More)...);
    a->Attach(Repaint);
    return a;
}

// The window's frame calculated again (Recalculate) or only painted again, at once; while a
// skin change runs it is only invalidated, for the one redraw that ends the change.
void RefreshWindowFrame(HWND Window, bool Recalculate);

// Subclasses the window for the adapter and names it in the property "SKSBSC": a control's
// WindowProc (the form's, for a provider's skin data) when the skin data belongs to the
// class-library object of that window, else the window procedure.
void HookWindow(TSkMainWnd* Adapter, HWND Window);
// Adapter->Detach(Repaint); the owner frees it.
void UnhookWindow(TSkMainWnd* Adapter, bool Repaint);
// The message through the adapter's replaced procedure; 0 when there is none.
LRESULT CallOldWndProc(TSkMainWnd* Adapter, HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
// The adapter named by the window's property, or none.
TSkMainWnd* FindWindowAdapter(HWND Window);

// When the background is marked changed: the cache sized to the window and painted from the
// section over the parent's picture at the window's place in it (filled with the skin's
// colour instead with FillOnly, when the skin has one); then the key colour through the
// border. The mark is cleared.
void PrepareWindowCache(TzCommonData* SkinData, HWND Window, bool FillOnly);
// A parent window's background colour: its answer to the skin command, else the dialog colour.
TColor WindowParentColor(HWND Parent);
// Key-colour pixels of the border strips of the cache (the section's border margins) show
// the parent: its picture at the same place, or its background colour.
void FillBorderKeys(TzCommonData* SkinData, HWND Window);
// The four border widths of the skin data's border mask (0 without one).
struct TzBorderWidths {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TzBorderWidths SectionBorderWidths(const TzCommonData* SkinData);
