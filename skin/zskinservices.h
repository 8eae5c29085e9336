// Small pieces the whole skin engine shares: its globals and their start-up, the engine's
// window message, its message box, rectangle, integer, word and path helpers, and access to
// published properties of foreign objects by name.
#pragma once

#include "classlib/graphics.h"

#include <cstdint>
#include <vector>

class TCustomForm;

// ---------------------------------------------------------------------------------------
// Globals. The constants hold from the start; the rest is set by InitSkinEngine before any
// window exists.

// The transparent colour of every skin image, mask and cache bitmap (full red and blue).
constexpr TColor SkinKeyColor = 0xFF00FF;

// A parent's answer to "give me your background": its cache bitmap (not owned), where the
// asking child's origin lies in it, and whether there is an image at all.
struct TzCacheInfo {
    TBitmap* Bmp = nullptr;
    int32_t X = 0;
    int32_t Y = 0;
    bool Ready = false;
};

// Handed to painters when there is no parent image.
inline constexpr TzCacheInfo EmptyCacheInfo{};

// The engine's private window message; every window and control of the engine uses it. A
// constant, so that no message can go out before start-up as 0, which is WM_NULL.
constexpr UINT SM_SKINCMD = 0xA100;
// Arrow-button length of skinned scroll bars when the skin gives none.
extern int DefaultArrowSize;
// The operating system is of the NT family.
extern bool SkinIsNTPlatform;
// The program file's small and large icons, for the title bars of skinned forms.
extern HICON AppSmallIcon;
extern HICON AppLargeIcon;
// Forms register here while they are skinned.
extern std::vector<TCustomForm*> SkinnedForms;
// The major version of the operating system: animations of forms and skin changes run only
// before version 6. Replaceable, because the system under test reports one version only;
// DefaultSystemMajorVersion asks the system (0 when it will not tell).
extern int (*SkinSystemMajorVersion)();
int DefaultSystemMajorVersion();

// Registers the message name, reads the platform, the scroll-bar metric and the program's
// icons. Called once at program start.
void InitSkinEngine();
// Releases the icons and forgets the skinned forms; called once at program end.
void DoneSkinEngine();

// ---------------------------------------------------------------------------------------
// The engine's message box.

// Kinds: the caption and icon of the box.
enum TzMessageKind : int { zmkWarning = 0, zmkError = 1, zmkInformation = 2, zmkConfirm = 3 };
// Buttons asked for, as a set.
enum TzMessageButton : uint32_t {
    zmbOK = 1, zmbCancel = 2, zmbYes = 4, zmbNo = 8, zmbRetry = 16, zmbHelp = 32
};
using TzMessageButtons = uint32_t;

// Every engine message goes through this one routine: text, caption and MessageBox style
// flags in, the pressed button (IDOK, IDYES ...) out. Tests replace it to catch the message
// instead of blocking on a modal box; DefaultEngineMessageBox is the real box.
using TzEngineMessageBox = int (*)(const WideString& Text, const WideString& Caption, UINT Flags);
extern TzEngineMessageBox EngineMessageBox;
int DefaultEngineMessageBox(const WideString& Text, const WideString& Caption, UINT Flags);

// Caption "Warning", "Error", "Information" or "Confirm" with the matching icon (kinds out of
// range are warnings); OK gives an OK box (OK/Cancel with Cancel), else Yes or No a Yes/No box
// (Yes/No/Cancel with Cancel), else Retry a Retry/Cancel box; Help adds a Help button.
int ShowEngineMessage(const WideString& Text, int Kind, TzMessageButtons Buttons);
// A warning with an OK button: the one message the engine shows.
void ShowEngineError(const WideString& Text);

// ---------------------------------------------------------------------------------------
// Rectangles and integers.

constexpr TRect MakeRect(int L, int T, int R, int B) { return TRect(L, T, R, B); }
constexpr int RectWidth(const TRect& R) { return R.Right - R.Left; }
constexpr int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
// Both corners of Inner lie in Outer; Outer's right and bottom edges count as inside.
constexpr bool RectInRect(const TRect& Outer, const TRect& Inner)
{
    return Inner.Left >= Outer.Left && Inner.Left <= Outer.Right && Inner.Top >= Outer.Top &&
           Inner.Top <= Outer.Bottom && Inner.Right >= Outer.Left && Inner.Right <= Outer.Right &&
           Inner.Bottom >= Outer.Top && Inner.Bottom <= Outer.Bottom;
}
constexpr int ChooseInt(bool Flag, int A, int B) { return Flag ? A : B; }
inline AnsiString ChooseStr(bool Flag, const AnsiString& A, const AnsiString& B) { return Flag ? A : B; }
inline WideString ChooseStr(bool Flag, const WideString& A, const WideString& B) { return Flag ? A : B; }
constexpr bool IsBetween(int V, int Min, int Max) { return Min <= V && V <= Max; }
constexpr int MaxOf(int A, int B) { return A > B ? A : B; }
constexpr int MinOf(int A, int B) { return A < B ? A : B; }
constexpr uint8_t ClampByte(int V) { return V < 0 ? 0 : V > 255 ? 255 : uint8_t(V); }
constexpr TzCacheInfo MakeCacheInfo(TBitmap* Bmp, int X, int Y) { return TzCacheInfo{Bmp, X, Y, true}; }
// The height of the system's caption font (non-client metrics); 0 when the call fails.
int CaptionFontHeight();

// ---------------------------------------------------------------------------------------
// Words: runs of characters outside a set of delimiters. N and positions count from 1.

int WordPosition(int N, const AnsiString& S, const AnsiString& Delims);   // 0: fewer words
int WordPosition(int N, const WideString& S, const WideString& Delims);
AnsiString ExtractWord(int N, const AnsiString& S, const AnsiString& Delims);   // empty: missing
WideString ExtractWord(int N, const WideString& S, const WideString& Delims);
int WordCount(const AnsiString& S, const AnsiString& Delims);
int WordCount(const WideString& S, const WideString& Delims);
AnsiString DelChars(const AnsiString& S, AnsiChar C);
WideString DelChars(const WideString& S, WideChar C);

// ---------------------------------------------------------------------------------------
// Paths.

// Empty stays empty; a final '/' becomes '\'; a lone character is a drive ("C" -> "C:\");
// anything else not ending in '\' gets one.
WideString IncludeTrailingBackslash(const WideString& S);
// The program file's folder with a trailing backslash.
WideString AppFolder();

// ---------------------------------------------------------------------------------------
// Published properties by name (the window adapters reach foreign controls through these).
// A null object or an unknown name is "missing".

bool HasProperty(const TObject* Obj, const AnsiString& Name);
TObject* GetObjectProperty(const TObject* Obj, const AnsiString& Name);   // null: missing
int64_t GetOrdProperty(const TObject* Obj, const AnsiString& Name);       // -1: missing
void SetOrdProperty(TObject* Obj, const AnsiString& Name, int64_t Value); // nothing: missing
// The set property holds the element of that name.
bool SetContains(const TObject* Obj, const AnsiString& Name, const AnsiString& Element);
// Adds the element to, or takes it out of, the set property through the set's text form.
void ChangeSetProperty(TObject* Obj, const AnsiString& Name, const AnsiString& Element, bool Include);
