// Records the messages windows receive, for tests that must see exactly the messages expected,
// in order, and a readable difference when they do not:
//
//     TMsgRecorder rec({WM_COMMAND});
//     rec.Attach(form->Handle(), "form");
//     rec.Name(ok->Handle(), "ok");
//     SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
//     CHECK_MESSAGES(rec, {"form", WM_COMMAND, BN_CLICKED, "ok"});
//
// What a child sends its parent is seen by recording the parent. A window is attached by
// subclassing it, a control of the library by replacing its WindowProc (which also shows what
// is only performed on it). Detached, the recorder restores what was there only if it is still
// the one installed; otherwise it stays in the chain passing everything on.
#pragma once

#include <doctest.h>

#include "classlib/controls.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// One message received, or one expected. In an expectation an omitted Param or From is not
// compared.
struct TMsgEntry {
    static constexpr intptr_t AnyParam = INTPTR_MIN;

    std::string Window;          // the tag of the window or control that received it
    UINT Msg = 0;
    // The parameter that says most (see TMsgRecorder::ParamOf): the notification code of
    // WM_COMMAND and WM_NOTIFY, the key of key messages, else WParam.
    intptr_t Param = AnyParam;
    // WM_COMMAND and WM_NOTIFY (and their reflected forms): the tag of the sending control,
    // or its handle in hexadecimal when it has no tag.
    std::string From;

    TMsgEntry(std::string AWindow, UINT AMsg, intptr_t AParam = AnyParam, std::string AFrom = {})
        : Window(std::move(AWindow)), Msg(AMsg), Param(AParam), From(std::move(AFrom)) {}
    // Notification codes are unsigned (NM_CLICK is 0xFFFFFFFE): kept with the same bits.
    TMsgEntry(std::string AWindow, UINT AMsg, UINT AParam, std::string AFrom = {})
        : TMsgEntry(std::move(AWindow), AMsg, static_cast<intptr_t>(AParam), std::move(AFrom)) {}
    // Whether a recorded entry matches this expected one.
    bool Matches(const TMsgEntry& Recorded) const;
    std::string ToString() const;
};

class TMsgRecorder {
public:
    using TPredicate = std::function<bool(UINT Msg, WPARAM WParam, LPARAM LParam)>;

    TMsgRecorder();
    // Records only these messages.
    explicit TMsgRecorder(std::initializer_list<UINT> Messages);
    ~TMsgRecorder();
    TMsgRecorder(const TMsgRecorder&) = delete;
    TMsgRecorder& operator=(const TMsgRecorder&) = delete;

    void Attach(HWND Wnd, const std::string& Tag);
    void Attach(TControl* Control, const std::string& Tag);
    void Detach(HWND Wnd);
    void Detach(TControl* Control);
    void DetachAll();
    // A tag for a window that is not recorded, so the entries it sends name it.
    void Name(HWND Wnd, const std::string& Tag) { FNames[Wnd] = Tag; }

    // What is recorded: a set of message numbers, or any rule. Everything when neither.
    void Only(std::initializer_list<UINT> Messages);
    void Only(TPredicate Rule) { FFilter = std::move(Rule); }

    const std::vector<TMsgEntry>& Entries() const { return FEntries; }
    void Clear() { FEntries.clear(); }
    // The recorded messages sent to one tag, in order.
    std::vector<UINT> MessagesOf(const std::string& Tag) const;

    // Empty when the recorded entries match Expected one for one, in order; otherwise both
    // lists side by side, aligned where they agree, each difference marked.
    std::string Compare(const std::vector<TMsgEntry>& Expected) const;

    // The parameter recorded for a message (TMsgEntry::Param).
    static intptr_t ParamOf(UINT Msg, WPARAM WParam, LPARAM LParam);
    // WM_COMMAND, CM_TEXTCHANGED, CN_NOTIFY ...; registered messages by their registered name;
    // anything else as a number.
    static std::string MessageName(UINT Msg);
    // A name for a message of a layer above the class library (the skin's own messages), so
    // its tests' differences read as well.
    static void NameMessage(UINT Msg, const std::string& Name);

    // Used by the hooks.
    void Receive(const std::string& Tag, UINT Msg, WPARAM WParam, LPARAM LParam) noexcept;

private:
    struct TControlHook;
    std::string TagOf(HWND Wnd) const;

    std::vector<TMsgEntry> FEntries;
    TPredicate FFilter;
    std::map<HWND, std::string> FNames;
    std::vector<HWND> FWindows;
    std::vector<std::unique_ptr<TControlHook>> FControls;
};

#define CHECK_MESSAGES(Recorder, ...)                                                              \
    do {                                                                                           \
        const std::string zDiff_ = (Recorder).Compare(std::vector<TMsgEntry>{__VA_ARGS__});        \
        CHECK_MESSAGE(zDiff_.empty(), "\n" << zDiff_);                                            \
    } while (false)
