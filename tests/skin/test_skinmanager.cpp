// The skin manager: finding skins, loading them from their three containers, applying and
// removing them on live forms, the default manager and the internal skins in form data.
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
std::string SkinText(const std::string& Version, int ButtonColor = 255)
{
    return "[GLOBALINFO]\r\nVERSION=" + Version +
           "\r\nAUTHOR=Tests\r\nCOLOR=12632256\r\nFONTCOLOR=65280\r\nHOTCOLOR=16711680\r\n"
           "[BUTTON]\r\nCOLOR=" +
           std::to_string(ButtonColor) + "\r\nGLYPHMASK=GLYPH.BMP\r\n";
}

// "Name\" in Dir with Options.dat and GLYPH.BMP.
void RemoveFolderSkin(const WideString& Dir, const WideString& Name)
{
    DeleteFileW((Dir + Name + L"\\Options.dat").c_str());
    DeleteFileW((Dir + Name + L"\\GLYPH.BMP").c_str());
    RemoveDirectoryW((Dir + Name).c_str());
}

void MakeFolderSkin(const WideString& Dir, const WideString& Name, const std::string& Version)
{
    CreateDirectoryW((Dir + Name).c_str(), nullptr);
    WriteText(Dir + Name + L"\\Options.dat", SkinText(Version));
    WriteBytes(Dir + Name + L"\\GLYPH.BMP", SolidBmp(9, 4, 0x00FF00));
}

Bytes PackedSkinBytes(const std::string& Version)
{
    return PackSkin({{"Options.dat", ToBytes(SkinText(Version)), -1}, {"GLYPH.BMP", SolidBmp(9, 4, 0x0000FF), -1}});
}

void MakePackedSkin(const WideString& Dir, const WideString& FileName, const std::string& Version)
{
    WriteBytes(Dir + FileName, PackedSkinBytes(Version));
}

// A structured internal skin of one section "BUTTON" and the skin-wide version.
TzStoredSkin* AddStoredSkin(TzSkinManager* M, const WideString& Name, double Version)
{
    TzStoredSkin* s = M->InternalSkins()->Add();
    s->SetName(Name);
    s->SetVersion(Version);
    TzSkinGeneral* g = s->GeneralData()->Add();
    g->SetSectionClassName("BUTTON");
    g->SetColor(0x123456);
    return s;
}

WideString Without(const WideString& Dir)
{
    WideString d = Dir;
    if (!d.empty() && d.back() == L'\\')
        d.pop_back();
    return d;
}

std::vector<WideString> Names(TzSkinManager& M, int Kind, WideString* First = nullptr)
{
    TUcStringList list;
    WideString first = M.GetSkinNames(&list, Kind);
    if (First)
        *First = first;
    std::vector<WideString> v;
    for (int i = 0; i < list.Count(); ++i)
        v.push_back(list.Strings(i));
    return v;
}

// A manager that goes when the test ends, before the forms it talks to.
struct TManagerHolder {
    std::unique_ptr<TzSkinManager> M;
    explicit TManagerHolder(TComponent* Owner = nullptr) : M(std::make_unique<TzSkinManager>(Owner)) {}
    TzSkinManager* operator->() const { return M.get(); }
    TzSkinManager& operator*() const { return *M; }
};

// A form of the application that writes down every skin command it hears, in order, and
// answers the two questions the manager asks.
class TRecordingForm : public TForm {
public:
    explicit TRecordingForm(TComponent* AOwner) : TForm(AOwner) {}
    std::vector<uint16_t> Commands;
    std::vector<LPARAM> Params;
    LRESULT SkinnedAnswer = 0;   // to SKCMD_ISSKINNED
    TObject* Provider = nullptr;   // to SKCMD_GETPROVIDER
    std::function<void(uint16_t)> OnCommand;
    int RedrawOff = 0;

    std::vector<uint16_t> Take()
    {
        std::vector<uint16_t> c = std::move(Commands);
        Commands.clear();
        Params.clear();
        return c;
    }

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD) {
            uint16_t c = M.WParamHi();
            if (c == SKCMD_ISSKINNED) {
                M.Result = M.LParam = SkinnedAnswer;
                return;
            }
            if (c == SKCMD_GETPROVIDER) {
                M.Result = reinterpret_cast<LRESULT>(Provider);
                return;
            }
            Commands.push_back(c);
            Params.push_back(M.LParam);
            if (OnCommand)
                OnCommand(c);
            return;
        }
        if (M.Msg == WM_SETREDRAW && !M.WParam)
            ++RedrawOff;
        TForm::WndProc(M);
    }
};

// A control without a window of its own: it hears the broadcast through its form.
class TRecordingControl : public TGraphicControl {
public:
    explicit TRecordingControl(TComponent* AOwner) : TGraphicControl(AOwner) {}
    std::vector<uint16_t> Commands;

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD) {
            Commands.push_back(M.WParamHi());
            return;
        }
        TGraphicControl::WndProc(M);
    }
};

TRecordingForm* NewForm()
{
    auto* f = new TRecordingForm(Application);
    f->HandleNeeded();
    return f;
}

const std::vector<uint16_t> Applied{SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH};
const std::vector<uint16_t> Removed{SKCMD_SKINREMOVED};

bool SameBitmap(TBitmap* A, TBitmap* B)
{
    if (!A || !B || A->Width() != B->Width() || A->Height() != B->Height())
        return false;
    for (int y = 0; y < A->Height(); ++y)
        for (int x = 0; x < A->Width(); ++x)
            if (PixelAt(*A, x, y) != PixelAt(*B, x, y))
                return false;
    return true;
}

