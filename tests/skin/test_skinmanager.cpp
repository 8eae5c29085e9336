// The skin manager: finding skins, loading them from their three containers, applying and
// removing them on live forms, the default manager and the internal skins in form data.
#include "msgrecorder.h"
#include "pixels.h"
#include "skinfixtures.h"

#include "classlib/forms.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"
#include "tools/builtinskin/storeskin.h"
#include "unicode/ucclasses.h"

#include <doctest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

// A small skin whose version tells which container it came from.
std::string SkinText(const std::string& Version)
{
    return "[GLOBALINFO]\r\nVERSION=" + Version +
           "\r\nAUTHOR=Tests\r\nCOLOR=12632256\r\nFONTCOLOR=65280\r\nHOTCOLOR=16711680\r\n"
           "[BUTTON]\r\nCOLOR=255\r\nGLYPHMASK=GLYPH.BMP\r\n";
}

// "Name\" in Dir with Options.dat and a green GLYPH.BMP.
void MakeFolderSkin(const WideString& Dir, const WideString& Name, const std::string& Version)
{
    CreateDirectoryW((Dir + Name).c_str(), nullptr);
    WriteText(Dir + Name + L"\\Options.dat", SkinText(Version));
    WriteBytes(Dir + Name + L"\\GLYPH.BMP", SolidBmp(9, 4, 0x00FF00));
}

// The same with a red glyph, packed.
Bytes PackedSkinBytes(const std::string& Version)
{
    return PackSkin({{"Options.dat", ToBytes(SkinText(Version)), -1}, {"GLYPH.BMP", SolidBmp(9, 4, 0x0000FF), -1}});
}

// A structured internal skin of one section "BUTTON" and the skin-wide version.
void AddStoredSkin(TzSkinManager& M, const WideString& Name, double Version)
{
    TzStoredSkin* s = M.InternalSkins()->Add();
    s->SetName(Name);
    s->SetVersion(Version);
    TzSkinGeneral* g = s->GeneralData()->Add();
    g->SetSectionClassName("BUTTON");
    g->SetColor(0x123456);
}

WideString Without(const WideString& Dir)
{
    return !Dir.empty() && Dir.back() == L'\\' ? Dir.substr(0, Dir.size() - 1) : Dir;
}

std::vector<WideString> Names(TzSkinManager& M, int Kind, WideString* First = nullptr)
{
    TUcStringList list;
    list.Add(L"old");   // the list given is emptied first
    WideString first = M.GetSkinNames(&list, Kind);
    if (First)
        *First = first;
    std::vector<WideString> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list.Strings(i));
    return v;
}

// Counts the manager's change events.
struct TChangeCount {
    int Before = 0, After = 0;
    explicit TChangeCount(TzSkinManager& M)
    {
        M.OnBeforeChange = MakeMethod<&TChangeCount::CountBefore>(this);
        M.OnAfterChange = MakeMethod<&TChangeCount::CountAfter>(this);
    }
    void CountBefore(TObject*) { ++Before; }
    void CountAfter(TObject*) { ++After; }
};

// A form of the application that answers the two questions the manager asks and may act on
// a command it hears.
class TAnsweringForm : public TForm {
public:
    explicit TAnsweringForm(TComponent* AOwner) : TForm(AOwner) {}
    LRESULT SkinnedAnswer = 0;     // to SKCMD_ISSKINNED
    TObject* Provider = nullptr;   // to SKCMD_GETPROVIDER
    std::function<void(uint16_t)> OnCommand;
    int RedrawOff = 0;

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD) {
            TWMSkinCommand command(M);
            if (command.Command == SKCMD_ISSKINNED)
                command.Answer(SkinnedAnswer);
            else if (command.Command == SKCMD_GETPROVIDER)
                command.Answer(reinterpret_cast<LRESULT>(Provider));
            else if (OnCommand)
                OnCommand(command.Command);
            return;
        }
        if (M.Msg == WM_SETREDRAW && !M.WParam)
            ++RedrawOff;
        TForm::WndProc(M);
    }
};

// Each command to each window in turn, as a broadcast delivers them.
std::vector<TMsgEntry> Sent(std::initializer_list<uint16_t> Commands, std::initializer_list<const char*> Tags)
{
    std::vector<TMsgEntry> v;
    for (uint16_t c : Commands)
        for (const char* t : Tags)
            v.push_back(Cmd(t, c));
    return v;
}

std::vector<TMsgEntry> Applied(std::initializer_list<const char*> Tags)
{
    return Sent({SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH}, Tags);
}

std::vector<TMsgEntry> Removed(std::initializer_list<const char*> Tags) { return Sent({SKCMD_SKINREMOVED}, Tags); }

