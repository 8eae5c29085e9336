#include "fuzz/targets.h"

#include "classlib/classes.h"
#include "classlib/graphics.h"
#include "classlib/inifiles.h"
#include "classlib/jpeg.h"
#include "skin/zgradient.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpack.h"
#include "skin/zskinservices.h"
#include "skin/zskintext.h"
#include "unicode/ucclasses.h"
#include "unicode/ucforms.h"
#include "unicode/ucsystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

void Require(bool Rule, const std::string& Broken)
{
    if (!Rule)
        throw TFuzzFault(Broken);
}

// Chosen from the input, so every input of a target paints a little differently, and the
// same input always alike.
uint32_t HashOf(const uint8_t* D, size_t N)
{
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < N; ++i)
        h = (h ^ D[i]) * 16777619u;
    return h;
}

void FillStream(TMemoryStream& S, const uint8_t* D, size_t N)
{
    if (N)
        S.WriteBuffer(D, int32_t(N));
    S.SetPosition(0);
}

AnsiString StreamText(TMemoryStream& S)
{
    return AnsiString(static_cast<const char*>(S.Memory()), size_t(S.Size()));
}

// ---------------------------------------------------------------------------------------
// Pictures

int BitsPerPixel(TPixelFormat F)
{
    switch (F) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

// The picture's pixels as bytes, row by row (without the padding of each row): every byte a
// painter could read, read once.
TBytes PixelBytes(TBitmap& B)
{
    TBytes out;
    if (B.Empty())
        return out;
    const size_t row = (size_t(B.Width()) * size_t(BitsPerPixel(B.PixelFormat())) + 7) / 8;
    Require(row <= size_t(B.BytesPerScanLine()), "a row holds more bytes than the bitmap's rows have");
    out.reserve(row * size_t(B.Height()));
    for (int y = 0; y < B.Height(); ++y) {
        const auto* p = static_cast<const uint8_t*>(B.ScanLine(y));
        out.insert(out.end(), p, p + row);
    }
    return out;
}

struct TPicture {
    int Width = 0, Height = 0;
    TPixelFormat Format = pfDevice;
    TBytes Pixels;
    bool operator==(const TPicture&) const = default;
};

TPicture PictureOf(TBitmap& B)
{
    return TPicture{B.Width(), B.Height(), B.PixelFormat(), PixelBytes(B)};
}

TBytes GoodBmp, GoodJpeg;

// A bitmap file read from memory and from a stream, over a bitmap that held a picture.
bool RunBmp(const uint8_t* D, size_t N)
{
    TBitmap fromMemory, fromStream;
    fromMemory.LoadFromMemory(GoodBmp.data(), GoodBmp.size());
    fromStream.LoadFromMemory(GoodBmp.data(), GoodBmp.size());
    const TPicture before = PictureOf(fromMemory);
    AnsiString memoryError, streamError;
    try {
        fromMemory.LoadFromMemory(D, N);
    } catch (const EInvalidGraphic& e) {
        memoryError = e.Message();
    }
    try {
        TMemoryStream s;
        FillStream(s, D, N);
        fromStream.LoadFromStream(&s);
    } catch (const EInvalidGraphic& e) {
        streamError = e.Message();
    }
    Require(memoryError == streamError, "read from memory and from a stream, the file gives \"" + memoryError +
                                            "\" and \"" + streamError + "\"");
    if (!memoryError.empty()) {
        Require(memoryError == "Bitmap image is not valid", "a refused bitmap file says \"" + memoryError + "\"");
        Require(PictureOf(fromMemory) == before && PictureOf(fromStream) == before,
                "a refused bitmap file changed the picture that was there");
        return false;
    }
    Require(PictureOf(fromMemory) == PictureOf(fromStream), "read from memory and from a stream, the pictures differ");
    return true;
}

// JPEG bytes over a picture that held one: refused, it is as it was; taken, the bytes
// saved are the bytes read.
bool RunJpeg(const uint8_t* D, size_t N)
{
    TJPEGImage j;
    j.LoadFromMemory(GoodJpeg.data(), GoodJpeg.size());
    const TPicture before = PictureOf(*j.Bitmap());
    try {
        j.LoadFromMemory(D, N);
    } catch (const EInvalidGraphic& e) {
        Require(e.Message() == "JPEG image is not valid", "a refused JPEG file says \"" + e.Message() + "\"");
        TMemoryStream saved;
        j.SaveToStream(&saved);
        Require(PictureOf(*j.Bitmap()) == before && StreamText(saved) == AnsiString(GoodJpeg.begin(), GoodJpeg.end()),
                "a refused JPEG file changed the picture that was there");
        return false;
    }
    TMemoryStream saved;
    j.SaveToStream(&saved);
    Require(StreamText(saved) == AnsiString(D, D + N), "the JPEG bytes saved are not those read");
    if (N == 0) {
        Require(j.Empty(), "no bytes gave a picture");
        return true;
    }
    Require(j.Width() > 0 && j.Height() > 0, "a JPEG file was taken without a picture");
    PixelBytes(*j.Bitmap());
    return true;
}

// ---------------------------------------------------------------------------------------
// Painting into a bitmap with a frame of one colour around the rectangle painted: a painter
// that writes outside its rectangle changes the frame.

constexpr uint8_t FrameByte = 0x5A;

struct TFramedBitmap {
    TBitmap Bmp;
    TFramedBitmap(int W, int H)
    {
        Bmp.SetPixelFormat(pf24bit);
        Bmp.SetSize(W, H);
    }
    void Clear()
    {
        for (int y = 0; y < Bmp.Height(); ++y)
            std::memset(Bmp.ScanLine(y), FrameByte, size_t(Bmp.Width()) * 3);
    }
    // The first pixel outside R (cut to the bitmap) that is not the frame's; false for none.
    bool Outside(const TRect& R, int& X, int& Y)
    {
        for (Y = 0; Y < Bmp.Height(); ++Y) {
            const auto* row = static_cast<const uint8_t*>(Bmp.ScanLine(Y));
            for (X = 0; X < Bmp.Width(); ++X)
                if (!(X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom) &&
                    (row[X * 3] != FrameByte || row[X * 3 + 1] != FrameByte || row[X * 3 + 2] != FrameByte))
                    return true;
        }
        return false;
    }
};

std::string RectText(const TRect& R)
{
    return "(" + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
           std::to_string(R.Bottom) + ")";
}

// Rectangles inside, across the edge of, and outside a 40 x 30 bitmap, and empty ones.
const TRect PaintRects[] = {TRect(3, 2, 37, 27), TRect(0, 0, 40, 30), TRect(30, 20, 52, 41), TRect(5, 5, 6, 6),
                            TRect(-8, -6, 12, 9), TRect(10, 10, 10, 20), TRect(0, 0, 1, 30)};

// Every section of the skin (up to a limit) in both states, over one of the rectangles.
void PaintSections(TzSkinManager& M, uint32_t Hash)
{
    TFramedBitmap f(40, 30);
    const TRect& r = PaintRects[Hash % std::size(PaintRects)];
    const int count = std::min(M.SectionCount(), 80);
    for (int i = 0; i < count; ++i)
        for (int state = 0; state < 2; ++state) {
            f.Clear();
            PaintSectionByIndex(i, &M, &f.Bmp, EmptyCacheInfo, r, TzPaintState(state), true);
            int x = 0, y = 0;
            if (f.Outside(r, x, y))
                throw TFuzzFault("section " + std::to_string(i) + " in state " + std::to_string(state) +
                                 " painted over " + RectText(r) + " changed the pixel (" + std::to_string(x) + "," +
                                 std::to_string(y) + ")");
        }
}

// ---------------------------------------------------------------------------------------
// Skins

// The engine's message boxes while it lives, counted instead of shown.
class TBoxCatcher {
public:
    TBoxCatcher() : FOld(EngineMessageBox)
    {
        Texts().clear();
        EngineMessageBox = &Catch;
    }
    ~TBoxCatcher() { EngineMessageBox = FOld; }
    TBoxCatcher(const TBoxCatcher&) = delete;
    TBoxCatcher& operator=(const TBoxCatcher&) = delete;
    static std::vector<WideString>& Texts()
    {
        static std::vector<WideString> texts;
        return texts;
    }

private:
    static int Catch(const WideString& Text, const WideString&, UINT)
    {
        Texts().push_back(Text);
        return IDOK;
    }
    TzEngineMessageBox FOld;
};

// The images of the fixture skin, for option texts that name them.
std::unique_ptr<TSkSkinConvertor> FixtureImages;

std::unique_ptr<TSkSkinConvertor> ConvertorOf(const uint8_t* D, size_t N)
{
    auto c = std::make_unique<TSkSkinConvertor>();
    auto m = std::make_unique<TMemoryStream>();
    FillStream(*m, D, N);
    c->PackedData = std::move(m);
    c->ExtractPackedData();
    return c;
}

// A manager that is not applied, with the skin loaded by Load, taken as applied to paint.
template <class L> void LoadAndPaint(L&& Load, uint32_t Hash)
{
    TzSkinManager m(nullptr);
    m.SetActive(false);
    Load(m);
    m.SkinData().Active = true;
    PaintSections(m, Hash);
}

// A packed skin file: damage gives one of the two boxes and an empty convertor; whatever was
// read loads and paints. The engine raises nothing.
bool RunPackedSkin(const uint8_t* D, size_t N)
{
    TBoxCatcher boxes;
    std::unique_ptr<TSkSkinConvertor> c = ConvertorOf(D, N);
    const auto& texts = TBoxCatcher::Texts();
    Require(texts.size() <= 1, "one packed file gave " + std::to_string(texts.size()) + " message boxes");
    const bool damaged = !texts.empty();
    if (damaged) {
        Require(texts[0] == L"Packed skin data is damaged" || texts[0] == L"Loaded data is not packed Quellin file",
                "a damaged packed file says \"" + WideToAnsi(texts[0]) + "\"");
        Require(c->Files.empty() && !c->Options && c->ImageCount == 0, "a damaged packed file left entries behind");
    }
    for (const TSkImageItem& f : c->Files)
        Require(f.Data != nullptr, "an image entry without bytes");
    LoadAndPaint([&](TzSkinManager& m) { m.LoadFromPackedSkin(c.get(), WideString()); }, HashOf(D, N));
    return !damaged;
}

// An option text with the fixture skin's images: read, and every section painted.
bool RunOptionText(const uint8_t* D, size_t N)
{
    LoadAndPaint(
        [&](TzSkinManager& m) {
            m.LoadFromOptionText(reinterpret_cast<const char*>(D), N,
                                 TSkImageSource{WideString(), FixtureImages.get()});
        },
        HashOf(D, N));
    return true;
}

// A gradient text: parsed into steps or refused with EConvertError and no steps; the steps
// painted stay inside their rectangle.
bool RunGradient(const uint8_t* D, size_t N)
{
    const AnsiString text(reinterpret_cast<const char*>(D), N);
    TzGradArray steps{TzGradItem{}};
    try {
        ParseGradientData(text, steps);
    } catch (const EConvertError& e) {
        Require(steps.empty(), "a refused gradient text left steps");
        Require(!e.Message().empty(), "a gradient text refused without a message");
        return false;
    }
    const size_t fields = size_t(std::count(text.begin(), text.end(), ';')) + 1;
    Require(steps.size() == (text.empty() ? 0 : fields / 5), "a gradient of " + std::to_string(fields) +
                                                                  " fields gave " + std::to_string(steps.size()) +
                                                                  " steps");
    for (const TzGradItem& s : steps)
        if (s.Percent < 0 || s.Percent > 100)
            throw TFuzzFault("a step of " + std::to_string(s.Percent) + " percent");
    const uint32_t h = HashOf(D, N);
    TFramedBitmap f(40, 30);
    const int offsets[] = {0, 7, -5, 1000, -1000000, 2147483647};
    for (int k = 0; k < 3; ++k) {
        const TRect& r = PaintRects[(h >> (4 * k)) % std::size(PaintRects)];
        const int offset = offsets[(h >> (4 * k + 12)) % std::size(offsets)];
        f.Clear();
        FillGradient(&f.Bmp, r, steps, offset);
        int x = 0, y = 0;
        if (f.Outside(r, x, y))
            throw TFuzzFault("the gradient painted over " + RectText(r) + " with offset " + std::to_string(offset) +
                             " changed the pixel (" + std::to_string(x) + "," + std::to_string(y) + ")");
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Form data

// Form data read into a new form; what was read is written, and the written data reads back
// and writes again the same.
bool RunFormData(const uint8_t* D, size_t N)
{
    TMemoryStream in;
    FillStream(in, D, N);
    auto form = std::make_unique<TUcForm>(nullptr, TUcForm::CreateNew);
    try {
        in.ReadComponent(form.get());
    } catch (const Exception& e) {
        Require(!e.Message().empty(), std::string("form data refused with ") + e.ClassName() + " and no message");
        return false;
    }
    TMemoryStream first;
    first.WriteComponent(form.get());
    form.reset();
    auto again = std::make_unique<TUcForm>(nullptr, TUcForm::CreateNew);
    first.SetPosition(0);
    try {
        first.ReadComponent(again.get());
    } catch (const Exception& e) {
        throw TFuzzFault(std::string("form data written from a form that was read cannot be read: ") + e.ClassName() +
                         " \"" + e.Message() + "\"");
    }
    TMemoryStream second;
    second.WriteComponent(again.get());
    Require(StreamText(first) == StreamText(second), "form data written, read and written again changed");
    return true;
}

// ---------------------------------------------------------------------------------------
// Text

WideString WideOf(const uint8_t* D, size_t N)
{
    WideString w(N / 2, L'\0');
    if (!w.empty())
        std::memcpy(w.data(), D, w.size() * 2);
    return w;
}

// What the range decoder writes into a buffer of Room characters, the buffer being exactly
// that large (so the checking heap sees a write past it).
WideString DecodeUtf7Into(const AnsiString& S, size_t Room, TUtf7Result& Result)
{
    std::unique_ptr<WideChar[]> buf(new WideChar[Room]);
    const char* s = S.data();
    WideChar* d = buf.get();
    Result = ConvertUTF7toUTF16(s, s + S.size(), d, buf.get() + Room);
    Require(s >= S.data() && s <= S.data() + S.size() && d >= buf.get() && d <= buf.get() + Room,
            "the UTF-7 decoder left its ranges");
    return WideString(buf.get(), d);
}

AnsiString EncodeUtf7Into(const WideString& W, size_t Room, bool AlwaysClose, bool SetODirect, TUtf7Result& Result)
{
    std::unique_ptr<char[]> buf(new char[Room]);
    const WideChar* s = W.data();
    char* d = buf.get();
    Result = ConvertUTF16toUTF7(s, s + W.size(), d, buf.get() + Room, AlwaysClose, SetODirect);
    Require(s >= W.data() && s <= W.data() + W.size() && d >= buf.get() && d <= buf.get() + Room,
            "the UTF-7 encoder left its ranges");
    return AnsiString(buf.get(), d);
}

bool StartsWith(const std::basic_string_view<WideChar> S, const std::basic_string_view<WideChar> Prefix)
{
    return S.substr(0, Prefix.size()) == Prefix;
}

// UTF-7 bytes decoded whole and into short buffers; the input's bytes also taken as UTF-16
// and encoded, whole and into short buffers. What decodes encodes back to the same text.
bool RunUtf7(const uint8_t* D, size_t N)
{
    const AnsiString s(reinterpret_cast<const char*>(D), N);
    bool valid = true;
    WideString text;
    try {
        text = Utf7ToWide(s);
    } catch (const EUcGeneralError& e) {
        Require(e.Message() == "Invalid UTF7", "invalid UTF-7 says \"" + e.Message() + "\"");
        valid = false;
    }
    TUtf7Result whole, part;
    const WideString all = DecodeUtf7Into(s, N, whole);
    Require(whole != utf7Overflow, "one character a byte was not room enough for UTF-7");
    Require((whole == utf7Ok) == valid && (!valid || all == text), "the range decoder and the whole decoder differ");
    const uint32_t h = HashOf(D, N);
    for (size_t room : {size_t(0), size_t(1), size_t(h % 7), all.size() / 2, all.size() ? all.size() - 1 : 0}) {
        const WideString got = DecodeUtf7Into(s, room, part);
        Require(StartsWith(all, got), "UTF-7 decoded into " + std::to_string(room) +
                                          " characters is not the start of the whole text");
        Require(part != utf7Ok || got == all, "UTF-7 decoded into a short buffer ended early without saying so");
    }
    if (valid)
        Require(Utf7ToWide(WideToUtf7(text)) == text, "decoded UTF-7 does not encode back to the same text");
    const WideString wide = WideOf(D, N);
    const bool close = h & 1, direct = h & 2;
    const AnsiString encoded = EncodeUtf7Into(wide, wide.size() * 7 + 1, close, direct, whole);
    Require(whole == utf7Ok, "seven bytes a character were not room enough for UTF-7");
    Require(Utf7ToWide(encoded) == wide, "UTF-16 encoded as UTF-7 does not decode to the same text");
    for (size_t room : {size_t(0), size_t(1), size_t(h % 11), encoded.size() / 2}) {
        const AnsiString got = EncodeUtf7Into(wide, room, close, direct, part);
        Require(encoded.compare(0, got.size(), got) == 0, "UTF-7 encoded into " + std::to_string(room) +
                                                               " bytes is not the start of the whole encoding");
        Require(part == utf7Overflow || got == encoded, "UTF-7 encoded into a short buffer ended early");
    }
    return valid;
}

// UTF-8 bytes decoded, encoded and decoded again: the same text; the input's bytes taken as
// UTF-16 (lone surrogates and all) encode and decode without harm.
bool RunUtf8(const uint8_t* D, size_t N)
{
    const WideString text = Utf8ToWide(reinterpret_cast<const char*>(D), N);
    Require(Utf8ToWide(WideToUtf8(text)) == text, "decoded UTF-8 does not encode back to the same text");
    Require(ConvertToWide(AnsiString(reinterpret_cast<const char*>(D), N), CP_UTF8_) == text,
            "the code-page conversion and the UTF-8 decoder differ");
    Utf8ToWide(WideToUtf8(WideOf(D, N)));
    return true;
}

std::vector<WideString> LinesOf(const TUcStringList& L)
{
    std::vector<WideString> v;
    for (int i = 0; i < L.Count(); ++i)
        v.push_back(L.Get(i));
    return v;
}

// Line I of Lines for a report: its length and its first characters as code points.
std::string Shown(const std::vector<WideString>& Lines, size_t I)
{
    if (I >= Lines.size())
        return "(none)";
    const WideString& l = Lines[I];
    std::string s = std::to_string(l.size()) + " characters [";
    char hex[8];
    for (size_t k = 0; k < std::min<size_t>(l.size(), 12); ++k) {
        std::snprintf(hex, sizeof hex, "%s%04X", k ? " " : "", unsigned(uint16_t(l[k])));
        s += hex;
    }
    return s + (l.size() > 12 ? " ...]" : "]");
}

// A text file by its byte-order mark, over a list that held lines: read piece by piece as
// the list reads it, the lines are those of reading it whole.
bool RunTextFile(const uint8_t* D, size_t N)
{
    TUcStringList list;
    list.Add(L"kept line");
    list.Add(L"\x0432\x0442\x043E\x0440\x0430\x044F");
    const std::vector<WideString> before = LinesOf(list);
    TMemoryStream s;
    FillStream(s, D, N);
    try {
        list.LoadFromStream(&s);
    } catch (const Exception& e) {
        Require(LinesOf(list) == before, "a text file that was refused changed the lines");
        Require(!e.Message().empty(), "a text file refused without a message");
        return false;
    }
    TUcStringList whole;
    s.SetPosition(0);
    whole.TUcStrings::LoadFromStreamDetect(&s, true);
    const std::vector<WideString> pieces = LinesOf(list), wholeLines = LinesOf(whole);
    if (pieces != wholeLines) {
        size_t i = 0;
        while (i < pieces.size() && i < wholeLines.size() && pieces[i] == wholeLines[i])
            ++i;
        throw TFuzzFault("a text file read piece by piece gives other lines than read whole: " +
                         std::to_string(pieces.size()) + " lines against " + std::to_string(wholeLines.size()) +
                         ", the first that differs is line " + std::to_string(i) + ": " + Shown(pieces, i) +
                         " against " + Shown(wholeLines, i));
    }
    return true;
}

// INI text: every section and value read as numbers, truth values and text, and the skin's
// option text, which reads INI text as the INI object does, reads the same value for each;
// written out and read again, the same lines; the skin's INI lists over the same lines.
bool RunIni(const uint8_t* D, size_t N)
{
    const AnsiString text(reinterpret_cast<const char*>(D), N);
    TStringList lines;
    lines.SetText(text);
    TMemIniFile ini;
    ini.SetStrings(&lines);
    const TSkOptionText options(text.data(), text.size());
    TStringList sections, values;
    ini.ReadSections(&sections);
    for (int i = 0; i < std::min(sections.Count(), 200); ++i) {
        const AnsiString section = sections.Strings(i);
        ini.ReadSectionValues(section, &values);
        for (int k = 0; k < std::min(values.Count(), 200); ++k) {
            const AnsiString key = values.Names(k);
            ini.ReadInteger(section, key, -7);
            ini.ReadBool(section, key, true);
            Require(ini.ValueExists(section, key) || key.empty(), "a key listed in its section is not there");
            const AnsiString fromIni = ini.ReadString(section, key, "(none)");
            const std::string_view fromOptions = options.ReadString(section, key, "(none)");
            if (fromOptions != fromIni)
                throw TFuzzFault("[" + section + "] " + key + " reads \"" + fromIni + "\" as INI text and \"" +
                                 std::string(fromOptions) + "\" as option text");
        }
    }
    TStringList out, again;
    ini.GetStrings(&out);
    TMemIniFile second;
    second.SetStrings(&out);
    second.GetStrings(&again);
    Require(out.Text() == again.Text(), "INI text written and read again gives other lines");
    TSkIniText skin(&lines);
    for (int i = 0; i < std::min(skin.Sections()->Count(), 200); ++i) {
        const AnsiString section = skin.Sections()->Strings(i);
        ReadIniTextInt(skin.Sections(), section, "VERSION", 0);
        ReadIniTextString(skin.Sections(), section, "MASTERBITMAP", "");
    }
    return true;
}

using namespace std::string_view_literals;

const char* const SkinWords[] = {"[", "]", "=", ";", ",", "\r\n", "\n", "[GLOBALINFO]", "[BUTTON]", "[FORM]",
                                 "PARENTCLASS=", "MASTERBITMAP=MASTER.BMP", "BORDERSMASK=^", "GRADIENTDATA=",
                                 "PATTERN=TEXTURE.JPG", "@", "^", "!", "~", "#", ".BMP", ".JPG", "-1", "0x"};

// Words as written, nul bytes included.
std::vector<std::string> Words(std::initializer_list<std::string_view> W)
{
    return std::vector<std::string>(W.begin(), W.end());
}

std::vector<std::string> SkinWordList()
{
    return std::vector<std::string>(std::begin(SkinWords), std::end(SkinWords));
}

} // namespace

TBytes ReadFileBytes(const WideString& Path)
{
    TUcFileStream f(Path, fmOpenRead | fmShareDenyWrite);
    TBytes b(size_t(f.Size()));
    if (!b.empty())
        f.ReadBuffer(b.data(), int32_t(b.size()));
    return b;
}

void PrepareFuzzTargets(const WideString& DataDir)
{
    GoodBmp = ReadFileBytes(DataDir + L"\\..\\tiny.bmp");
    GoodJpeg = ReadFileBytes(DataDir + L"\\..\\tiny.jpg");
    const TBytes fixture = ReadFileBytes(DataDir + L"\\packed-skin\\fixture.qsz");
    TBoxCatcher boxes;
    FixtureImages = ConvertorOf(fixture.data(), fixture.size());
    if (!TBoxCatcher::Texts().empty() || FixtureImages->Files.empty())
        throw Exception("the fixture skin packed-skin\\fixture.qsz does not read");
    // The fixture must give the loader and the painters something to do: sections with
    // pictures of every form, and paint where it is asked to.
    TzSkinManager m(nullptr);
    m.SetActive(false);
    m.LoadFromPackedSkin(FixtureImages.get(), WideString());
    m.SkinData().Active = true;
    TFramedBitmap f(40, 30);
    f.Clear();
    const int button = m.FindSectionIndex("BUTTON");
    if (button >= 0)
        PaintSectionByIndex(button, &m, &f.Bmp, EmptyCacheInfo, PaintRects[0], psNormal, true);
    int x, y;
    if (m.SectionCount() < 9 || m.MaskCount() < 10 || !m.MasterBitmap() || !f.Outside(TRect(), x, y))
        throw Exception("the fixture skin reads " + std::to_string(m.SectionCount()) + " sections and " +
                        std::to_string(m.MaskCount()) + " pictures, or paints nothing");
}

const std::vector<TFuzzTarget>& FuzzTargets()
{
    // Words of each format: inserted or written over bytes by the mutator. Binary ones are
    // written with their nul bytes.
    const auto packedWords = Words({"QSzf"sv, "Options.dat"sv, "OPTIONS.DAT"sv, "MASTER.BMP"sv, "\x78\x9C"sv});
    const auto bmpWords = Words({"BM"sv, "\x28\0\0\0"sv, "\x0C\0\0\0"sv, "\x7C\0\0\0"sv, "\x01\0\x08\0"sv});
    const auto jpegWords = Words({"\xFF\xD8"sv, "\xFF\xD9"sv, "\xFF\xC0"sv, "\xFF\xC2"sv, "\xFF\xC4"sv,
                                  "\xFF\xDA"sv, "\xFF\xDB"sv, "\xFF\xDD"sv, "\xFF\xE0"sv, "\xFF\xFF"sv});
    const auto gradientWords = Words({";"sv, "0;"sv, "100;"sv, "-1;"sv, "2;"sv, "16777215;"sv});
    const auto formWords = Words({"TPF0"sv, "\x06"sv, "\x07"sv, "\x0E"sv, "\x01"sv, "\x00"sv, "\x12"sv, "\x14"sv,
                                  "TUcForm"sv, "TzSkinManager"sv, "TMainMenu"sv, "TUcMenuItem"sv, "Caption"sv,
                                  "Items"sv, "\xF0"sv, "\xF1"sv, "\xF2"sv});
    const auto utf7Words = Words({"+"sv, "-"sv, "+-"sv, "+AAA"sv, "/"sv, "\x80"sv});
    const auto utf8Words = Words({"\xEF\xBB\xBF"sv, "\xC0\x80"sv, "\xED\xA0\x80"sv, "\xF4\x90\x80\x80"sv,
                                  "\xE2\x80\xA8"sv, "\xF0\x9F\x98\x80"sv});
    const auto textWords = Words({"\xFF\xFE"sv, "\xFE\xFF"sv, "\xEF\xBB\xBF"sv, "\r\n"sv, "\r"sv, "\n"sv,
                                  "\x28\x20"sv, "\x20\x28"sv, "\0"sv});
    const auto iniWords = Words({"["sv, "]"sv, "="sv, ";"sv, "\r\n"sv, "\n"sv, " "sv, "$"sv, "0x"sv, "-"sv});
    // The text reader changes its way at each piece of 256 KB.
    const std::vector<size_t> pieceEdges = {256 * 1024, 512 * 1024};
    const bool text = true, binary = false;
    static const std::vector<TFuzzTarget> targets = {
        {"packed-skin", "packed skin files: the container, its option text and images, every section painted",
         {packedWords, {}, binary, 1 << 20}, &RunPackedSkin},
        {"option-text", "option texts with the fixture skin's images, every section painted",
         {SkinWordList(), {}, text, 1 << 20}, &RunOptionText},
        {"bmp", "bitmap files, from memory and from a stream", {bmpWords, {}, binary, 1 << 20}, &RunBmp},
        {"jpeg", "JPEG files", {jpegWords, {}, binary, 1 << 18}, &RunJpeg},
        {"gradient", "gradient texts, parsed and painted", {gradientWords, {}, text, 1 << 16}, &RunGradient},
        {"form-data", "form data read into a form, written and read again", {formWords, {}, binary, 1 << 20},
         &RunFormData},
        {"utf7", "UTF-7 text decoded, and bytes as UTF-16 encoded", {utf7Words, {}, text, 1 << 16}, &RunUtf7},
        {"utf8", "UTF-8 text decoded and encoded", {utf8Words, {}, binary, 1 << 16}, &RunUtf8},
        {"text-file", "text files by their byte-order mark, read in pieces and whole",
         {textWords, pieceEdges, text, 1 << 20}, &RunTextFile},
        {"ini", "INI text, read through and written again", {iniWords, {}, text, 1 << 16}, &RunIni},
    };
    return targets;
}