// The same sections, images and skin-wide values (the spacing of title buttons has no place
// in a stored skin).
void CheckSameRecords(const TSkSkinRecords& A, const TSkSkinRecords& B)
{
    REQUIRE(A.SectionCount() == B.SectionCount());
    for (int i = 0; i < A.SectionCount(); ++i) {
        const TzGeneralData& a = A.Section(i);
        const TzGeneralData& b = B.Section(i);
        CAPTURE(a.ClassName);
        CHECK(a.ClassName == b.ClassName);
        CHECK(a.ParentClass == b.ParentClass);
        CHECK(a.Color == b.Color);
        CHECK(a.Bevel == b.Bevel);
        CHECK(a.FontColor == b.FontColor);
        CHECK(a.TCLeft == b.TCLeft);
        CHECK(a.TCBottom == b.TCBottom);
        CHECK(a.HotFontColor == b.HotFontColor);
        CHECK(a.HotTCRight == b.HotTCRight);
        CHECK(a.Transparency == b.Transparency);
        CHECK(a.GradientPercent == b.GradientPercent);
        CHECK(a.GradientArray.size() == b.GradientArray.size());
        CHECK(a.HotGradientArray.size() == b.HotGradientArray.size());
        CHECK(a.ImagePercent == b.ImagePercent);
        CHECK(a.FadingEnabled == b.FadingEnabled);
        CHECK(a.FadingIterations == b.FadingIterations);
        CHECK(a.HotColor == b.HotColor);
        CHECK(a.HotBevel == b.HotBevel);
        CHECK(a.ShadowEnabled == b.ShadowEnabled);
        CHECK(a.BorderColor1 == b.BorderColor1);
        CHECK(a.BorderColor2 == b.BorderColor2);
    }
    REQUIRE(A.MaskCount() == B.MaskCount());
    for (int i = 0; i < A.MaskCount(); ++i) {
        const TzMaskData& a = A.Mask(i);
        const TzMaskData& b = B.Mask(i);
        CAPTURE(a.ClassName);
        CAPTURE(a.PropertyName);
        CHECK(a.ClassName == b.ClassName);
        CHECK(a.PropertyName == b.PropertyName);
        CHECK(a.R == b.R);
        CHECK(a.ImageCount == b.ImageCount);
        CHECK(a.MaskType == b.MaskType);
        CHECK(a.BorderWidth == b.BorderWidth);
        CHECK(a.DrawMode == b.DrawMode);
        CHECK(a.ImgType == b.ImgType);
        CHECK(a.WL == b.WL);
        CHECK(a.WT == b.WT);
        CHECK(a.WR == b.WR);
        CHECK(a.WB == b.WB);
        CHECK(bool(a.Bmp) == bool(b.Bmp));
        if (a.Bmp && b.Bmp)
            CHECK(SameBitmap(a.Bmp.get(), b.Bmp.get()));
    }
    CHECK(SameBitmap(A.MasterBitmap(), B.MasterBitmap()));
    CHECK(A.SkinData().Version == B.SkinData().Version);
    CHECK(A.SkinData().Author == B.SkinData().Author);
    CHECK(A.SkinData().Description == B.SkinData().Description);
    CHECK(A.SkinData().Shadow1Blur == B.SkinData().Shadow1Blur);
    CHECK(A.SkinData().BorderColor == B.SkinData().BorderColor);
}

WideString OurSkin(const char* Name) { return TestDataPath(std::string("..\\..\\resources\\skins\\") + Name + "\\"); }
WideString GalleryFormFile() { return TestDataPath("..\\..\\resources\\forms\\GalleryForm.form"); }

TzSkinManager* ManagerOf(TComponent* Form)
{
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* m = dynamic_cast<TzSkinManager*>(Form->Components(i)))
            return m;
    return nullptr;
}

} // namespace

TEST_CASE("skin manager: the full skin directory")
{
    TManagerHolder m;
    const WideString app = AppFolder();   // ends in a backslash
    CHECK(m->SkinDirectory() == L"c:\\Skins");
    CHECK(m->FullSkinDirectory() == L"c:\\Skins");

    m->SetSkinDirectory(L"Skins");
    CHECK(m->FullSkinDirectory() == app + L"Skins");
    CHECK(m->SkinData().SkinPath == app + L"Skins");
    m->SetSkinDirectory(L".\\Skins");
    CHECK(m->FullSkinDirectory() == app + L"Skins");
    m->SetSkinDirectory(L"./Skins");
    CHECK(m->FullSkinDirectory() == app + L"Skins");
    m->SetSkinDirectory(L"..\\Skins");
    WideString up = Without(app);
    up = up.substr(0, up.rfind(L'\\') + 1);
    CHECK(m->FullSkinDirectory() == up + L"Skins");
    m->SetSkinDirectory(L"\\\\server\\share\\Skins");
    CHECK(m->FullSkinDirectory() == L"\\\\server\\share\\Skins");
    m->SetSkinDirectory(L"D:\\Skins\\");
    CHECK(m->FullSkinDirectory() == L"D:\\Skins\\");
    m->SetSkinDirectory(L"Skins\\More");   // one backslash is no network path
    CHECK(m->FullSkinDirectory() == app + L"Skins\\More");
}

TEST_CASE("skin manager: the names of the skins")
{
    const WideString dir = FreshFolder("names");
    MakeFolderSkin(dir, L"Folder", "1");
    CreateDirectoryW((dir + L"NoOptions").c_str(), nullptr);
    MakeFolderSkin(dir, L".Hidden", "1");
    MakePackedSkin(dir, L"Packed.qsz", "2");
    MakePackedSkin(dir, L"Two.Dots.qsz", "2");
    MakePackedSkin(dir, L"Capital.QSZ", "2");
    MakePackedSkin(dir, L".dot.qsz", "2");
    WriteText(dir + L"notes.txt", "not a skin");
    MakeFolderSkin(dir, L"both", "1");
    MakePackedSkin(dir, L"both.qsz", "2");

    TManagerHolder m;
    m->SetActive(false);
    AddStoredSkin(m.M.get(), L"Zeta", 3);
    AddStoredSkin(m.M.get(), L"alpha", 3);
    m->SetSkinDirectory(Without(dir));

    WideString first;
    CHECK(Names(*m, 0, &first) == std::vector<WideString>{L"alpha", L"both", L"Folder", L"Zeta"});
    CHECK(first == L"Zeta");   // the first found, before sorting
    CHECK(Names(*m, 1) == std::vector<WideString>{L"alpha", L"both", L"Packed", L"Two", L"Zeta"});
    // Both containers of one name are listed; the packed file is the one that loads.
    CHECK(Names(*m, 2) ==
          std::vector<WideString>{L"alpha", L"both", L"both", L"Folder", L"Packed", L"Two", L"Zeta"});

    SUBCASE("a missing directory lists the internal skins")
    {
        m->SetSkinDirectory(Without(dir) + L"\\nowhere");
        CHECK(Names(*m, 2) == std::vector<WideString>{L"alpha", L"Zeta"});
    }
    SUBCASE("nothing at all")
    {
        m->InternalSkins()->Clear();
        m->SetSkinDirectory(Without(dir) + L"\\nowhere");
        CHECK(Names(*m, 2, &first).empty());
        CHECK(first.empty());
    }
    SUBCASE("the list given is emptied first")
    {
        TUcStringList list;
        list.Add(L"old");
        m->GetSkinNames(&list, 0);
        CHECK(list.IndexOf(L"old") < 0);
    }
}

