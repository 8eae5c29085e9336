#include "skin/zskinpack.h"

#include "skin/zskinservices.h"
#include "skin/zskintext.h"
#include "unicode/ucsysutils.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

Z_CLASS_IMPL(TSkSkinConvertor, TPersistent)

namespace {

const char* const PackedMagic = "QSzf";
const char* const OptionsName = "OPTIONS.DAT";
const wchar_t* const NotPackedText = L"Loaded data is not packed Quellin file";
const wchar_t* const DamagedText = L"Packed skin data is damaged";

// Deflate cannot expand a byte of input into more than about 1032 bytes of output; an
// unpacked size beyond that for the bytes left cannot be true.
constexpr int64_t MaxInflateRatio = 1040;
// Bytes an entry takes at least: name length, unpacked size and the smallest zlib stream.
constexpr int64_t MinEntrySize = 4 + 4 + 8;

// Reads the packed bytes in order and says when they run out.
class TPackedReader {
public:
    TPackedReader(const uint8_t* Data, int64_t Size) : FData(Data), FSize(Size) {}
    int64_t Left() const { return FSize - FPos; }
    const uint8_t* Here() const { return FData + FPos; }
    bool Skip(int64_t N)
    {
        if (N < 0 || N > Left())
            return false;
        FPos += N;
        return true;
    }
    bool ReadInt32(int32_t& Value)
    {
        if (Left() < 4)
            return false;
        uint32_t v = uint32_t(FData[FPos]) | uint32_t(FData[FPos + 1]) << 8 |
                     uint32_t(FData[FPos + 2]) << 16 | uint32_t(FData[FPos + 3]) << 24;
        Value = static_cast<int32_t>(v);
        FPos += 4;
        return true;
    }

private:
    const uint8_t* FData;
    int64_t FSize;
    int64_t FPos = 0;
};

// One inflater for all the entries of a file: made once and reset between entries, so that
// its state (some kilobytes) is not made and freed again for each.
class TInflater {
public:
    TInflater() { FReady = inflateInit(&FStream) == Z_OK; }
    ~TInflater()
    {
        if (FReady)
            inflateEnd(&FStream);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    // The stream ready for the next entry; null when zlib could not be set up.
    z_stream* Next()
    {
        if (!FReady)
            return nullptr;
        if (FUsed && inflateReset(&FStream) != Z_OK)
            return nullptr;
        FUsed = true;
        return &FStream;
    }

private:
    z_stream FStream{};
    bool FReady = false;
    bool FUsed = false;
};

// Inflates the zlib stream at the reader's position into Out (exactly Out's size), reading up
// to the stream's real end, and moves the reader there. False when the stream is damaged,
// ends early, or yields fewer bytes than asked for. Bytes beyond the asked size are read to
// find the stream's end and dropped.
bool InflateEntry(TInflater& Inflater, TPackedReader& Reader, uint8_t* Out, uint32_t OutSize)
{
    z_stream* stream = Inflater.Next();
    if (!stream)
        return false;
    z_stream& zs = *stream;
    // zlib counts in 32 bits; the file cap keeps Left() far below that.
    zs.next_in = const_cast<Bytef*>(Reader.Here());
    zs.avail_in = static_cast<uInt>(Reader.Left());
    uint8_t spill[4096];
    // zlib refuses a null output even when nothing is asked for.
    zs.next_out = OutSize ? Out : spill;
    zs.avail_out = OutSize;
    // One call nearly always does it all: given the whole output and Z_FINISH, zlib keeps no
    // window of what it wrote. With Z_FINISH it answers Z_BUF_ERROR when it could not end
    // the stream: the output is full and the stream goes on, or the input ran out.
    int ret = inflate(&zs, Z_FINISH);
    while (ret == Z_BUF_ERROR && zs.avail_out == 0) {
        // The asked bytes are in: the rest of the stream goes to a scratch buffer, only to
        // find where the stream ends.
        if (zs.total_out - OutSize > uLong(MaxPackedEntrySize))
            break;
        zs.next_out = spill;
        zs.avail_out = sizeof spill;
        ret = inflate(&zs, Z_NO_FLUSH);
        // Progress with the stream going on: Z_OK, and the loop goes on while the scratch
        // buffer fills. Damaged data, a wrong checksum, or input that ran out before the
        // stream's end stop it (inflate answers Z_BUF_ERROR when it can make no progress).
        if (ret == Z_OK)
            ret = zs.avail_out == 0 ? Z_BUF_ERROR : Z_DATA_ERROR;
    }
    bool ended = ret == Z_STREAM_END;
    uLong total = zs.total_out;
    uInt restIn = zs.avail_in;
    if (!ended || total < OutSize)
        return false;
    return Reader.Skip(Reader.Left() - restIn);
}

// The bytes of one entry, about to be written whole by the inflater: the stream is sized
// without filling it with zeros first.
class TEntryStream : public TMemoryStream {
public:
    explicit TEntryStream(int32_t Size)
    {
        SetCapacity(Size);
        FSize = Size;
    }
};

// Whether FileName upper-cased is Name. Plain ASCII names, nearly all, are compared in place;
// any other is upper-cased by the system, as its code page says.
bool IsUpperCaseOf(const AnsiString& FileName, const AnsiString& Name)
{
    if (FileName.size() != Name.size())
        return false;
    auto ascii = [](const AnsiString& S) {
        return std::all_of(S.begin(), S.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (!ascii(FileName) || !ascii(Name))
        return AnsiUpperCase(FileName) == Name;
    return UpperCaseIs(FileName, Name);
}

bool StartsWithMagic(const uint8_t* Data, int64_t Size)
{
    return Size >= 4 && std::memcmp(Data, PackedMagic, 4) == 0;
}

} // namespace

TSkSkinConvertor::~TSkSkinConvertor()
{
    Clear();
}

void TSkSkinConvertor::Clear()
{
    while (!Files.empty())
        Files.pop_back();
    ImageCount = 0;
    Options.reset();
    PackedData.reset();
}

const TSkImageItem* TSkSkinConvertor::FindImage(const AnsiString& Name) const
{
    int n = std::min<int64_t>(ImageCount, static_cast<int64_t>(Files.size()));
    for (int i = 0; i < n; ++i)
        if (IsUpperCaseOf(Files[i].FileName, Name))
            return &Files[i];
    return nullptr;
}

void TSkSkinConvertor::ExtractPackedData()
{
    if (!PackedData)
        return;
    // Held in memory, the entries are inflated in place; any other stream is read in first.
    TMemoryStream copy;
    const uint8_t* data = nullptr;
    int64_t size = 0;
    bool readable = true;
    try {
        if (auto* mem = dynamic_cast<TCustomMemoryStream*>(PackedData.get())) {
            data = static_cast<const uint8_t*>(mem->Memory());
            size = mem->Size();
        } else {
            size = PackedData->Size();
            if (size < 0 || size > MaxPackedSkinSize) {
                readable = false;
            } else {
                PackedData->SetPosition(0);
                copy.SetSize(size);
                PackedData->ReadBuffer(copy.Memory(), static_cast<int32_t>(size));
                data = static_cast<const uint8_t*>(copy.Memory());
            }
        }
    } catch (const Exception&) {
        readable = false;
    }
    if (readable && !StartsWithMagic(data, size)) {
        Clear();
        ShowEngineError(NotPackedText);
        return;
    }
    bool ok = false;
    if (readable) {
        try {
            ok = Extract(data, size);
        } catch (const std::bad_alloc&) {
            ok = false;
        } catch (const Exception&) {
            ok = false;
        }
    }
    if (!ok) {
        Clear();
        ShowEngineError(DamagedText);
    }
}

bool TSkSkinConvertor::Extract(const uint8_t* Data, int64_t Size)
{
    while (!Files.empty())
        Files.pop_back();
    Options.reset();
    ImageCount = 0;
    if (Size > MaxPackedSkinSize)
        return false;
    TPackedReader reader(Data, Size);
    reader.Skip(4);
    int32_t count;
    if (!reader.ReadInt32(count) || count < 0 || count > reader.Left() / MinEntrySize)
        return false;
    int64_t total = 0;
    TInflater inflater;
    for (int32_t i = 0; i < count; ++i) {
        int32_t nameLength, size;
        if (!reader.ReadInt32(nameLength) || nameLength < 0 || nameLength > MaxPackedNameLength ||
            nameLength > reader.Left())
            return false;
        AnsiString name(reinterpret_cast<const char*>(reader.Here()), size_t(nameLength));
        reader.Skip(nameLength);
        if (!reader.ReadInt32(size) || size < 0 || size > MaxPackedEntrySize ||
            size > reader.Left() * MaxInflateRatio + 64)
            return false;
        total += size;
        if (total > MaxPackedTotalSize)
            return false;
        std::unique_ptr<TMemoryStream> stream = std::make_unique<TEntryStream>(size);
        if (!InflateEntry(inflater, reader, static_cast<uint8_t*>(stream->Memory()), uint32_t(size)))
            return false;
        if (UpperCase(name) == OptionsName) {
            // Of two option texts the last one counts.
            Options = std::move(stream);
        } else {
            TSkImageItem item;
            item.FileName = std::move(name);
            item.IsBitmap = UpperCase(ExtractFileExt(item.FileName)) == ".BMP";
            item.Data = std::move(stream);
            Files.push_back(std::move(item));
        }
    }
    // The lookups search exactly the image entries that were read, whatever the header said
    // about option texts.
    ImageCount = static_cast<int32_t>(Files.size());
    return true;
}

bool ReadWholeFile(const WideString& FileName, int64_t MaxSize, TMemoryStream& Out, bool* Exists)
{
    Out.Clear();
    HANDLE h = FileOpenWide(FileName, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE) {
        // Asked only when the file does not open: one call less on the usual path.
        if (Exists)
            *Exists = FileExistsWide(FileName);
        return false;
    }
    if (Exists)
        *Exists = true;
    bool read = false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h, &size) && size.QuadPart <= MaxSize) {
        try {
            Out.SetSize(size.QuadPart);
            DWORD got = 0;
            read = size.QuadPart == 0 ||
                   (ReadFile(h, Out.Memory(), DWORD(size.QuadPart), &got, nullptr) && got == DWORD(size.QuadPart));
        } catch (const Exception&) {
            read = false;
        }
    }
    CloseHandle(h);
    if (!read)
        Out.Clear();
    return read;
}

void LoadPackedSkinFile(const WideString& FileName, std::unique_ptr<TSkSkinConvertor>& Convertor,
                        bool FreePackedData)
{
    auto packed = std::make_unique<TMemoryStream>();
    bool exists = false;
    bool read = ReadWholeFile(FileName, MaxPackedSkinSize, *packed, &exists);
    if (!exists)
        return;
    if (Convertor)
        Convertor->Clear();
    else
        Convertor = std::make_unique<TSkSkinConvertor>();
    if (!read) {
        // A file we cannot read whole is as good as damaged.
        ShowEngineError(DamagedText);
        return;
    }
    Convertor->PackedData = std::move(packed);
    Convertor->ExtractPackedData();
    if (FreePackedData)
        Convertor->PackedData.reset();
}

std::unique_ptr<TMemIniFile> CreateOptionsIni(const TSkSkinConvertor* Convertor)
{
    auto ini = std::make_unique<TMemIniFile>();
    if (Convertor && Convertor->Options) {
        TStringList lines;
        Convertor->Options->SetPosition(0);
        lines.LoadFromStream(Convertor->Options.get());
        ini->SetStrings(&lines);
    }
    return ini;
}

// ---------------------------------------------------------------------------------------

void ClearIniSections(TStrings* Sections)
{
    if (!Sections)
        return;
    for (int i = 0; i < Sections->Count(); ++i) {
        TObject* lines = Sections->Objects(i);
        Sections->SetObjects(i, nullptr);
        delete lines;
    }
    Sections->Clear();
}

void ParseIniText(const TStrings* Lines, TStrings* Sections)
{
    ClearIniSections(Sections);
    if (!Lines)
        return;
    TStringList* current = nullptr;
    for (int i = 0; i < Lines->Count(); ++i) {
        AnsiString s = Lines->Strings(i);
        if (s.empty() || s[0] == ';')
            continue;
        if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
            auto section = std::make_unique<TStringList>();
            current = section.get();
            Sections->AddObject(s.substr(1, s.size() - 2), section.release());
        } else if (current) {
            current->Add(s);
        }
    }
}