std::vector<TMsgEntry> operator+(std::vector<TMsgEntry> A, const std::vector<TMsgEntry>& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// A folder with the folder skin "Fold" (version 1) and "Dup" as a folder (1.5) and packed
// (2.5), a manager reading it, and forms of the application whose skin commands carrying the
// manager (From; any manager when none) are recorded in one sequence. At the end the manager
// goes first, then the forms.
struct TManagerFixture {
    const WideString Dir;
    std::unique_ptr<TzSkinManager> M = std::make_unique<TzSkinManager>(nullptr);
    const TzSkinManager* From = M.get();
    TMsgRecorder Rec;
    std::vector<TAnsweringForm*> Forms;

    explicit TManagerFixture(const char* Folder) : Dir(FreshFolder(Folder))
    {
        MakeFolderSkin(Dir, L"Fold", "1");
        MakeFolderSkin(Dir, L"Dup", "1.5");
        WriteBytes(Dir + L"Dup.qsz", PackedSkinBytes("2.5"));
        M->SetSkinDirectory(Without(Dir));
        Rec.Only([this](UINT Msg, WPARAM, LPARAM L) {
            return Msg == SM_SKINCMD && L && (!From || L == reinterpret_cast<LPARAM>(From));
        });
    }
    ~TManagerFixture()
    {
        M.reset();
        Rec.DetachAll();
        while (!Forms.empty())
            Free(Forms.back());
    }
    // A form recorded as Tag (made here unless given); a skinned one has a provider of its
    // own: it answers "skinned" and is registered.
    TAnsweringForm* Form(const std::string& Tag, bool Skinned = false, TAnsweringForm* Made = nullptr)
    {
        TAnsweringForm* f = Made ? Made : new TAnsweringForm(Application);
        f->HandleNeeded();
        f->SkinnedAnswer = Skinned;
        if (Skinned)
            SkinnedForms.push_back(f);
        Forms.push_back(f);
        Rec.Attach(f, Tag);
        return f;
    }
    void Free(TAnsweringForm* F)
    {
        auto s = std::find(SkinnedForms.begin(), SkinnedForms.end(), F);
        if (s != SkinnedForms.end())
            SkinnedForms.erase(s);
        Forms.erase(std::find(Forms.begin(), Forms.end(), F));
        delete F;
    }
};

// The commands recorded since the last check are the ones expected; the record starts again.
#define CHECK_COMMANDS(F, ...)                                                                     \
    do {                                                                                           \
        CHECK_MESSAGES((F).Rec, __VA_ARGS__);                                                      \
        (F).Rec.Clear();                                                                           \
    } while (false)

bool SameBitmap(TBitmap* A, TBitmap* B) { return A && B && SamePixels(*A, *B); }

// What a stored skin keeps of a section (the spacing of title buttons has no place in it),
// four fields at a time.
std::vector<std::string> SectionFields(const TzGeneralData& a)
{
    return {Join(a.ClassName, a.ParentClass, a.Color, a.Bevel), Join(a.FontColor, a.TCLeft, a.TCBottom, a.HotFontColor),
            Join(a.HotTCRight, a.Transparency, a.GradientPercent, a.ImagePercent),
            Join(a.GradientArray.size(), a.HotGradientArray.size(), a.FadingEnabled, a.FadingIterations),
            Join(a.HotColor, a.HotBevel, a.ShadowEnabled, a.BorderColor1), Join(a.BorderColor2)};
}

void CheckSameRecords(const TSkSkinRecords& A, const TSkSkinRecords& B)
{
    REQUIRE(A.SectionCount() == B.SectionCount());
    for (int i = 0; i < A.SectionCount(); ++i) {
        CAPTURE(A.Section(i).ClassName);
        const auto a = SectionFields(A.Section(i)), b = SectionFields(B.Section(i));
        for (size_t k = 0; k < a.size(); ++k)
            CHECK(a[k] == b[k]);
    }
    REQUIRE(A.MaskCount() == B.MaskCount());
    for (int i = 0; i < A.MaskCount(); ++i) {
        CHECK(Join(A.Mask(i).ClassName, A.Mask(i).PropertyName, MaskText(A.Mask(i))) ==
              Join(B.Mask(i).ClassName, B.Mask(i).PropertyName, MaskText(B.Mask(i))));
        if (A.Mask(i).Bmp && B.Mask(i).Bmp)
            CHECK(SameBitmap(A.Mask(i).Bmp.get(), B.Mask(i).Bmp.get()));
    }
    CHECK(SameBitmap(A.MasterBitmap(), B.MasterBitmap()));
    const TzSkinData &a = A.SkinData(), &b = B.SkinData();
    CHECK(Join(a.Version, a.Author, a.Description, a.Shadow1Blur) == Join(b.Version, b.Author, b.Description, b.Shadow1Blur));
    CHECK(a.BorderColor == b.BorderColor);
}

WideString GalleryFormFile() { return TestDataPath("..\\..\\resources\\forms\\GalleryForm.form"); }

TzSkinManager* ManagerOf(TComponent* Form)
{
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* m = dynamic_cast<TzSkinManager*>(Form->Components(i)))
            return m;
    return nullptr;
}

// The pixel at (0, 0) of the button's glyph.
TColor GlyphPixel(TzSkinManager& M)
{
    const int i = M.FindMaskIndexExact("BUTTON", "GLYPHMASK");
    REQUIRE(i >= 0);
    return PixelAt(*M.Mask(i).Bmp, 0, 0);
}

} // namespace