TEST_CASE("skin manager: skins from packed files, folders and internal skins")
{
    const WideString dir = FreshFolder("containers");
    MakeFolderSkin(dir, L"Dup", "1.5");
    MakePackedSkin(dir, L"Dup.qsz", "2.5");
    MakeFolderSkin(dir, L"Fold", "1.5");
    MakePackedSkin(dir, L"Pack.qsz", "2.5");
    RemoveFolderSkin(dir, L"Nowhere");

    TManagerHolder m;
    m->SetSkinDirectory(Without(dir));
    int before = 0, after = 0;
    struct Counter {
        int* N;
        void Count(TObject*) { ++*N; }
    } cb{&before}, ca{&after};
    m->OnBeforeChange = MakeMethod<&Counter::Count>(&cb);
    m->OnAfterChange = MakeMethod<&Counter::Count>(&ca);
    CHECK(m->SkinInfo() == "N/A");

    SUBCASE("a packed file wins over a folder of the same name")
    {
        m->SetSkinName(L"Dup");
        CHECK(m->SkinInfo() == "2.5");
        CHECK(m->PackedData());
        CHECK(m->SkinData().SkinPath == dir);
        CHECK(m->SkinData().Active);
        CHECK(before == 1);
        CHECK(after == 1);
        int button = m->FindSectionIndex("BUTTON");
        REQUIRE(button >= 0);
        int glyph = m->FindMaskIndex(button, "BUTTON", "GLYPHMASK");
        REQUIRE(glyph >= 0);
        CHECK(PixelAt(*m->Mask(glyph).Bmp, 0, 0) == 0x0000FF);   // the packed picture
    }
    SUBCASE("a folder")
    {
        m->SetSkinName(L"Fold");
        CHECK(m->SkinInfo() == "1.5");
        CHECK_FALSE(m->PackedData());
        CHECK(m->SkinData().SkinPath == dir + L"Fold\\");
        int glyph = m->FindMaskIndexExact("BUTTON", "GLYPHMASK");
        REQUIRE(glyph >= 0);
        CHECK(PixelAt(*m->Mask(glyph).Bmp, 0, 0) == 0x00FF00);
    }
    SUBCASE("an internal skin: structured, or the bytes of a packed file")
    {
        AddStoredSkin(m.M.get(), L"Stored", 3.5);
        TzStoredSkin* bytes = m->InternalSkins()->Add();
        bytes->SetName(L"Bytes");
        Bytes packed = PackedSkinBytes("4.25");
        bytes->Data()->WriteBuffer(packed.data(), int32_t(packed.size()));

        m->SetSkinName(L"Stored");
        CHECK(m->SkinInfo() == "3.5");
        CHECK(m->SkinData().SkinPath.empty());
        CHECK_FALSE(m->PackedData());
        REQUIRE(m->FindSectionIndex("BUTTON") >= 0);
        CHECK(m->Section(m->FindSectionIndex("BUTTON")).Color == 0x123456);

        m->SetSkinName(L"Bytes");
        CHECK(m->SkinInfo() == "4.25");
        CHECK(m->PackedData());
        CHECK(m->FindMaskIndexExact("BUTTON", "GLYPHMASK") >= 0);

        // A name found nowhere takes the first internal skin, and its name; wildcards in a
        // name find no file.
        m->SetSkinName(L"P*");
        CHECK(m->SkinName() == L"Stored");
        m->SetSkinName(L"Nowhere");
        CHECK(m->SkinName() == L"Stored");
        CHECK(m->SkinInfo() == "3.5");
        CHECK(m->Active());
    }
    SUBCASE("a name found nowhere and no internal skin: inactive")
    {
        m->SetSkinName(L"Fold");
        m->SetSkinName(L"Nowhere");
        CHECK_FALSE(m->Active());
        CHECK_FALSE(m->SkinData().Active);
        CHECK(m->SkinName() == L"Nowhere");
        CHECK(m->SkinInfo() == "N/A");
        CHECK(m->SectionCount() == 0);
        CHECK(m->MaskCount() == 0);
        CHECK(m->Cache().GlobalInfo == -1);
        CHECK(before == 2);
        CHECK(after == 2);
        // Active again reads the name once more.
        m->SetActive(true);
        CHECK_FALSE(m->Active());
        MakeFolderSkin(dir, L"Nowhere", "7");
        m->SetActive(true);
        CHECK(m->Active());
        CHECK(m->SkinInfo() == "7");
    }
    SUBCASE("a damaged packed file: one message and an empty skin")
    {
        Bytes bad = PackedSkinBytes("2.5");
        bad.resize(bad.size() / 2);
        WriteBytes(dir + L"Broken.qsz", bad);
        TMessageCatcher box;
        m->SetSkinName(L"Broken");
        CHECK(box.Count() == 1);
        CHECK(m->Active());
        CHECK(m->SkinData().Active);
        CHECK(m->SectionCount() == 0);
        CHECK(m->FindSectionIndex("BUTTON") == -1);
        CHECK(m->SkinInfo() == "0");
    }
    SUBCASE("the name alone while inactive; Active loads it")
    {
        m->SetActive(false);
        m->SetSkinName(L"Fold");
        CHECK(m->SkinName() == L"Fold");
        CHECK(m->SkinInfo() == "N/A");
        CHECK(before == 0);
        m->SetActive(true);
        CHECK(m->SkinInfo() == "1.5");
        m->SetActive(false);
        CHECK(m->SkinInfo() == "N/A");
        CHECK(m->SectionCount() == 0);
    }
    SUBCASE("a relative directory is the program's, whatever the current one")
    {
        wchar_t old[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, old);
        SetCurrentDirectoryW(L"C:\\");
        m->SetSkinDirectory(L"skintests\\containers");
        m->SetSkinName(L"Pack");
        SetCurrentDirectoryW(old);
        CHECK(m->SkinInfo() == "2.5");
        CHECK(m->SkinData().SkinPath == dir);
    }
    CHECK_FALSE(SkinIsChanging);
    CHECK_FALSE(SkinIsApplying);
    CHECK_FALSE(SkinIsRemoving);
}