bool IniLineValue(const TStrings* Lines, const AnsiString& Key, AnsiString& Value)
{
    if (!Lines)
        return false;
    int k = Lines->IndexOfName(Key);
    if (k < 0)
        return false;
    AnsiString line = Lines->Strings(k);
    Value = line.substr(std::min(line.size(), Key.size() + 1));
    return true;
}

AnsiString ReadIniTextString(const TStrings* Sections, const AnsiString& Section,
                             const AnsiString& Key, const AnsiString& Default)
{
    if (!Sections)
        return Default;
    int s = Sections->IndexOf(Section);
    AnsiString value;
    if (s < 0 || !IniLineValue(dynamic_cast<const TStrings*>(Sections->Objects(s)), Key, value))
        return Default;
    return value;
}

bool IniTextToInt(AnsiString Text, int& Value)
{
    if (Text.size() >= 2 && Text[0] == '0' && (Text[1] == 'x' || Text[1] == 'X'))
        Text = '$' + Text.substr(2);
    return TryStrToInt(Text, Value);
}

int ReadIniTextInt(const TStrings* Sections, const AnsiString& Section, const AnsiString& Key,
                   int Default)
{
    int v;
    return IniTextToInt(ReadIniTextString(Sections, Section, Key, AnsiString()), v) ? v : Default;
}