TEST_CASE("skin manager: the full skin directory")
{
    TzSkinManager m(nullptr);
    const WideString app = AppFolder();   // ends in a backslash
    const WideString up = app.substr(0, app.rfind(L'\\', app.size() - 2) + 1);
    CHECK(m.FullSkinDirectory() == L"c:\\Skins");
    const std::pair<const wchar_t*, WideString> cases[] = {
        {L"./Skins", app + L"Skins"},        {L"..\\Skins", up + L"Skins"},
        {L"D:\\Skins\\", L"D:\\Skins\\"},    {L"\\\\server\\share\\Skins", L"\\\\server\\share\\Skins"},
        {L"Skins\\More", app + L"Skins\\More"}};   // one backslash is no network path
    for (const auto& [dir, full] : cases) {
        m.SetSkinDirectory(dir);
        CHECK(Join(m.FullSkinDirectory(), m.SkinData().SkinPath) == Join(full, full));
    }
}

TEST_CASE("skin manager: the names of the skins")
{
    const WideString dir = FreshFolder("names");
    MakeFolderSkin(dir, L"Folder", "1");
    CreateDirectoryW((dir + L"NoOptions").c_str(), nullptr);
    MakeFolderSkin(dir, L".Hidden", "1");
    for (const wchar_t* packed : {L"Packed.qsz", L"Two.Dots.qsz", L"Capital.QSZ", L".dot.qsz"})
        WriteBytes(dir + packed, PackedSkinBytes("2"));
    WriteText(dir + L"notes.txt", "not a skin");
    MakeFolderSkin(dir, L"both", "1");
    WriteBytes(dir + L"both.qsz", PackedSkinBytes("2"));

    TzSkinManager m(nullptr);
    m.SetActive(false);
    AddStoredSkin(m, L"Zeta", 3);
    AddStoredSkin(m, L"alpha", 3);
    m.SetSkinDirectory(Without(dir));

    WideString first;   // the first found, before sorting
    CHECK(Names(m, 0, &first) == std::vector<WideString>{L"alpha", L"both", L"Folder", L"Zeta"});
    CHECK(first == L"Zeta");
    CHECK(Names(m, 1) == std::vector<WideString>{L"alpha", L"both", L"Packed", L"Two", L"Zeta"});
    // Both containers of one name are listed; the packed file is the one that loads.
    CHECK(Names(m, 2) == std::vector<WideString>{L"alpha", L"both", L"both", L"Folder", L"Packed", L"Two", L"Zeta"});
    // A missing directory lists the internal skins; without them there is nothing at all.
    m.SetSkinDirectory(Without(dir) + L"\\nowhere");
    CHECK(Names(m, 2) == std::vector<WideString>{L"alpha", L"Zeta"});
    m.InternalSkins()->Clear();
    CHECK(Names(m, 2, &first).empty());
    CHECK(first.empty());
}

TEST_CASE("skin manager: skins from packed files, folders and internal skins")
{
    TManagerFixture f("containers");
    TzSkinManager& m = *f.M;
    TChangeCount count(m);
    SUBCASE("a packed file wins over a folder of the same name")
    {
        m.SetSkinName(L"Dup");
        CHECK(Join(m.SkinInfo(), m.PackedData(), m.SkinData().SkinPath) == Join("2.5", true, f.Dir));
        CHECK(Join(count.Before, count.After) == Join(1, 1));
        CHECK(GlyphPixel(m) == 0x0000FF);   // the packed picture
    }
    SUBCASE("an internal skin: structured, or the bytes of a packed file")
    {
        AddStoredSkin(m, L"Stored", 3.5);
        TzStoredSkin* bytes = m.InternalSkins()->Add();
        bytes->SetName(L"Bytes");
        Bytes packed = PackedSkinBytes("4.25");
        bytes->Data()->WriteBuffer(packed.data(), int32_t(packed.size()));
        m.SetSkinName(L"Stored");
        CHECK(Join(m.SkinInfo(), m.PackedData(), m.SkinData().SkinPath) == Join("3.5", 0, ""));
        REQUIRE(m.FindSectionIndex("BUTTON") >= 0);
        CHECK(m.Section(m.FindSectionIndex("BUTTON")).Color == 0x123456);
        m.SetSkinName(L"Bytes");
        CHECK(Join(m.SkinInfo(), m.PackedData(), m.FindMaskIndexExact("BUTTON", "GLYPHMASK") >= 0) == Join("4.25", 1, 1));
        // A name found nowhere takes the first internal skin, and its name; wildcards in a
        // name find no file.
        m.SetSkinName(L"P*");
        CHECK(m.SkinName() == L"Stored");
        m.SetSkinName(L"Nowhere");
        CHECK(Join(m.SkinName(), m.SkinInfo(), m.Active()) == Join("Stored", "3.5", 1));
    }
}