TEST_CASE("skin manager: applying and removing on live forms")
{
    const WideString dir = FreshFolder("live");
    MakeFolderSkin(dir, L"Fold", "1");
    MakePackedSkin(dir, L"Pack.qsz", "2");

    TRecordingForm* plain = NewForm();
    auto* child = new TRecordingControl(plain);
    child->SetParent(plain);
    // A form with a provider of its own: it answers "skinned" and is registered.
    TRecordingForm* skinned = NewForm();
    skinned->SkinnedAnswer = 1;
    SkinnedForms.push_back(skinned);
    {
        TManagerHolder m;
        AddStoredSkin(m.M.get(), L"Inside", 3);
        m->SetSkinDirectory(Without(dir));
        const LPARAM self = reinterpret_cast<LPARAM>(m.M.get());
        plain->Take();
        skinned->Take();

        for (const wchar_t* name : {L"Fold", L"Pack", L"Inside"}) {
            CAPTURE(WideToAnsi(name));
            m->SetActive(false);
            m->SetSkinName(name);
            m->SetActive(true);
            CHECK(plain->Params == std::vector<LPARAM>{self, self, self, self});
            CHECK(plain->Take() == std::vector<uint16_t>{SKCMD_SKINREMOVED, SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH});
            CHECK(skinned->Take() ==
                  std::vector<uint16_t>{SKCMD_SKINREMOVED, SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH});
            CHECK(child->Commands ==
                  std::vector<uint16_t>{SKCMD_SKINREMOVED, SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH});
            child->Commands.clear();
            CHECK(m->SkinData().Active);
        }
        // Switching straight from one skin to the next: no removal between.
        m->SetSkinName(L"Fold");
        CHECK(plain->Take() == Applied);
        CHECK(skinned->Take() == Applied);
        m->SetActive(false);
        CHECK(plain->Take() == Removed);
        CHECK(skinned->Take() == Removed);
        CHECK(child->Commands.back() == SKCMD_SKINREMOVED);
        // Switching off twice says nothing more.
        m->SetActive(false);
        CHECK(plain->Take().empty());
    }
    // A manager going away with its skin applied removes it.
    {
        TManagerHolder m;
        m->SetSkinDirectory(Without(dir));
        m->SetSkinName(L"Pack");
        plain->Take();
        m.M.reset();
        CHECK(plain->Take() == Removed);
    }
    SkinnedForms.erase(std::find(SkinnedForms.begin(), SkinnedForms.end(), skinned));
    delete skinned;
    delete plain;
}

TEST_CASE("skin manager: forms made and freed while the broadcast runs")
{
    const WideString dir = FreshFolder("churn");
    MakeFolderSkin(dir, L"Fold", "1");

    TRecordingForm* plainVictim = NewForm();
    TRecordingForm* skinnedKiller = NewForm();
    skinnedKiller->SkinnedAnswer = 1;
    SkinnedForms.push_back(skinnedKiller);
    TRecordingForm* skinnedVictim = NewForm();
    skinnedVictim->SkinnedAnswer = 1;
    SkinnedForms.push_back(skinnedVictim);
    TRecordingForm* observer = NewForm();
    TRecordingForm* born = nullptr;
    TRecordingForm* plainKiller = NewForm();   // made last: it hears each broadcast first
    plainKiller->OnCommand = [&](uint16_t c) {
        if (c == SKCMD_NEWSKIN && plainVictim) {
            delete plainVictim;
            plainVictim = nullptr;
            born = NewForm();
        }
    };
    skinnedKiller->OnCommand = [&](uint16_t c) {
        if (c == SKCMD_NEWSKIN && skinnedVictim) {
            SkinnedForms.erase(std::find(SkinnedForms.begin(), SkinnedForms.end(), skinnedVictim));
            delete skinnedVictim;
            skinnedVictim = nullptr;
        }
    };
    {
        TManagerHolder m;
        m->SetSkinDirectory(Without(dir));
        observer->Take();
        m->SetSkinName(L"Fold");
        CHECK(!plainVictim);
        CHECK(!skinnedVictim);
        REQUIRE(born);
        CHECK(observer->Take() == Applied);
        CHECK(plainKiller->Take() == Applied);
        CHECK(skinnedKiller->Take() == Applied);
        // Not there when the new-skin command went round, there for the rest.
        CHECK(born->Take() == std::vector<uint16_t>{SKCMD_FADEDONE, SKCMD_REFRESH});
        m->SetActive(false);
        CHECK(born->Take() == Removed);
        CHECK(skinnedKiller->Take() == Removed);
    }
    SkinnedForms.erase(std::find(SkinnedForms.begin(), SkinnedForms.end(), skinnedKiller));
    delete born;
    delete plainKiller;
    delete skinnedKiller;
    delete observer;
}

TEST_CASE("skin manager: the name setter while active")
{
    const WideString dir = FreshFolder("setter");
    MakeFolderSkin(dir, L"One", "1");
    MakeFolderSkin(dir, L"Two", "2");
    TRecordingForm* form = NewForm();
    {
        TManagerHolder m;
        m->SetSkinDirectory(Without(dir));
        m->SetSkinName(L"One");
        form->Take();

        SUBCASE("a name set while the skin changes is applied before the change ends")
        {
            form->OnCommand = [&](uint16_t c) {
                if (c == SKCMD_NEWSKIN)
                    m->SetSkinName(L"One");
            };
            m->SetSkinName(L"Two");
            std::vector<uint16_t> twice = Applied;
            twice.insert(twice.end(), Applied.begin(), Applied.end());
            CHECK(form->Take() == twice);   // Two, then One
            CHECK(m->SkinName() == L"One");
            CHECK(m->SkinInfo() == "1");
            // A receiver that never settles: after a few rounds the name is the applied skin's.
            bool flip = false;
            form->OnCommand = [&](uint16_t c) {
                if (c == SKCMD_NEWSKIN)
                    m->SetSkinName((flip = !flip) ? L"One" : L"Two");
            };
            m->SetSkinName(L"Two");
            CHECK(form->Take().size() == 4 * Applied.size());
            CHECK(m->SkinInfo() == (m->SkinName() == L"One" ? "1" : "2"));
            form->OnCommand = nullptr;
        }
        SUBCASE("a name that vanished switches off once, without coming back through Active")
        {
            int after = 0;
            struct Counter {
                int* N;
                void Count(TObject*) { ++*N; }
            } ca{&after};
            m->OnAfterChange = MakeMethod<&Counter::Count>(&ca);
            m->SetSkinName(L"Three");
            CHECK(form->Take() == Removed);
            CHECK(after == 1);
            CHECK_FALSE(m->Active());
        }
    }
    delete form;
}

