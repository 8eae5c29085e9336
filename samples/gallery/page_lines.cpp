// The page of a UTF-8 text file read through the wide string list into a Unicode memo.
#include "gallery.h"
#include "skinctl/zlabel.h"
#include "skinctl/zmemo.h"
#include "skinctl/zpanel.h"

namespace {

// The sample text sits beside the program's sources; the build passes its folder in.
WideString SampleFile()
{
    return Utf8ToWide(ZANDREL_GALLERY_DATA) + L"/greetings-utf8.txt";
}

} // namespace

TWinControl* CreateTextFilePage(TGalleryForm* Form)
{
    auto* Page = NewGalleryPanel(Form);
    auto* title = MakeComponent<TzLabel>(Page->Owner());
    title->SetParent(Page);
    title->SetBounds(16, 12, 460, 24);
    title->Font()->SetSize(12);
    title->Font()->SetStyle(fsBold);
    SetControlWideText(title, L"Текст в UTF-16 из списка строк");

    auto* memo = MakeComponent<TzMemo>(Page->Owner());
    memo->SetParent(Page);
    memo->SetBounds(16, 44, 500, 170);
    memo->SetReadOnly(true);
    memo->SetScrollBars(ssVertical);

    auto* status = MakeComponent<TzLabel>(Page->Owner());
    status->SetParent(Page);
    status->SetAutoSize(false);
    status->SetWordWrap(true);
    status->SetBounds(16, 224, 500, 40);

    TUcStringList lines;
    try {
        lines.LoadFromFile(SampleFile());
        static const wchar_t* const sets[] = {L"ANSI", L"UTF-16", L"UTF-16 big-endian", L"UTF-8"};
        // Lines that ANSI cannot carry go into the Unicode window only: it is made first.
        memo->HandleNeeded();
        memo->Lines()->Assign(&lines);
        SetControlWideText(status, WideFormat(L"%d строк(и) из файла в кодировке %ls; кодовая страница ANSI %u",
                                              lines.Count(), sets[lines.LoadedFileCharSet() & 3], GetACP()));
    } catch (const Exception& e) {
        SetControlWideText(status, L"Не удалось прочитать пример: " + AnsiToWide(e.Message()));
    }
    return Page;
}