TEST_CASE("skin manager: no skin found, a damaged file, a folder named while inactive")
{
    TManagerFixture f("containers");
    TzSkinManager& m = *f.M;
    TChangeCount count(m);
    // Without GLOBALINFO: the button face, the key colour and the window colour.
    CHECK(Join(m.SkinInfo(), m.GetGlobalColor(), m.GetGlobalFontColor(), m.GetGlobalHotColor()) ==
          Join("N/A", ColorToRGB(clBtnFace), 0xFF00FF, ColorToRGB(clWindow)));
    SUBCASE("a name found nowhere and no internal skin: inactive; Active again reads the name once more")
    {
        m.SetSkinName(L"Fold");
        m.SetSkinName(L"Nowhere");
        CHECK(Join(m.Active(), m.SkinData().Active, m.SkinName(), m.SkinInfo()) == Join(false, false, "Nowhere", "N/A"));
        CHECK(Join(m.SectionCount(), m.MaskCount(), m.Cache().GlobalInfo) == Join(0, 0, -1));
        CHECK(Join(count.Before, count.After) == Join(2, 2));
        m.SetActive(true);
        CHECK_FALSE(m.Active());
        MakeFolderSkin(f.Dir, L"Nowhere", "7");
        m.SetActive(true);
        CHECK(Join(m.Active(), m.SkinInfo()) == Join(1, "7"));
    }
    SUBCASE("a damaged packed file: one message and an empty skin")
    {
        Bytes bad = PackedSkinBytes("2.5");
        bad.resize(bad.size() / 2);
        WriteBytes(f.Dir + L"Broken.qsz", bad);
        TMessageCatcher box;
        m.SetSkinName(L"Broken");
        CHECK(Join(box.Count(), m.SkinData().Active, m.SectionCount(), m.SkinInfo()) == Join(1, true, 0, "0"));
    }
    SUBCASE("the name alone while inactive; Active loads the folder, with its picture and global colours")
    {
        m.SetActive(false);
        m.SetSkinName(L"Fold");
        CHECK(Join(m.SkinName(), m.SkinInfo(), count.Before) == Join("Fold", "N/A", 0));
        m.SetActive(true);
        CHECK(Join(m.SkinInfo(), m.PackedData(), m.SkinData().SkinPath) == Join("1", 0, f.Dir + L"Fold\\"));
        CHECK(GlyphPixel(m) == 0x00FF00);
        CHECK(Join(m.GetGlobalColor(), m.GetGlobalFontColor(), m.GetGlobalHotColor()) == Join(12632256, 65280, 16711680));
        m.SetActive(false);
        CHECK(Join(m.SkinInfo(), m.SectionCount()) == Join("N/A", 0));
    }
    CHECK(Join(SkinIsChanging, SkinIsApplying, SkinIsRemoving) == Join(false, false, false));
}

TEST_CASE("skin manager: applying and removing reaches each form and control once, in order")
{
    TManagerFixture f("live");
    TAnsweringForm* plain = f.Form("plain");
    auto* child = new TGraphicControl(plain);   // no window: it hears the broadcast through its form
    child->SetParent(plain);
    f.Rec.Attach(child, "child");
    f.Form("skinned", true);
    const auto all = {"plain", "child", "skinned"};

    f.M->SetActive(false);
    f.M->SetSkinName(L"Fold");
    f.M->SetActive(true);
    CHECK_COMMANDS(f, Sent({SKCMD_SKINREMOVED, SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH}, all));
    CHECK(f.M->SkinData().Active);
    // Straight from one skin to the next: no removal between. Switched off twice: once.
    f.M->SetSkinName(L"Fold");
    CHECK_COMMANDS(f, Applied(all));
    f.M->SetActive(false);
    f.M->SetActive(false);
    CHECK_COMMANDS(f, Removed(all));
    // A manager going away with its skin applied removes it.
    f.M->SetActive(true);
    f.Rec.Clear();
    f.M.reset();
    CHECK_COMMANDS(f, Removed(all));
}

TEST_CASE("skin manager: forms made and freed while the broadcast runs")
{
    TManagerFixture f("churn");
    TAnsweringForm* plainVictim = f.Form("plain victim");
    TAnsweringForm* skinnedKiller = f.Form("skinned killer", true);
    TAnsweringForm* skinnedVictim = f.Form("skinned victim", true);
    f.Form("observer");
    TAnsweringForm* plainKiller = f.Form("plain killer");   // made last: it hears each broadcast first
    plainKiller->OnCommand = [&](uint16_t c) {
        if (c == SKCMD_NEWSKIN && plainVictim) {
            f.Free(std::exchange(plainVictim, nullptr));
            f.Form("born");
        }
    };
    skinnedKiller->OnCommand = [&](uint16_t c) {
        if (c == SKCMD_NEWSKIN && skinnedVictim)
            f.Free(std::exchange(skinnedVictim, nullptr));
    };
    f.M->SetSkinName(L"Fold");
    // The victims hear nothing; the new form not the new-skin command that went round before
    // it was there, but the rest.
    const auto all = {"born", "plain killer", "observer", "skinned killer"};
    CHECK_COMMANDS(f, Sent({SKCMD_NEWSKIN}, {"plain killer", "observer", "skinned killer"}) +
                          Sent({SKCMD_FADEDONE, SKCMD_REFRESH}, all));
    f.M->SetActive(false);
    CHECK_COMMANDS(f, Removed(all));
}

