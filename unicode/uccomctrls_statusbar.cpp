// The status bar with wide texts: wide panel texts and simple text, the Unicode window that
// shows them with their TABs of alignment, and wide hints.
#include "unicode/uccomctrls.h"
#include "unicode/ucforms.h"

Z_CLASS_IMPL(TUcStatusPanel, TStatusPanel, Z_PROP_WSTR(TUcStatusPanel, Text))
Z_CLASS_IMPL(TUcStatusPanels, TStatusPanels)
Z_CLASS_IMPL(TUcCustomStatusBar, TCustomStatusBar)
Z_CLASS_IMPL(TUcStatusBar, TUcCustomStatusBar, Z_STATUSBAR_PROPS(TUcStatusBar), Z_PROP_WSTR(TUcStatusBar, SimpleText),
             WideHintProp<TUcStatusBar>())

namespace {

void SetAnsiPanelText(TObject* Target, const AnsiString& Value)
{
    static_cast<TStatusPanel*>(Target)->TStatusPanel::SetText(Value);
}

void SetAnsiSimpleText(TObject* Target, const AnsiString& Value)
{
    static_cast<TCustomStatusBar*>(Target)->TCustomStatusBar::SetSimpleText(Value);
}

template <class S> size_t LeadingTabs(const S& Text)
{
    size_t n = 0;
    while (n < Text.size() && Text[n] == '\t')
        ++n;
    return n;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Panels

WideString TUcStatusPanel::Text() const
{
    return WideGetCachedValue(FWideText, TStatusPanel::Text());
}

void TUcStatusPanel::SetText(const WideString& Value)
{
    WideSetCachedValue(Value, FWideText, TStatusPanel::Text(), &SetAnsiPanelText, this);
}

void TUcStatusPanel::Assign(TPersistent* Source)
{
    TStatusPanel::Assign(Source);
    if (auto* panel = dynamic_cast<TUcStatusPanel*>(Source))
        SetText(panel->Text());
}

WideString StatusPartWideText(TCustomStatusBar* Bar, int Part, const AnsiString& Ansi)
{
    const size_t tabs = LeadingTabs(Ansi);
    const AnsiString shown = Ansi.substr(tabs);
    WideString wide;
    if (Part >= SB_SIMPLEID) {
        auto* bar = dynamic_cast<TUcCustomStatusBar*>(Bar);
        wide = bar ? bar->SimpleText() : AnsiToWide(Bar->SimpleText());
    } else if (Part < Bar->Panels()->Count()) {
        auto* panel = dynamic_cast<TUcStatusPanel*>(Bar->Panels()->Items(Part));
        wide = panel ? panel->Text() : AnsiToWide(Bar->Panels()->Items(Part)->Text());
    } else {
        return AnsiToWide(Ansi);
    }
    // A text that is not the panel's (sent from outside) is shown as it came.
    wide = wide.substr(LeadingTabs(wide));
    if (WideToAnsi(wide) != shown)
        wide = AnsiToWide(shown);
    return WideString(tabs, L'\t') + wide;
}

// ---------------------------------------------------------------------------------------
// TUcCustomStatusBar

WideString TUcCustomStatusBar::SimpleText() const
{
    return WideGetCachedValue(FWideSimpleText, TCustomStatusBar::SimpleText());
}

void TUcCustomStatusBar::SetSimpleText(const WideString& Value)
{
    WideSetCachedValue(Value, FWideSimpleText, TCustomStatusBar::SimpleText(), &SetAnsiSimpleText, this);
}

void TUcCustomStatusBar::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeHandle_ComCtl(this, Params, STATUSCLASSNAMEW);
}

void TUcCustomStatusBar::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case SB_SETTEXTA:
        // Owner-drawn parts carry no text; their drawing is the program's.
        if (PlatformIsUnicode && HandleAllocated() && !(Message.WParam & SBT_OWNERDRAW)) {
            const int part = static_cast<int>(Message.WParam & 0xFF);
            const char* ansi = reinterpret_cast<const char*>(Message.LParam);
            const WideString text = StatusPartWideText(this, part, ansi ? AnsiString(ansi) : AnsiString());
            Message.Result = SendMessageW(WindowHandle(), SB_SETTEXTW, Message.WParam, reinterpret_cast<LPARAM>(text.c_str()));
            return;
        }
        break;
    }
    TUcControlOf<TCustomStatusBar>::WndProc(Message);
}

bool TUcCustomStatusBar::ExecuteAction(TBasicAction* Action)
{
    auto* hint = dynamic_cast<TUcHintAction*>(Action);
    if (!AutoHint() || !hint || DoHint())
        return TUcControlOf<TCustomStatusBar>::ExecuteAction(Action);
    if (SimplePanel() || Panels()->Count() == 0)
        SetSimpleText(hint->Hint());
    else if (TUcStatusPanel* first = Panels()->Items(0))
        first->SetText(hint->Hint());
    else
        TCustomStatusBar::Panels()->Items(0)->SetText(WideToAnsi(hint->Hint()));
    return true;
}

// ---------------------------------------------------------------------------------------

void InitUcComCtrls()
{
    RegisterClass(TUcListView::StaticClassInfo());
    RegisterClass(TUcStatusBar::StaticClassInfo());
}