TEST_CASE("skin manager: hue, saturation and common sections")
{
    const WideString dir = FreshFolder("colours");
    MakeFolderSkin(dir, L"Fold", "1");
    TRecordingForm* form = NewForm();
    {
        TManagerHolder m;
        m->SetSkinDirectory(Without(dir));

        SUBCASE("with no skin the value is only stored")
        {
            m->SetActive(false);
            form->Take();
            m->SetHueOffset(120);
            CHECK(m->HueOffset() == 120);
            CHECK_FALSE(SkinIsChanging);
            CHECK(m->SectionCount() == 0);
        }
        SUBCASE("with a skin it is read again and applied as a new one")
        {
            m->SetSkinName(L"Fold");
            int button = m->FindSectionIndex("BUTTON");
            REQUIRE(button >= 0);
            CHECK(m->Section(button).Color == 255);
            form->Take();
            m->SetHueOffset(120);
            // The old records are gone: the new-skin command makes every receiver resolve its
            // indexes again before the refresh.
            CHECK(form->Params == std::vector<LPARAM>(3, reinterpret_cast<LPARAM>(&*m)));
            CHECK(form->Take() == Applied);
            CHECK(m->Section(m->FindSectionIndex("BUTTON")).Color == ChangeHue(120, 255));
            CHECK(m->Section(m->FindSectionIndex("BUTTON")).Color != 255);
            CHECK_FALSE(SkinIsChanging);
            m->SetHueOffset(120);   // unchanged: nothing
            CHECK(form->Take().empty());
            // Set while a skin change runs: that change reads the new colours, once.
            struct Hue {
                TzSkinManager* M;
                void Set(TObject*) { M->SetHueOffset(240); }
            } hue{&*m};
            m->OnBeforeChange = MakeMethod<&Hue::Set>(&hue);
            m->SetSkinName(L"Fold");
            m->OnBeforeChange = nullptr;
            CHECK(form->Take() == Applied);
            CHECK(m->Section(m->FindSectionIndex("BUTTON")).Color == ChangeHue(240, 255));
            m->SetSaturation(100);
            CHECK(m->Saturation() == 100);
            CHECK(form->Take() == Applied);
        }
        SUBCASE("common sections lose their blanks and reload the skin")
        {
            m->SetSkinName(L"Fold");
            TStringList lines;
            lines.Add("; a comment keeps its blanks");
            lines.Add("[ EXTRA ]");
            lines.Add("COLOR = 4 2");
            lines.Add("");
            form->Take();
            m->SetCommonSections(&lines);
            CHECK(m->CommonSections()->Strings(0) == "; a comment keeps its blanks");
            CHECK(m->CommonSections()->Strings(1) == "[EXTRA]");
            CHECK(m->CommonSections()->Strings(2) == "COLOR=42");
            int extra = m->FindSectionIndex("EXTRA");
            REQUIRE(extra >= 0);
            CHECK(m->Section(extra).Color == 42);
            CHECK(form->Take() == Applied);
        }
    }
    delete form;
}

TEST_CASE("skin manager: the global colours")
{
    const WideString dir = FreshFolder("global");
    MakeFolderSkin(dir, L"Fold", "1");
    TManagerHolder m;
    m->SetSkinDirectory(Without(dir));
    m->SetActive(false);
    CHECK(m->GetGlobalColor() == ColorToRGB(clBtnFace));
    CHECK(m->GetGlobalFontColor() == 0xFF00FF);
    CHECK(m->GetGlobalHotColor() == ColorToRGB(clWindow));
    m->SetSkinName(L"Fold");
    m->SetActive(true);
    CHECK(m->GetGlobalColor() == 12632256);
    CHECK(m->GetGlobalFontColor() == 65280);
    CHECK(m->GetGlobalHotColor() == 16711680);
}

TEST_CASE("skin manager: the default manager and the thread's hook")
{
    REQUIRE(DefaultManager == nullptr);
    const WideString dir = FreshFolder("default");
    MakeFolderSkin(dir, L"Fold", "1");
    static int created = 0;
    created = 0;
    SkinEngineHooks.CBTNotify = [](int Code, WPARAM, LPARAM) {
        if (Code == HCBT_CREATEWND)
            ++created;
    };
    {
        TManagerHolder first, second;
        CHECK(DefaultManager == first.M.get());
        CHECK(first->IsDefault());
        CHECK_FALSE(second->IsDefault());
        first->SetSkinDirectory(Without(dir));
        second->SetSkinDirectory(Without(dir));

        first->SetSkinName(L"Fold");
        CHECK(first->HookInstalled());
        HWND w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(w);
        CHECK(created >= 1);
        second->SetSkinName(L"Fold");
        CHECK_FALSE(second->HookInstalled());   // only the default manager hooks

        // False while a default exists changes nothing.
        first->SetIsDefault(false);
        CHECK(first->IsDefault());
        second->SetIsDefault(false);
        CHECK_FALSE(second->IsDefault());

        TRecordingForm* form = NewForm();
        second->SetIsDefault(true);
        CHECK(second->IsDefault());
        CHECK_FALSE(first->IsDefault());
        CHECK_FALSE(first->HookInstalled());   // the thread keeps one hook
        CHECK(second->HookInstalled());
        // Applied, then refreshed once more.
        CHECK(form->Take() == std::vector<uint16_t>{SKCMD_NEWSKIN, SKCMD_FADEDONE, SKCMD_REFRESH,
                                                     SKCMD_FADEDONE, SKCMD_REFRESH});
        second->SetActive(false);
        CHECK_FALSE(second->HookInstalled());
        created = 0;
        w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(w);
        CHECK(created == 0);

        second.M.reset();
        CHECK(DefaultManager == nullptr);   // none afterwards, though another lives
        CHECK_FALSE(first->IsDefault());
        delete form;
    }
    SkinEngineHooks.CBTNotify = nullptr;
    CHECK(DefaultManager == nullptr);
}

TEST_CASE("skin manager: the window under the mouse")
{
    TRecordingForm* a = NewForm();
    TRecordingForm* b = NewForm();
    {
        TManagerHolder m;
        const LPARAM self = reinterpret_cast<LPARAM>(m.M.get());
        a->Take();
        b->Take();
        m->SetActiveControl(a->Handle());
        CHECK(a->Take() == std::vector<uint16_t>{SKCMD_ACTIVATED});
        m->SetActiveControl(a->Handle());
        CHECK(a->Take().empty());
        m->SetActiveControl(b->Handle());
        CHECK(a->Params == std::vector<LPARAM>{self});
        CHECK(a->Take() == std::vector<uint16_t>{SKCMD_DEACTIVATED});
        CHECK(b->Params == std::vector<LPARAM>{self});
        CHECK(b->Take() == std::vector<uint16_t>{SKCMD_ACTIVATED});
        CHECK(m->ActiveControl() == b->Handle());
        m->SetActiveControl(nullptr);
        CHECK(b->Take() == std::vector<uint16_t>{SKCMD_DEACTIVATED});
    }
    delete a;
    delete b;
}