TEST_CASE("skin manager: the name setter while active")
{
    TManagerFixture f("setter");
    MakeFolderSkin(f.Dir, L"Two", "2");
    TAnsweringForm* form = f.Form("form");
    f.M->SetSkinName(L"Fold");
    f.Rec.Clear();

    SUBCASE("a name set while the skin changes is applied before the change ends")
    {
        form->OnCommand = [&](uint16_t c) {
            if (c == SKCMD_NEWSKIN)
                f.M->SetSkinName(L"Fold");
        };
        f.M->SetSkinName(L"Two");
        CHECK_COMMANDS(f, Applied({"form"}) + Applied({"form"}));   // Two, then Fold
        CHECK(Join(f.M->SkinName(), f.M->SkinInfo()) == Join("Fold", "1"));
        // A receiver that never settles: after a few rounds the name is the applied skin's.
        bool flip = false;
        form->OnCommand = [&](uint16_t c) {
            if (c == SKCMD_NEWSKIN)
                f.M->SetSkinName((flip = !flip) ? L"Fold" : L"Two");
        };
        f.M->SetSkinName(L"Two");
        CHECK_COMMANDS(f, Applied({"form"}) + Applied({"form"}) + Applied({"form"}) + Applied({"form"}));
        CHECK(f.M->SkinInfo() == (f.M->SkinName() == L"Fold" ? "1" : "2"));
        form->OnCommand = nullptr;
    }
    SUBCASE("a name that vanished switches off once, without coming back through Active")
    {
        TChangeCount count(*f.M);
        f.M->SetSkinName(L"Three");
        CHECK_COMMANDS(f, Removed({"form"}));
        CHECK(Join(count.After, f.M->Active()) == Join(1, false));
    }
}

TEST_CASE("skin manager: hue, saturation and common sections")
{
    TManagerFixture f("colours");
    TzSkinManager& m = *f.M;
    f.Form("form");
    auto buttonColor = [&] { return m.Section(m.FindSectionIndex("BUTTON")).Color; };

    SUBCASE("with no skin the value is stored and the forms are refreshed")
    {
        m.SetActive(false);
        f.Rec.Clear();
        m.SetHueOffset(120);
        CHECK(Join(m.HueOffset(), SkinIsChanging, m.SectionCount()) == Join(120, false, 0));
        CHECK_COMMANDS(f, Sent({SKCMD_FADEDONE, SKCMD_REFRESH}, {"form"}));
    }
    SUBCASE("with a skin it is read again and applied as a new one")
    {
        m.SetSkinName(L"Fold");
        REQUIRE(m.FindSectionIndex("BUTTON") >= 0);
        CHECK(buttonColor() == 255);
        f.Rec.Clear();
        m.SetHueOffset(120);
        // The old records are gone: the new-skin command makes every receiver resolve its
        // indexes again before the refresh.
        CHECK_COMMANDS(f, Applied({"form"}));
        CHECK(Join(buttonColor(), SkinIsChanging) == Join(ChangeHue(120, 255), false));
        m.SetHueOffset(120);   // unchanged: nothing
        CHECK_COMMANDS(f);
        // Set while a skin change runs: that change reads the new colours, once.
        struct THue {
            TzSkinManager* M;
            void Set(TObject*) { M->SetHueOffset(240); }
        } hue{&m};
        m.OnBeforeChange = MakeMethod<&THue::Set>(&hue);
        m.SetSkinName(L"Fold");
        m.OnBeforeChange = nullptr;
        CHECK_COMMANDS(f, Applied({"form"}));
        CHECK(buttonColor() == ChangeHue(240, 255));
        m.SetSaturation(100);
        CHECK_COMMANDS(f, Applied({"form"}));
    }
    SUBCASE("common sections lose their blanks and reload the skin")
    {
        m.SetSkinName(L"Fold");
        TStringList lines;
        lines.SetText("; a comment keeps its blanks\r\n[ EXTRA ]\r\nCOLOR = 4 2\r\n\r\n");
        f.Rec.Clear();
        m.SetCommonSections(&lines);
        CHECK(m.CommonSections()->Text() == "; a comment keeps its blanks\r\n[EXTRA]\r\nCOLOR=42\r\n\r\n");
        REQUIRE(m.FindSectionIndex("EXTRA") >= 0);
        CHECK(m.Section(m.FindSectionIndex("EXTRA")).Color == 42);
        CHECK_COMMANDS(f, Applied({"form"}));
    }
}

