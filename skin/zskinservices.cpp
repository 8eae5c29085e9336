#include "skin/zskinservices.h"

#include "skin/zcontrolutils.h"
#include "skin/zoutputwindow.h"
#include "skin/zskinprovider.h"

#include "classlib/forms.h"
#include "unicode/ucsysutils.h"

#include <algorithm>

int DefaultArrowSize = 16;
bool SkinIsNTPlatform = false;
HICON AppSmallIcon = nullptr;
HICON AppLargeIcon = nullptr;
std::vector<TCustomForm*> SkinnedForms;
int (*SkinSystemMajorVersion)() = &DefaultSystemMajorVersion;

namespace {

HICON ProgramIcon(UINT SizeFlag)
{
    SHFILEINFOW info{};
    const WideString exe = ModuleFileNameWide();
    if (!GetShellFileInfoWide(exe.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SizeFlag))
        return nullptr;
    return info.hIcon;
}

void FreeIcon(HICON& Icon)
{
    if (Icon)
        DestroyIcon(Icon);
    Icon = nullptr;
}

} // namespace

int DefaultSystemMajorVersion()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) ? int(info.dwMajorVersion) : 0;
}

void InitSkinEngine()
{
    // The name is registered so that other programs asking for it agree with nothing of ours
    // by chance; the engine itself always uses the fixed number.
    RegisterWindowMessageA("SM_SKINCMD");
    DefaultArrowSize = GetSystemMetrics(SM_CXHSCROLL);
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    SkinIsNTPlatform = GetVersionExA(&vi) && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
    FreeIcon(AppSmallIcon);
    FreeIcon(AppLargeIcon);
    try {
        AppSmallIcon = ProgramIcon(SHGFI_SMALLICON);
        AppLargeIcon = ProgramIcon(SHGFI_LARGEICON);
    } catch (const Exception&) {
        // No shell or no module name: the forms show no program icon.
    }
    SkinnedForms.clear();
    InitControlUtils();
    InitOutputWindow();
    InitSkinProvider();
}

void DoneSkinEngine()
{
    DoneControlUtils();
    FreeIcon(AppSmallIcon);
    FreeIcon(AppLargeIcon);
    SkinnedForms.clear();
}

// ---------------------------------------------------------------------------------------

// Owned as the application's own boxes are (the active window, else the application window),
// but through the wide call, so that names in any script show.
int DefaultEngineMessageBox(const WideString& Text, const WideString& Caption, UINT Flags)
{
    HWND owner = GetActiveWindow();
    if (!owner && Application)
        owner = Application->Handle();
    if (PlatformIsUnicode)
        return MessageBoxW(owner, Text.c_str(), Caption.c_str(), Flags);
    return MessageBoxA(owner, WideToAnsi(Text).c_str(), WideToAnsi(Caption).c_str(), Flags);
}

TzEngineMessageBox EngineMessageBox = &DefaultEngineMessageBox;

int ShowEngineMessage(const WideString& Text, int Kind, TzMessageButtons Buttons)
{
    static const wchar_t* const Captions[] = {L"Warning", L"Error", L"Information", L"Confirm"};
    static const UINT Icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION};
    if (Kind < zmkWarning || Kind > zmkConfirm)
        Kind = zmkWarning;
    const bool cancel = Buttons & zmbCancel;
    UINT flags;
    if (Buttons & zmbOK)
        flags = cancel ? MB_OKCANCEL : MB_OK;
    else if (Buttons & (zmbYes | zmbNo))
        flags = cancel ? MB_YESNOCANCEL : MB_YESNO;
    else if (Buttons & zmbRetry)
        flags = MB_RETRYCANCEL;
    else
        flags = MB_OK;
    if (Buttons & zmbHelp)
        flags |= MB_HELP;
    flags |= Icons[Kind];
    TzEngineMessageBox box = EngineMessageBox ? EngineMessageBox : &DefaultEngineMessageBox;
    return box(Text, Captions[Kind], flags);
}

void ShowEngineError(const WideString& Text)
{
    ShowEngineMessage(Text, zmkWarning, zmbOK);
}

// ---------------------------------------------------------------------------------------

int CaptionFontHeight()
{
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0))
        return 0;
    return m.lfCaptionFont.lfHeight;
}

// ---------------------------------------------------------------------------------------