TEST_CASE("skin manager: skinned forms of a provider are redrawn once the skin is in")
{
    const WideString dir = FreshFolder("provider");
    MakeFolderSkin(dir, L"Fold", "1");
    static TObject provider;
    static int refreshed = 0;
    refreshed = 0;
    SkinEngineHooks.RefreshProvider = [](TObject* P) {
        if (P == &provider)
            ++refreshed;
    };
    TRecordingForm* main = nullptr;
    Application->CreateForm(main);   // the main form: forms are repainted only with one
    main->SkinnedAnswer = 1;
    main->Provider = &provider;
    main->Show();
    SkinnedForms.push_back(main);
    TRecordingForm* hidden = NewForm();
    hidden->SkinnedAnswer = 1;
    hidden->Provider = &provider;
    SkinnedForms.push_back(hidden);
    // The animated repaint of each form, written down: its length depends on the system.
    static std::vector<int> shown;
    shown.clear();
    const auto savedShow = SkinEngineHooks.AnimShowControl;
    SkinEngineHooks.AnimShowControl = [](TWinControl*, int Time) { shown.push_back(Time); };
    const auto savedVersion = SkinSystemMajorVersion;
    SkinSystemMajorVersion = [] { return 6; };
    {
        TManagerHolder m;
        m->SetSkinDirectory(Without(dir));
        m->SetSkinName(L"Fold");
        CHECK(main->Take() == Applied);
        CHECK(hidden->Take() == Applied);
        CHECK(main->RedrawOff == 1);   // stopped once, though asked twice
        CHECK(refreshed == 2);
        CHECK(IsWindowVisible(main->Handle()));
        // Switching redrawing on again would have shown the hidden one.
        CHECK(hidden->RedrawOff == 0);
        CHECK_FALSE(IsWindowVisible(hidden->Handle()));
        // From version 6 on the repaint is not animated; before, it lasts the set time.
        CHECK(shown == std::vector<int>{0, 0});
        shown.clear();
        SkinSystemMajorVersion = [] { return 5; };
        m->SetSkinName(L"Fold");
        CHECK(shown == std::vector<int>{100, 100});
    }
    SkinSystemMajorVersion = savedVersion;
    SkinEngineHooks.AnimShowControl = savedShow;
    SkinnedForms.erase(std::find(SkinnedForms.begin(), SkinnedForms.end(), hidden));
    SkinnedForms.erase(std::find(SkinnedForms.begin(), SkinnedForms.end(), main));
    SkinEngineHooks.RefreshProvider = nullptr;
    delete hidden;
    delete main;
    CHECK(Application->MainForm() == nullptr);
}