TEST_CASE("skin manager: the default manager and the thread's hook")
{
    REQUIRE(DefaultManager == nullptr);
    static int created = 0;
    created = 0;
    SkinEngineHooks.CBTNotify = [](int Code, WPARAM, LPARAM) { created += Code == HCBT_CREATEWND; };
    auto makeWindow = [] {
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    };
    {
        TManagerFixture f("default");
        TzSkinManager& first = *f.M;
        auto second = std::make_unique<TzSkinManager>(nullptr);
        CHECK(DefaultManager == &first);
        second->SetSkinDirectory(Without(f.Dir));
        first.SetSkinName(L"Fold");
        makeWindow();
        second->SetSkinName(L"Fold");
        // Only the default manager hooks.
        CHECK(Join(first.HookInstalled(), created >= 1, second->HookInstalled()) == Join(true, true, false));
        // False while a default exists changes nothing.
        first.SetIsDefault(false);
        second->SetIsDefault(false);
        CHECK(first.IsDefault());

        f.From = second.get();
        f.Form("form");
        second->SetIsDefault(true);
        // The thread keeps one hook.
        CHECK(Join(DefaultManager == second.get(), first.IsDefault(), second->HookInstalled(), first.HookInstalled()) ==
              Join(true, false, true, false));
        // Applied, then refreshed once more.
        CHECK_COMMANDS(f, Applied({"form"}) + Sent({SKCMD_FADEDONE, SKCMD_REFRESH}, {"form"}));
        second->SetActive(false);
        created = 0;
        makeWindow();
        CHECK(Join(second->HookInstalled(), created) == Join(false, 0));
        second.reset();
        CHECK(DefaultManager == nullptr);   // none afterwards, though another lives
    }
    SkinEngineHooks.CBTNotify = nullptr;
    CHECK(DefaultManager == nullptr);
}

TEST_CASE("skin manager: the window under the mouse")
{
    TManagerFixture f("mouse");
    HWND a = f.Form("a")->Handle(), b = f.Form("b")->Handle();
    f.M->SetActiveControl(a);
    f.M->SetActiveControl(a);   // the same again: nothing
    f.M->SetActiveControl(b);
    CHECK(f.M->ActiveControl() == b);
    f.M->SetActiveControl(nullptr);
    CHECK_COMMANDS(f, Cmd("a", SKCMD_ACTIVATED), Cmd("a", SKCMD_DEACTIVATED), Cmd("b", SKCMD_ACTIVATED),
                   Cmd("b", SKCMD_DEACTIVATED));
}

TEST_CASE("skin manager: skinned forms of a provider are redrawn once the skin is in")
{
    static TObject provider;
    static int refreshed = 0;
    refreshed = 0;
    SkinEngineHooks.RefreshProvider = [](TObject* P) { refreshed += P == &provider; };
    // The animated repaint of each form, written down: its length depends on the system.
    static std::vector<int> shown;
    shown.clear();
    const auto savedShow = SkinEngineHooks.AnimShowControl;
    SkinEngineHooks.AnimShowControl = [](TWinControl*, int Time) { shown.push_back(Time); };
    const auto savedVersion = SkinSystemMajorVersion;
    SkinSystemMajorVersion = [] { return 6; };
    {
        TManagerFixture f("provider");
        TAnsweringForm* main = nullptr;
        Application->CreateForm(main);   // the main form: forms are repainted only with one
        f.Form("main", true, main)->Provider = &provider;
        main->Show();
        TAnsweringForm* hidden = f.Form("hidden", true);
        hidden->Provider = &provider;
        f.M->SetSkinName(L"Fold");
        CHECK_COMMANDS(f, Applied({"main", "hidden"}));
        // Redrawing stopped once, though asked twice.
        CHECK(Join(main->RedrawOff, refreshed, IsWindowVisible(main->Handle()) != 0) == Join(1, 2, true));
        // Switching redrawing on again would have shown the hidden one.
        CHECK(Join(hidden->RedrawOff, IsWindowVisible(hidden->Handle())) == Join(0, 0));
        // From version 6 on the repaint is not animated; before, it lasts the set time.
        CHECK(shown == std::vector<int>{0, 0});
        shown.clear();
        SkinSystemMajorVersion = [] { return 5; };
        f.M->SetSkinName(L"Fold");
        CHECK(shown == std::vector<int>{100, 100});
    }
    SkinSystemMajorVersion = savedVersion;
    SkinEngineHooks.AnimShowControl = savedShow;
    SkinEngineHooks.RefreshProvider = nullptr;
    CHECK(Application->MainForm() == nullptr);
}

namespace {

// A form holding a manager with properties of every kind set and two internal skins (one
// structured, one the bytes of a packed file), written as form data.
struct TManagerFormData {
    TBitmap Own, Master;
    TJPEGImage Jpeg;
    const Bytes Packed = PackedSkinBytes("9");
    TUcMemoryStream Data;

