// The page of skinned edits: plain, password, read-only and disabled edits with their bound
// labels, a system list box that knows nothing of skins skinned through its window adapter,
// a memo with scroll bars, and a splitter between the two panes that resizes the left one.
// Every control follows the skin chooser.
#include "gallery.h"
#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"
#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "skinctl/zpanel.h"
#include "skinctl/zskinctl.h"
#include "skinctl/zsplitter.h"

namespace {

// An edit with its caption as a bound label on its left.
TzEdit* LabelledEdit(TWinControl* Pane, TComponent* Owner, int Top, const wchar_t* Caption, const WideString& Text)
{
    auto* edit = Put<TzEdit>(Pane, Owner, 130, Top, 220, 24);
    edit->SetText(Text);
    edit->BoundLabel()->SetCaption(WideToAnsi(Caption));
    edit->BoundLabel()->SetActive(true);
    return edit;
}

// A pane holding a plain system list box. The pane answers the skin command as a skinned
// control would, and gives the list box an edit adapter while a skin is applied.
class TForeignListPane : public TGalleryPanel {
    Z_CLASS(TForeignListPane, TGalleryPanel)
public:
    explicit TForeignListPane(TComponent* AOwner) : TGalleryPanel(AOwner) {}
    ~TForeignListPane() override { FAdapter.reset(); }

protected:
    void CreateWnd() override
    {
        TGalleryPanel::CreateWnd();
        FList = CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                                0, 0, Width(), Height(), Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(FList, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
        for (const wchar_t* name : {L"Алёна", L"Дмитрий", L"Ελένη", L"Γιώργος", L"Ольга", L"Сергей", L"Νίκος",
                                    L"Татьяна", L"Иван", L"Μαρία", L"Пётр", L"Анна"})
            SendMessageW(FList, LB_ADDSTRING, 0, LPARAM(name));
        SendMessageW(FList, LB_SETCURSEL, 2, 0);
        FollowSkin();
    }
    void WndProc(TMessage& M) override
    {
        if (FollowSkinCommands(M, [this] { FollowSkin(); }, [this] { FAdapter.reset(); }))
            return;
        // The colours of a foreign list are its parent's to give: the skin's while skinned.
        if (M.Msg == WM_CTLCOLORLISTBOX && FAdapter && FBrush) {
            SetBkColor(HDC(M.WParam), FAdapter->BgColor);
            SetTextColor(HDC(M.WParam), FTextColor);
            M.Result = LRESULT(FBrush.Handle());
            return;
        }
        if (M.Msg == WM_SIZE && FList)
            MoveWindow(FList, 0, 0, LOWORD(M.LParam), HIWORD(M.LParam), TRUE);
        TGalleryPanel::WndProc(M);
    }

private:
    void FollowSkin()
    {
        TzSkinManager* m = DefaultManager;
        if (!FList || !m || !m->SkinData().Active) {
            FAdapter.reset();
            return;
        }
        FAdapter.reset();
        FAdapter = CreateAdapter<TSkEditWnd>(FList, nullptr, m, "EDIT", true);
        FAdapter->AfterCreation();
        FBrush = TOwnedBrush(CreateSolidBrush(FAdapter->BgColor));
        const int edit = m->FindSectionIndex("EDIT");
        FTextColor = m->IsValidSkinIndex(edit) ? ColorToRGB(TColor(m->Section(edit).FontColor)) : GetSysColor(COLOR_WINDOWTEXT);
        RedrawWindow(FList, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
    }

    HWND FList = nullptr;
    std::unique_ptr<TSkEditWnd> FAdapter;
    TOwnedBrush FBrush;
    TColor FTextColor = 0;
};

Z_CLASS_IMPL(TForeignListPane, TGalleryPanel)

} // namespace

TWinControl* CreateEditsPage(TGalleryForm* Form)
{
    auto* page = NewGalleryPanel(Form);

    auto* fields = Put<TzPanel>(page, Form, 0, 0, 380, 100);
    fields->SetBevelOuter(bvNone);
    fields->SetCaption(L"");
    fields->SetAlign(alLeft);
    LabelledEdit(fields, Form, 20, L"Имя:", L"Алёна Петрова");
    LabelledEdit(fields, Form, 56, L"Пароль:", L"секрет")->SetWidePasswordChar(0x25CF);
    LabelledEdit(fields, Form, 92, L"Почта:", L"alena@example.ru")->SetReadOnly(true);
    LabelledEdit(fields, Form, 128, L"Город:", L"Новосибирск")->SetEnabled(false);
    LabelledEdit(fields, Form, 164, L"Заметка:", L"Ελληνικά και русский");
    Put<TForeignListPane>(fields, Form, 130, 206, 220, 150);

    auto* splitter = Put<TzSplitter>(page, Form, 380, 0, 6, 100);
    splitter->SetAlign(alLeft);
    splitter->SetResizeStyle(rsUpdate);

    auto* notes = Put<TzMemo>(page, Form, 400, 0, 300, 100);
    notes->SetAlign(alClient);
    notes->SetScrollBars(ssBoth);
    notes->SetWordWrap(false);
    for (int i = 1; i <= 120; ++i)
        notes->Lines()->Add(L"Строка " + std::to_wstring(i) +
                            L": съешь же ещё этих мягких французских булок, да выпей чаю — Ελληνικά: γειά σου κόσμε");
    return page;
}