TEST_CASE("skin manager: published properties and internal skins in form data")
{
    REQUIRE(DefaultManager == nullptr);
    TBitmap own;
    Bytes ownBytes = Bmp24(6, 4, [](int x, int y) { return TColor(x * 40 + y * 0x2000); });
    own.LoadFromMemory(ownBytes.data(), ownBytes.size());
    TBitmap master;
    Bytes masterBytes = Bmp24(20, 10, [](int x, int y) { return TColor(x * 0x0A0000 + y * 9); });
    master.LoadFromMemory(masterBytes.data(), masterBytes.size());
    TJPEGImage jpeg;
    Bytes jpegBytes = ReadBytes(TestDataPath("tiny.jpg"));
    jpeg.LoadFromMemory(jpegBytes.data(), jpegBytes.size());
    Bytes packed = PackedSkinBytes("9");

    TUcMemoryStream data;
    {
        TForm form(nullptr);
        form.SetName("Holder");
        auto* m = new TzSkinManager(&form);
        m->SetName("Manager");
        m->SetActive(false);
        m->SetHueOffset(30);
        m->SetSaturation(-20);
        m->SetSkinningRules(1 << srStdDialogs);
        m->SetSkinnedPopups(false);
        m->SetSkinDirectory(L"Skins");
        m->SetSkinName(L"Кожа");
        m->CommonSections()->Add("[EXTRA]");
        m->MenuSupport()->SetIcoLineSkin("ICONS");
        m->MenuSupport()->SetExtraLineWidth(40);
        m->MenuSupport()->ExtraLineFont()->SetName("Tahoma");
        m->AnimEffects()->SkinChanging()->SetTime(0);
        m->AnimEffects()->FormShow()->SetTime(250);
        m->AnimEffects()->DialogShow()->SetActive(false);
        m->AnimEffects()->Buttons()->SetEvents(1 << beMouseDown);

        TzStoredSkin* s = m->InternalSkins()->Add();
        s->SetName(L"Кожа");
        s->SetVersion(1.25);
        s->SetAuthor("Us");
        s->SetDescription("Stored");
        s->SetShadow1Blur(4);
        s->SetBorderColor(77);
        s->SetMasterBitmap(&master);
        TzSkinGeneral* g = s->GeneralData()->Add();
        g->SetSectionClassName("EDIT");
        g->SetParentClass("FORM");
        g->SetColor(clBtnFace);
        g->SetBevel(cbLoweredHard);
        g->SetFontColor("1 2 3 4 5");
        g->SetGradientData("1;2;100;0;0");
        g->SetShadowDontUse(true);
        g->SetFadingIterations(12);
        TzSkinImage* i1 = s->Images()->Add();
        i1->SetSectionName("EDIT");
        i1->SetPropertyName("BORDERSMASK");
        i1->SetRight(18);
        i1->SetBottom(6);
        i1->SetImageCount(3);
        i1->SetMaskType(1);
        i1->SetWL(2);
        TzSkinImage* i2 = s->Images()->Add();
        i2->SetSectionName("EDIT");
        i2->SetPropertyName("GLYPHMASK");
        i2->SetName("glyph");
        i2->SetImage(&own);
        i2->SetImgType(itisaGlyph);
        i2->SetStretchMode(1);
        TzSkinPattern* p = s->Patterns()->Add();
        p->SetSectionName("EDIT");
        p->SetPropertyName("PATTERN");
        p->SetImage(&jpeg);
        TzStoredSkin* b = m->InternalSkins()->Add();
        b->SetName(L"Bytes");
        b->Data()->WriteBuffer(packed.data(), int32_t(packed.size()));
        data.WriteComponent(&form);
        SkinGlobalAnimEvents = 0x0F;
    }
    struct TEventsBack {
        ~TEventsBack() { SkinGlobalAnimEvents = 0x0F; }
    } eventsBack;
    REQUIRE(DefaultManager == nullptr);

    // "Data" goes into every stored skin, empty or not; what is only shown is not stored.
    AnsiString bytes(static_cast<const char*>(data.Memory()), size_t(data.Size()));
    size_t dataProps = 0;
    for (size_t at = bytes.find("\x04" "Data\x0A"); at != AnsiString::npos; at = bytes.find("\x04" "Data\x0A", at + 1))
        ++dataProps;
    CHECK(dataProps == 2);
    CHECK(bytes.find("SkinInfo") == AnsiString::npos);
    CHECK(bytes.find("5.33") == AnsiString::npos);

    auto read = std::make_unique<TForm>(nullptr);
    data.SetPosition(0);
    data.ReadComponent(read.get());
    TzSkinManager* m = ManagerOf(read.get());
    REQUIRE(m);
    CHECK(m->Name() == "Manager");
    CHECK(m->IsDefault());
    CHECK_FALSE(m->Active());
    CHECK(m->HueOffset() == 30);
    CHECK(m->Saturation() == -20);
    CHECK(m->SkinningRules() == (1 << srStdDialogs));
    CHECK_FALSE(m->SkinnedPopups());
    CHECK(m->SkinDirectory() == L"Skins");
    CHECK(m->SkinName() == L"Кожа");
    CHECK(m->CommonSections()->Text() == "[EXTRA]\r\n");
    CHECK(m->MenuSupport()->IcoLineSkin() == "ICONS");
    CHECK(m->MenuSupport()->ExtraLineWidth() == 40);
    CHECK(m->MenuSupport()->ExtraLineFont()->Name() == "Tahoma");
    CHECK(m->AnimEffects()->SkinChanging()->Time() == 0);
    CHECK(m->AnimEffects()->FormShow()->Time() == 250);
    CHECK(m->AnimEffects()->DialogShow()->Time() == 100);
    CHECK_FALSE(m->AnimEffects()->DialogShow()->Active());
    CHECK(m->AnimEffects()->PageChange()->Active());
    CHECK(SkinGlobalAnimEvents == (1 << aeMouseDown));   // written by the default manager

    REQUIRE(m->InternalSkins()->Count() == 2);
    CHECK(m->InternalSkins()->IndexOf(L"Bytes") == 1);
    CHECK(m->InternalSkins()->IndexOf(L"bytes") == -1);   // exact names
    const TzStoredSkin* s = m->InternalSkins()->Items(0);
    CHECK(s->Name() == L"Кожа");
    CHECK(s->Version() == 1.25);
    CHECK(s->Author() == "Us");
    CHECK(s->Description() == "Stored");
    CHECK(s->Shadow1Blur() == 4);
    CHECK(s->Shadow1Offset() == 0);
    CHECK(s->BorderColor() == 77);
    CHECK(s->Data()->Size() == 0);
    CHECK(SameBitmap(s->MasterBitmap(), &master));
    REQUIRE(s->GeneralData()->Count() == 1);
    const TzSkinGeneral* g = s->GeneralData()->Items(0);
    CHECK(g->SectionClassName() == "EDIT");
    CHECK(g->ParentClass() == "FORM");
    CHECK(g->Color() == clBtnFace);
    CHECK(g->Bevel() == cbLoweredHard);
    CHECK(g->FontColor() == "1 2 3 4 5");
    CHECK(g->GradientData() == "1;2;100;0;0");
    CHECK(g->ShadowDontUse());
    CHECK(g->FadingIterations() == 12);
    CHECK(g->ShadowBlur() == 6);
    CHECK(g->HotColor() == 0xFFFFFF);
    REQUIRE(s->Images()->Count() == 2);
    CHECK(s->Images()->Items(0)->Image()->Empty());
    CHECK(s->Images()->Items(0)->Right() == 18);
    CHECK(s->Images()->Items(0)->WL() == 2);
    CHECK(s->Images()->Items(1)->Name() == "glyph");
    CHECK(s->Images()->Items(1)->ImgType() == itisaGlyph);
    CHECK(SameBitmap(s->Images()->Items(1)->Image(), &own));
    REQUIRE(s->Patterns()->Count() == 1);
    CHECK(s->Patterns()->Items(0)->Image()->Width() == jpeg.Width());
    CHECK(s->Patterns()->Items(0)->Image()->Height() == jpeg.Height());
    const TzStoredSkin* b = m->InternalSkins()->Items(1);
    REQUIRE(b->Data()->Size() == int64_t(packed.size()));
    CHECK(Bytes(static_cast<uint8_t*>(b->Data()->Memory()),
                static_cast<uint8_t*>(b->Data()->Memory()) + packed.size()) == packed);

    SUBCASE("written again, the same bytes")
    {
        TUcMemoryStream again;
        again.WriteComponent(read.get());
        REQUIRE(again.Size() == data.Size());
        CHECK(std::memcmp(again.Memory(), data.Memory(), size_t(data.Size())) == 0);
    }
    SUBCASE("what was read loads")
    {
        m->SetActive(true);
        CHECK(m->SkinInfo() == "1.25");
        int edit = m->FindSectionIndex("EDIT");
        REQUIRE(edit >= 0);
        CHECK(m->FindPatternIndex(edit, "EDIT", "PATTERN") == 0);
        CHECK(m->FindMaskIndex(edit, "EDIT", "GLYPHMASK") >= 0);
        m->SetSkinName(L"Bytes");
        CHECK(m->SkinInfo() == "9");
    }
    SUBCASE("assigning copies every field")
    {
        TzStoredSkins copy(nullptr);
        copy.Assign(m->InternalSkins());
        REQUIRE(copy.Count() == 2);
        CHECK(copy.Items(0)->Name() == L"Кожа");
        CHECK(copy.Items(0)->GeneralData()->Items(0)->FontColor() == "1 2 3 4 5");
        CHECK(copy.Items(0)->Images()->Items(1)->Image() != s->Images()->Items(1)->Image());
        CHECK(SameBitmap(copy.Items(0)->Images()->Items(1)->Image(), &own));
        CHECK(copy.Items(1)->Data()->Size() == int64_t(packed.size()));
        CHECK(copy.Items(0)->Shadow1Blur() == 4);
    }
    SUBCASE("damaged form data: an error, nothing half-made stays loading")
    {
        for (int64_t cut : {data.Size() - 5, data.Size() / 2, int64_t(40)}) {
            TMemoryStream part;
            part.WriteBuffer(data.Memory(), int32_t(cut));
            part.SetPosition(0);
            TForm target(nullptr);
            CHECK_THROWS_AS(part.ReadComponent(&target), EReadError);
            if (TzSkinManager* half = ManagerOf(&target))
                CHECK_FALSE(half->IsLoading());
        }
    }
    read.reset();
    CHECK(DefaultManager == nullptr);
}

TEST_CASE("skin manager: the built-in skin in the gallery's form data")
{
    REQUIRE(DefaultManager == nullptr);
    const WideString folder = OurSkin("ZandrelDawn");

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
    SUBCASE("a stored skin reads back as the folder it was made from")
    {
        TSkSkinRecords fromFolder;
        REQUIRE(fromFolder.LoadFromSkinFolder(folder));
        TzStoredSkins skins(nullptr);
        TzStoredSkin* s = skins.Add();
        StoreSkinRecords(fromFolder, s);
        TSkStoredSkinData d;
        s->GetStoredSkinData(d);
        TSkSkinRecords fromStore;
        fromStore.LoadFromStoredSkin(d);
        CheckSameRecords(fromFolder, fromStore);
    }
    SUBCASE("it loads and applies the internal skin")
    {
        TRecordingForm* watcher = NewForm();
        {
            TUcMemoryStream file;
            file.LoadFromFile(GalleryFormFile());
            auto* form = new TForm(Application);
            file.ReadComponent(form);
            CHECK(form->Name() == "GalleryForm");
            CHECK_FALSE(form->Visible());
            TzSkinManager* m = ManagerOf(form);
            REQUIRE(m);
            CHECK(m->IsDefault());
            CHECK(m->SkinDirectory() == L"Skins");
            CHECK(m->SkinName() == L"Zandrel");
            CHECK(m->InternalSkins()->Count() == 1);
            CHECK(m->MenuSupport()->IcoLineSkin() == "ICOLINE");
            CHECK_FALSE(m->AnimEffects()->FormShow()->Active());
            CHECK_FALSE(m->AnimEffects()->DialogShow()->Active());
            CHECK(m->AnimEffects()->SkinChanging()->Time() == 0);
            // Applied at load: the internal skin, as the folder reads.
            CHECK(m->SkinData().Active);
            CHECK(m->SkinInfo() == "1");
            CHECK(m->SkinData().SkinPath.empty());
            CHECK(watcher->Take() == Applied);
            TSkSkinRecords fromFolder;
            REQUIRE(fromFolder.LoadFromSkinFolder(folder));
            CheckSameRecords(fromFolder, *m);
            CHECK(m->Cache().BoxChecked >= 0);
            delete form;
        }
        CHECK(DefaultManager == nullptr);
        CHECK(watcher->Take() == Removed);
        delete watcher;
    }
}