    TManagerFormData()
    {
        const auto load = [](auto& G, const Bytes& B) { G.LoadFromMemory(B.data(), B.size()); };
        load(Own, Bmp24(6, 4, [](int x, int y) { return TColor(x * 40 + y * 0x2000); }));
        load(Master, Bmp24(20, 10, [](int x, int y) { return TColor(x * 0x0A0000 + y * 9); }));
        load(Jpeg, ReadBytes(TestDataPath("tiny.jpg")));
        TForm form(nullptr);
        form.SetName("Holder");
        auto* m = new TzSkinManager(&form);
        m->SetName("Manager");
        m->SetActive(false);
        m->SetHueOffset(30);
        m->SetSaturation(-20);
        m->SetSkinningRules(1 << srStdDialogs);
        m->SetSkinnedPopups(false);
        m->SetSkinName(L"Кожа");
        m->CommonSections()->Add("[EXTRA]");
        m->MenuSupport()->SetIcoLineSkin("ICONS");   // loaded, a manager names "ICOLINE" here
        m->MenuSupport()->SetExtraLineWidth(40);
        m->MenuSupport()->ExtraLineFont()->SetName("Tahoma");
        m->AnimEffects()->FormShow()->SetTime(250);
        m->AnimEffects()->DialogShow()->SetActive(false);
        m->AnimEffects()->Buttons()->SetEvents(1 << beMouseDown);
        TzStoredSkin* s = m->InternalSkins()->Add();
        s->SetName(L"Кожа");
        s->SetVersion(1.25);
        s->SetAuthor("Us");
        s->SetShadow1Blur(4);
        s->SetMasterBitmap(&Master);
        TzSkinGeneral* g = s->GeneralData()->Add();
        g->SetSectionClassName("EDIT");
        g->SetBevel(cbLoweredHard);
        g->SetFontColor("1 2 3 4 5");
        g->SetShadowDontUse(true);
        TzSkinImage* i1 = s->Images()->Add();
        i1->SetImageCount(3);
        i1->SetMaskType(1);
        TzSkinImage* i2 = s->Images()->Add();
        i2->SetImage(&Own);
        i2->SetImgType(itisaGlyph);
        i2->SetStretchMode(1);
        s->Patterns()->Add()->SetImage(&Jpeg);
        TzStoredSkin* b = m->InternalSkins()->Add();
        b->SetName(L"Bytes");
        b->Data()->WriteBuffer(Packed.data(), int32_t(Packed.size()));
        Data.WriteComponent(&form);
        SkinGlobalAnimEvents = 0x0F;
    }
    ~TManagerFormData() { SkinGlobalAnimEvents = 0x0F; }
};

} // namespace

TEST_CASE("skin manager: form data holds every property set, and what it reads writes the same bytes again")
{
    REQUIRE(DefaultManager == nullptr);
    TManagerFormData f;
    REQUIRE(DefaultManager == nullptr);
    // "Data" goes into every stored skin, empty or not; what is only shown is not stored.
    const AnsiString bytes(static_cast<const char*>(f.Data.Memory()), size_t(f.Data.Size()));
    size_t dataProps = 0;
    for (size_t at = bytes.find("\x04" "Data\x0A"); at != AnsiString::npos; at = bytes.find("\x04" "Data\x0A", at + 1))
        ++dataProps;
    CHECK(Join(dataProps, bytes.find("SkinInfo")) == Join(2, AnsiString::npos));
    for (const char* name : {"HueOffset", "Saturation", "SkinningRules", "SkinnedPopups", "SkinName", "CommonSections",
                             "ExtraLineWidth", "ExtraLineFont", "FormShow", "DialogShow", "Version", "Author",
                             "Shadow1Blur", "MasterBitmap", "Bevel", "FontColor", "ShadowDontUse", "ImageCount",
                             "MaskType", "ImgType", "StretchMode", "Patterns"})
        CHECK_MESSAGE(bytes.find(name) != AnsiString::npos, name);
    {
        TForm read(nullptr);
        f.Data.SetPosition(0);
        f.Data.ReadComponent(&read);
        REQUIRE(ManagerOf(&read));
        TUcMemoryStream again;
        again.WriteComponent(&read);
        REQUIRE(again.Size() == f.Data.Size());
        CHECK(std::memcmp(again.Memory(), f.Data.Memory(), size_t(f.Data.Size())) == 0);
        CHECK(SkinGlobalAnimEvents == (1 << aeMouseDown));   // written by the default manager
    }
    CHECK(DefaultManager == nullptr);
}