namespace {

template <class S> bool IsDelim(typename S::value_type C, const S& Delims)
{
    return Delims.find(C) != S::npos;
}

// Index (0-based) of the first character of word N, or npos.
template <class S> size_t WordStart(int N, const S& Str, const S& Delims)
{
    int count = 0;
    size_t i = 0;
    while (i < Str.size()) {
        while (i < Str.size() && IsDelim(Str[i], Delims))
            ++i;
        if (i == Str.size())
            break;
        if (++count == N)
            return i;
        while (i < Str.size() && !IsDelim(Str[i], Delims))
            ++i;
    }
    return S::npos;
}

template <class S> S WordAt(int N, const S& Str, const S& Delims)
{
    size_t b = WordStart(N, Str, Delims);
    if (b == S::npos)
        return S();
    size_t e = b;
    while (e < Str.size() && !IsDelim(Str[e], Delims))
        ++e;
    return Str.substr(b, e - b);
}

template <class S> int CountWords(const S& Str, const S& Delims)
{
    int count = 0;
    bool inWord = false;
    for (auto c : Str) {
        bool d = IsDelim(c, Delims);
        if (!d && !inWord)
            ++count;
        inWord = !d;
    }
    return count;
}

template <class S> S WithoutChar(S Str, typename S::value_type C)
{
    Str.erase(std::remove(Str.begin(), Str.end(), C), Str.end());
    return Str;
}

} // namespace

int WordPosition(int N, const AnsiString& S, const AnsiString& Delims)
{
    size_t i = WordStart(N, S, Delims);
    return i == AnsiString::npos ? 0 : int(i) + 1;
}
int WordPosition(int N, const WideString& S, const WideString& Delims)
{
    size_t i = WordStart(N, S, Delims);
    return i == WideString::npos ? 0 : int(i) + 1;
}
AnsiString ExtractWord(int N, const AnsiString& S, const AnsiString& Delims) { return WordAt(N, S, Delims); }
WideString ExtractWord(int N, const WideString& S, const WideString& Delims) { return WordAt(N, S, Delims); }
int WordCount(const AnsiString& S, const AnsiString& Delims) { return CountWords(S, Delims); }
int WordCount(const WideString& S, const WideString& Delims) { return CountWords(S, Delims); }
AnsiString DelChars(const AnsiString& S, AnsiChar C) { return WithoutChar(S, C); }
WideString DelChars(const WideString& S, WideChar C) { return WithoutChar(S, C); }

// ---------------------------------------------------------------------------------------

WideString IncludeTrailingBackslash(const WideString& S)
{
    if (S.empty())
        return S;
    if (S.back() == L'/')
        return S.substr(0, S.size() - 1) + L'\\';
    if (S.size() == 1)
        return S + L":\\";
    if (S.back() != L'\\')
        return S + L'\\';
    return S;
}

WideString AppFolder()
{
    return IncludeTrailingBackslash(ExtractWideFilePath(ModuleFileNameWide()));
}

// ---------------------------------------------------------------------------------------

namespace {

const TPropInfo* FindProp(const TObject* Obj, const AnsiString& Name)
{
    return Obj ? Obj->ClassInfo().FindProp(Name.c_str()) : nullptr;
}

// The bit of a named set element, or -1.
int SetElementBit(const TPropInfo* P, const AnsiString& Element)
{
    if (!P || P->Kind != tkSet || !P->EnumNames || !P->GetOrd || !P->SetOrd)
        return -1;
    for (int i = 0; i < P->EnumCount && i < 64; ++i)
        if (SameText(P->EnumNames[i], Element))
            return i;
    return -1;
}

} // namespace

bool HasProperty(const TObject* Obj, const AnsiString& Name)
{
    return FindProp(Obj, Name) != nullptr;
}

TObject* GetObjectProperty(const TObject* Obj, const AnsiString& Name)
{
    const TPropInfo* p = FindProp(Obj, Name);
    return p && p->Kind == tkClass && p->GetObj ? p->GetObj(Obj) : nullptr;
}

int64_t GetOrdProperty(const TObject* Obj, const AnsiString& Name)
{
    const TPropInfo* p = FindProp(Obj, Name);
    return p && p->GetOrd ? p->GetOrd(Obj) : -1;
}

void SetOrdProperty(TObject* Obj, const AnsiString& Name, int64_t Value)
{
    const TPropInfo* p = FindProp(Obj, Name);
    if (p && p->SetOrd)
        p->SetOrd(Obj, Value);
}

bool SetContains(const TObject* Obj, const AnsiString& Name, const AnsiString& Element)
{
    const TPropInfo* p = FindProp(Obj, Name);
    int bit = SetElementBit(p, Element);
    return bit >= 0 && (p->GetOrd(Obj) >> bit) & 1;
}

// The text form "a,b,c" edited as a list of names is the same as setting or clearing the
// element's bit, and cannot mistake an element for part of a longer name.
void ChangeSetProperty(TObject* Obj, const AnsiString& Name, const AnsiString& Element, bool Include)
{
    const TPropInfo* p = FindProp(Obj, Name);
    int bit = SetElementBit(p, Element);
    if (bit < 0)
        return;
    int64_t v = p->GetOrd(Obj);
    int64_t n = Include ? (v | (int64_t(1) << bit)) : (v & ~(int64_t(1) << bit));
    if (n != v)
        p->SetOrd(Obj, n);
}