namespace {

// A windowed control that writes down the skin commands it hears and may call itself skinned;
// AnswerInLParam answers in the record only, as controls delivered to in-process do.
class TRecordingWinControl : public TCustomControl {
public:
    explicit TRecordingWinControl(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<uint16_t> Commands;
    bool Skinned = false;
    bool AnswerInLParam = false;

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD) {
            if (M.WParamHi() == SKCMD_ISSKINNED) {
                if (Skinned) {
                    M.LParam = 1;
                    M.Result = AnswerInLParam ? 0 : 1;
                }
                return;
            }
            Commands.push_back(M.WParamHi());
            return;
        }
        TCustomControl::WndProc(M);
    }
};

} // namespace

TEST_CASE("skin command utilities")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->HandleNeeded();
    auto* plain = new TRecordingWinControl(form.get());
    plain->SetParent(form.get());
    auto* inner = new TRecordingControl(form.get());   // a graphic child of the plain one
    inner->SetParent(plain);
    auto* skinned = new TRecordingWinControl(form.get());
    skinned->Skinned = true;
    skinned->SetParent(form.get());
    auto* graphic = new TRecordingControl(form.get());
    graphic->SetParent(form.get());
    plain->HandleNeeded();
    skinned->HandleNeeded();

    SUBCASE("asking: the record's answer counts, and the window's result")
    {
        CHECK(AskControlCommand(skinned, SKCMD_ISSKINNED));
        skinned->AnswerInLParam = true;
        CHECK(AskControlCommand(skinned, SKCMD_ISSKINNED));            // through the record
        CHECK_FALSE(AskWindowCommand(skinned->Handle(), SKCMD_ISSKINNED));   // SendMessage says 0
        CHECK_FALSE(AskControlCommand(plain, SKCMD_ISSKINNED));
        CHECK_FALSE(AskControlCommand(nullptr, SKCMD_ISSKINNED));
        CHECK_FALSE(AskWindowCommand(nullptr, SKCMD_ISSKINNED));
    }
    SUBCASE("sending to a control: by Perform, or to its window when it has one")
    {
        SendCommandToControl(graphic, SKCMD_BGCHANGED, 0);
        CHECK(graphic->Commands == std::vector<uint16_t>{SKCMD_BGCHANGED});
        SendCommandToControl(skinned, SKCMD_BGCHANGED, 0);
        CHECK(skinned->Commands == std::vector<uint16_t>{SKCMD_BGCHANGED});
        auto* windowless = new TRecordingWinControl(form.get());
        windowless->SetParent(form.get());
        CHECK(SendCommandToControl(windowless, SKCMD_BGCHANGED, 0) == 0);
        CHECK(windowless->Commands.empty());
        CHECK(SendCommandToControl(nullptr, SKCMD_BGCHANGED, 0) == 0);
    }
    SUBCASE("down the controls: a control that skins itself hears it, another passes it on")
    {
        BroadcastToControls(form.get(), TMessage{SM_SKINCMD, SkinCommandWParam(SKCMD_REFRESH), 0, 0});
        CHECK(skinned->Commands == std::vector<uint16_t>{SKCMD_REFRESH});
        CHECK(graphic->Commands == std::vector<uint16_t>{SKCMD_REFRESH});
        CHECK(plain->Commands.empty());
        CHECK(inner->Commands == std::vector<uint16_t>{SKCMD_REFRESH});
    }
}

namespace {

// The skinned menus as the manager sees them: what it was told.
struct TFakeMenus : TzSkinMenuPainter {
    static inline std::vector<AnsiString> Log;
    void ResetItemIndex() override { Log.push_back("reset"); }
    void SetPopupSkinning(bool Value) override { Log.push_back(Value ? "popups on" : "popups off"); }
    void HookPopupWindow(HWND Popup) override { Log.push_back("popup " + std::to_string(uintptr_t(Popup))); }
    void HookItemPopup(LPARAM Item) override { Log.push_back("item " + std::to_string(Item)); }
};

} // namespace

TEST_CASE("skin manager: the menu painter it keeps and the application window's messages")
{
    REQUIRE(DefaultManager == nullptr);
    const WideString dir = FreshFolder("menus");
    MakeFolderSkin(dir, L"Fold", "1");
    TFakeMenus::Log.clear();
    {
        // Made before the menus start up, as a manager read from form data may be.
        TManagerHolder m;
        CHECK_FALSE(m->SkinableMenus());
        SkinEngineHooks.CreateMenuPainter = [](TzSkinManager*) -> TzSkinMenuPainter* { return new TFakeMenus; };
        m->SetSkinDirectory(Without(dir));
        m->SetSkinName(L"Fold");
        CHECK(TFakeMenus::Log == std::vector<AnsiString>{"reset"});
        m->SetSkinnedPopups(true);   // unchanged: nothing
        m->SetSkinnedPopups(false);
        m->SetSkinnedPopups(true);
        CHECK(TFakeMenus::Log == std::vector<AnsiString>{"reset", "popups on"});
        // The default manager hooks the application's window for the menus' messages.
        SendMessageW(Application->Handle(), SM_MENUPOPUPWINDOW, 0, 77);
        SendMessageW(Application->Handle(), SM_MENUITEMPOPUP, 0, 5);
        CHECK(TFakeMenus::Log == std::vector<AnsiString>{"reset", "popups on", "popup 77", "item 5"});
    }
    TFakeMenus::Log.clear();
    SendMessageW(Application->Handle(), SM_MENUPOPUPWINDOW, 0, 77);   // unhooked with the manager
    CHECK(TFakeMenus::Log.empty());
    SkinEngineHooks.CreateMenuPainter = nullptr;
}