TEST_CASE("skin manager: internal skins read from form data are found by exact name and copied whole; damaged form "
          "data is an error that leaves nothing loading")
{
    TManagerFormData f;
    {
        TForm read(nullptr);
        f.Data.SetPosition(0);
        f.Data.ReadComponent(&read);
        TzStoredSkins* skins = ManagerOf(&read)->InternalSkins();
        REQUIRE(skins->Count() == 2);
        CHECK(Join(skins->IndexOf(L"Bytes"), skins->IndexOf(L"bytes")) == Join(1, -1));
        TzStoredSkins copy(nullptr);
        copy.Assign(skins);
        REQUIRE(copy.Count() == 2);
        const TzStoredSkin* c = copy.Items(0);
        CHECK(c->Name() == L"Кожа");
        CHECK(Join(c->GeneralData()->Items(0)->FontColor(), c->Shadow1Blur(), copy.Items(1)->Data()->Size()) ==
              Join("1 2 3 4 5", 4, f.Packed.size()));
        CHECK(c->Images()->Items(1)->Image() != skins->Items(0)->Images()->Items(1)->Image());
        CHECK(SameBitmap(c->Images()->Items(1)->Image(), &f.Own));
    }
    for (int64_t cut : {f.Data.Size() - 5, f.Data.Size() / 2, int64_t(40)}) {
        TMemoryStream part;
        part.WriteBuffer(f.Data.Memory(), int32_t(cut));
        part.SetPosition(0);
        TForm target(nullptr);
        CHECK_THROWS_AS(part.ReadComponent(&target), EReadError);
        if (TzSkinManager* half = ManagerOf(&target))
            CHECK_FALSE(half->IsLoading());
    }
    CHECK(DefaultManager == nullptr);
}

TEST_CASE("skin manager: the built-in skin in the gallery's form data")
{
    REQUIRE(DefaultManager == nullptr);
    const WideString folder = TestDataPath("..\\..\\resources\\skins\\ZandrelDawn\\");

    SUBCASE("the committed form data is what the tool makes now")
    {
        TUcMemoryStream now;
        REQUIRE(WriteBuiltinSkinForm(folder, L"Zandrel", &now));
        Bytes file = ReadBytes(GalleryFormFile());
        Bytes made(static_cast<uint8_t*>(now.Memory()), static_cast<uint8_t*>(now.Memory()) + now.Size());
        if (made != file)
            now.SaveToFile(BuildPath("GalleryForm.form"));   // to look at, or to commit
        CHECK_MESSAGE(made == file, "resources/forms/GalleryForm.form is out of date: run tools/builtinskin");
        CHECK(DefaultManager == nullptr);
    }
    SUBCASE("it loads and applies the internal skin, which reads as the folder it was made from")
    {
        TMsgRecorder rec;
        rec.Only([](UINT Msg, WPARAM, LPARAM L) { return Msg == SM_SKINCMD && L; });
        auto watcher = std::make_unique<TForm>(Application);
        watcher->HandleNeeded();
        rec.Attach(watcher.get(), "watcher");
        TUcMemoryStream file;
        file.LoadFromFile(GalleryFormFile());
        auto form = std::make_unique<TForm>(Application);
        file.ReadComponent(form.get());
        TzSkinManager* m = ManagerOf(form.get());
        REQUIRE(m);
        // Applied at load: the internal skin, as the folder reads.
        CHECK_MESSAGES(rec, Applied({"watcher"}));
        TSkSkinRecords fromFolder;
        REQUIRE(fromFolder.LoadFromSkinFolder(folder));
        CheckSameRecords(fromFolder, *m);
        CHECK(m->Cache().BoxChecked >= 0);
        rec.Clear();
        form.reset();
        CHECK(DefaultManager == nullptr);
        CHECK_MESSAGES(rec, Cmd("watcher", SKCMD_SKINREMOVED));
    }
}

namespace {

// The skinned menus as the manager sees them: what it was told.
struct TFakeMenus : TzSkinMenuPainter {
    static inline std::vector<AnsiString> Log;
    void SkinSwitching() override { Log.push_back("reset"); }
    void SetPopupSkinning(bool Value) override { Log.push_back(Value ? "popups on" : "popups off"); }
    void HookPopupWindow(HWND Popup) override { Log.push_back("popup " + std::to_string(uintptr_t(Popup))); }
    void HookItemPopup(LPARAM Item) override { Log.push_back("item " + std::to_string(Item)); }
};

} // namespace

TEST_CASE("skin manager: the menu painter it keeps and the application window's messages")
{
    REQUIRE(DefaultManager == nullptr);
    TFakeMenus::Log.clear();
    {
        // Made before the menus start up, as a manager read from form data may be.
        TManagerFixture f("menus");
        CHECK_FALSE(f.M->SkinableMenus());
        SkinEngineHooks.CreateMenuPainter = [](TzSkinManager*) -> TzSkinMenuPainter* { return new TFakeMenus; };
        f.M->SetSkinName(L"Fold");
        f.M->SetSkinnedPopups(true);   // unchanged: nothing
        f.M->SetSkinnedPopups(false);
        f.M->SetSkinnedPopups(true);
        // The default manager hooks the application's window for the menus' messages.
        SendMessageW(Application->Handle(), SM_MENUPOPUPWINDOW, 0, 77);
        SendMessageW(Application->Handle(), SM_MENUITEMPOPUP, 0, 5);
        CHECK(TFakeMenus::Log == std::vector<AnsiString>{"reset", "popups off", "popups on", "popup 77", "item 5"});
    }
    TFakeMenus::Log.clear();
    SendMessageW(Application->Handle(), SM_MENUPOPUPWINDOW, 0, 77);   // unhooked with the manager
    CHECK(TFakeMenus::Log.empty());
    SkinEngineHooks.CreateMenuPainter = nullptr;
}
