#include "unicode/ucclasses.h"

#include "classlib/strlistalgo.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <climits>
#include <cstring>

Z_CLASS_IMPL(TAnsiStringsForWideStringsAdapter, TAnsiStrings)
Z_CLASS_IMPL(TUcStrings, TWideStrings)
Z_CLASS_IMPL(TUcStringList, TUcStrings)
Z_CLASS_IMPL(TUcFileStream, THandleStream)
Z_CLASS_IMPL(TUcMemoryStream, TMemoryStream)
Z_CLASS_IMPL(TWideComponentHelper, TComponent)

namespace {
// Bytes from the stream's position to its end, as one block.
int32_t BytesToEnd(TStream* Stream)
{
    int64_t size = Stream->Size() - Stream->Position();
    if (size <= 0)
        return 0;
    if (size > INT32_MAX)
        throw EOutOfMemory("Out of memory");
    return static_cast<int32_t>(size);
}

AnsiString ReadRest(TStream* Stream)
{
    AnsiString bytes(static_cast<size_t>(BytesToEnd(Stream)), '\0');
    if (!bytes.empty())
        Stream->ReadBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}
} // namespace

// ---------------------------------------------------------------------------------------
// Byte-order marks

TUcTextCharSet DetectTextCharSet(TStream* Stream)
{
    const int64_t left = Stream->Size() - Stream->Position();
    if (left < 2)
        return csAnsiText;
    uint8_t mark[3];
    Stream->ReadBuffer(mark, 2);
    const uint16_t word = static_cast<uint16_t>(mark[0] | (mark[1] << 8));
    if (word == 0xFEFF)
        return csUnicodeText;
    if (word == 0xFFFE)
        return csUnicodeSwappedText;
    Stream->Seek(-2, soFromCurrent);
    if (left >= 3) {
        Stream->ReadBuffer(mark, 3);
        if (mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF)
            return csUtf8Text;
        Stream->Seek(-3, soFromCurrent);
    }
    return csAnsiText;
}

// ---------------------------------------------------------------------------------------
// TAnsiStringsForWideStringsAdapter

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings,
                                                                     UINT AViewCodePage)
    : FWideStrings(AWideStrings), FViewCodePage(AViewCodePage)
{
}

AnsiString TAnsiStringsForWideStringsAdapter::Get(int Index) const
{
    return FromWide(FWideStrings->Get(Index));
}

int TAnsiStringsForWideStringsAdapter::GetCount() const
{
    return FWideStrings->GetCount();
}

TObject* TAnsiStringsForWideStringsAdapter::GetObject(int Index) const
{
    return FWideStrings->GetObject(Index);
}

void TAnsiStringsForWideStringsAdapter::Put(int Index, const AnsiString& S)
{
    FWideStrings->Put(Index, ToWide(S));
}

void TAnsiStringsForWideStringsAdapter::PutObject(int Index, TObject* AObject)
{
    FWideStrings->PutObject(Index, AObject);
}

int TAnsiStringsForWideStringsAdapter::GetCapacity() const
{
    return FWideStrings->GetCapacity();
}

void TAnsiStringsForWideStringsAdapter::SetCapacity(int NewCapacity)
{
    FWideStrings->SetCapacity(NewCapacity);
}

AnsiString TAnsiStringsForWideStringsAdapter::GetTextStr() const
{
    return FromWide(FWideStrings->GetTextStr());
}

void TAnsiStringsForWideStringsAdapter::SetTextStr(const AnsiString& Value)
{
    FWideStrings->SetTextStr(ToWide(Value));
}

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool Updating)
{
    if (Updating)
        FWideStrings->BeginUpdate();
    else
        FWideStrings->EndUpdate();
}

int TAnsiStringsForWideStringsAdapter::Add(const AnsiString& S)
{
    return FWideStrings->Add(ToWide(S));
}

int TAnsiStringsForWideStringsAdapter::AddObject(const AnsiString& S, TObject* AObject)
{
    return FWideStrings->AddObject(ToWide(S), AObject);
}

void TAnsiStringsForWideStringsAdapter::Clear()
{
    FWideStrings->Clear();
}

void TAnsiStringsForWideStringsAdapter::Delete(int Index)
{
    FWideStrings->Delete(Index);
}

void TAnsiStringsForWideStringsAdapter::Exchange(int Index1, int Index2)
{
    FWideStrings->Exchange(Index1, Index2);
}

int TAnsiStringsForWideStringsAdapter::IndexOf(const AnsiString& S) const
{
    return FWideStrings->IndexOf(ToWide(S));
}

int TAnsiStringsForWideStringsAdapter::IndexOfName(const AnsiString& Name) const
{
    return FWideStrings->IndexOfName(ToWide(Name));
}

int TAnsiStringsForWideStringsAdapter::IndexOfObject(TObject* AObject) const
{
    return FWideStrings->IndexOfObject(AObject);
}

void TAnsiStringsForWideStringsAdapter::Insert(int Index, const AnsiString& S)
{
    FWideStrings->Insert(Index, ToWide(S));
}

void TAnsiStringsForWideStringsAdapter::InsertObject(int Index, const AnsiString& S, TObject* AObject)
{
    FWideStrings->InsertObject(Index, ToWide(S), AObject);
}

void TAnsiStringsForWideStringsAdapter::Move(int CurIndex, int NewIndex)
{
    FWideStrings->Move(CurIndex, NewIndex);
}

void TAnsiStringsForWideStringsAdapter::LoadFromStream(TStream* Stream)
{
    TWideStringsUpdate update(FWideStrings);
    FWideStrings->SetTextStr(ToWide(ReadRest(Stream)));
}

void TAnsiStringsForWideStringsAdapter::SaveToStream(TStream* Stream)
{
    AnsiString text = GetTextStr();
    if (text.size() > static_cast<size_t>(INT32_MAX))
        throw EWriteError("Stream write error");
    Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

// ---------------------------------------------------------------------------------------
// TUcStrings

TUcStrings::TUcStrings() : FAnsiStrings(std::make_unique<TAnsiStringsForWideStringsAdapter>(this)) {}

TUcStrings::~TUcStrings() = default;

void TUcStrings::LoadFromFile(const WideString& FileName)
{
    OutOfMemoryAsError([&] {
        TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
        const TUcTextCharSet charSet = DetectTextCharSet(&stream);
        stream.SetPosition(0);
        LoadFromStream(&stream);
        // Only a file that loaded names the character set: a failed load leaves the list as it was.
        FLoadedFileCharSet = charSet;
    });
}

void TUcStrings::LoadFromStream(TStream* Stream)
{
    LoadFromStreamDetect(Stream, true);
}

void TUcStrings::SaveToFile(const WideString& FileName)
{
    TUcFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TUcStrings::SaveToStream(TStream* Stream)
{
    SaveToStreamWithMark(Stream, true);
}

void TUcStrings::LoadFromStreamDetect(TStream* Stream, bool DetectCharSet)
{
    TWideStringsUpdate update(this);
    OutOfMemoryAsError([&] {
        const TUcTextCharSet charSet = DetectCharSet ? DetectTextCharSet(Stream) : csUnicodeText;
        WideString text;
        if (charSet == csUnicodeText || charSet == csUnicodeSwappedText) {
            const int32_t size = BytesToEnd(Stream);
            // An odd last byte is no character and is left out.
            if (size >= 2) {
                text.resize(static_cast<size_t>(size / 2));
                Stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size() * sizeof(WideChar)));
                if (charSet == csUnicodeSwappedText)
                    SwapWideByteOrder(text.data());
            }
        } else {
            const AnsiString bytes = ReadRest(Stream);
            text = charSet == csUtf8Text ? Utf8ToWide(bytes.data(), bytes.size()) : AnsiToWide(bytes);
        }
        SetTextStr(text);
    });
}

void TUcStrings::SaveToStreamWithMark(TStream* Stream, bool WithBOM)
{
    if (WithBOM) {
        static const uint8_t mark[2] = {0xFF, 0xFE};
        Stream->WriteBuffer(mark, 2);
    }
    const WideString text = GetTextStr();
    if (text.size() > static_cast<size_t>(INT32_MAX) / sizeof(WideChar))
        throw EWriteError("Stream write error");
    Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size() * sizeof(WideChar)));
}

void TUcStrings::DefineProperties(TFiler* Filer)
{
    inherited::DefineProperties(Filer);
    // Older form data; read, never written.
    Filer->DefineProperty("WideStrings", MakeMethod<&TUcStrings::ReadData>(this), nullptr, false);
    Filer->DefineProperty("WideStringsW", MakeMethod<&TUcStrings::ReadOldWideStringsW>(this), nullptr,
                          false);
    Filer->DefineProperty("WideStrings_UTF7", MakeMethod<&TUcStrings::ReadOldWideStringsUtf7>(this),
                          nullptr, false);
}

void TUcStrings::ReadOldWideStringsW(TReader* Reader)
{
    // Newer data of the same list, read before, wins.
    const bool take = GetCount() == 0;
    TWideStringsUpdate update(this);
    Reader->ReadListBegin();
    if (take)
        Clear();
    while (!Reader->EndOfList()) {
        AnsiString utf8 = Reader->ReadString();
        if (take)
            Add(Utf8ToWide(utf8));
    }
    Reader->ReadListEnd();
}

void TUcStrings::ReadOldWideStringsUtf7(TReader* Reader)
{
    Reader->ReadListBegin();
    while (!Reader->EndOfList())
        Reader->ReadString();
    Reader->ReadListEnd();
}

// ---------------------------------------------------------------------------------------
// TUcStringList

TUcStringList::~TUcStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TUcStringList::Changed()
{
    if (!FUpdating && OnChange)
        OnChange(this);
}

void TUcStringList::Changing()
{
    if (!FUpdating && OnChanging)
        OnChanging(this);
}

void TUcStringList::SetUpdateState(bool Updating)
{
    if (Updating) {
        Changing();
        FUpdating = true;
    } else {
        FUpdating = false;
        Changed();
    }
}

WideString TUcStringList::Get(int Index) const
{
    FList.CheckIndex(Index);
    return FList[Index].S;
}

TObject* TUcStringList::GetObject(int Index) const
{
    FList.CheckIndex(Index);
    return FList[Index].Obj;
}

void TUcStringList::Put(int Index, const WideString& S)
{
    if (FSorted)
        Error(zstrlist::SSortedListError, 0);
    FList.CheckIndex(Index);
    Changing();
    FList[Index].S = S;
    Changed();
}

void TUcStringList::PutObject(int Index, TObject* AObject)
{
    FList.CheckIndex(Index);
    Changing();
    FList[Index].Obj = AObject;
    Changed();
}

void TUcStringList::SetCapacity(int NewCapacity)
{
    FList.SetCapacity(NewCapacity);
}

int TUcStringList::CompareStrings(const WideString& S1, const WideString& S2) const
{
    return FCaseSensitive ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

bool TUcStringList::Find(const WideString& S, int& Index) const
{
    return zstrlist::SortedFind(
        FList.Count(), [&](int I) { return CompareStrings(FList[I].S, S); }, FDuplicates == dupAccept, Index);
}

int TUcStringList::AddObject(const WideString& S, TObject* AObject)
{
    int index;
    if (zstrlist::AddIndex(*this, S, index))
        InsertItem(index, S, AObject);
    return index;
}

void TUcStringList::InsertItem(int Index, WideString S, TObject* AObject)
{
    Changing();
    FList.Insert(Index, std::move(S), AObject);
    Changed();
}

void TUcStringList::Insert(int Index, const WideString& S)
{
    InsertObject(Index, S, nullptr);
}

void TUcStringList::InsertObject(int Index, const WideString& S, TObject* AObject)
{
    if (FSorted)
        Error(zstrlist::SSortedListError, 0);
    if (Index < 0 || Index > FList.Count())
        Error(zstrlist::SListIndexError, Index);
    InsertItem(Index, S, AObject);
}

void TUcStringList::Clear()
{
    if (FList.Count() == 0)
        return;
    Changing();
    FList.Clear();
    Changed();
}

void TUcStringList::Delete(int Index)
{
    FList.CheckIndex(Index);
    Changing();
    FList.Delete(Index);
    Changed();
}

void TUcStringList::Exchange(int Index1, int Index2)
{
    FList.CheckIndex(Index1);
    FList.CheckIndex(Index2);
    Changing();
    FList.Exchange(Index1, Index2);
    Changed();
}

int TUcStringList::IndexOf(const WideString& S) const
{
    if (!FSorted) {
        for (int i = 0, n = FList.Count(); i < n; ++i)
            if (CompareStrings(FList[i].S, S) == 0)
                return i;
        return -1;
    }
    int index;
    return Find(S, index) ? index : -1;
}

int TUcStringList::IndexOfName(const WideString& Name) const
{
    return FSorted ? zstrlist::SortedIndexOfName(*this, Name) : inherited::IndexOfName(Name);
}

void TUcStringList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Checked here, because the inherited move takes the item out before it puts it back.
    FList.CheckIndex(CurIndex);
    if (FSorted)
        Error(zstrlist::SSortedListError, 0);
    FList.CheckIndex(NewIndex);
    inherited::Move(CurIndex, NewIndex);
}

void TUcStringList::SetTextStr(const WideString& Value)
{
    TWideStringsUpdate update(this);
    FList.Refill([&] {
        if (FSorted) {
            inherited::SetTextStr(Value);   // every line finds its place through AddObject
            return;
        }
        SetCapacity(CountWideTextLines(Value));
        SplitWideText(Value, [this](const WideChar* b, const WideChar* e) {
            InsertItem(FList.Count(), WideString(b, e), nullptr);
        });
    });
}

namespace {
// Reads the text from the stream's position to its end in pieces of a few hundred kilobytes
// and hands every line to Line, by the line rule of SetTextStr. A piece (but the last) ends
// just after a line feed, which is a character boundary in UTF-8, UTF-16 and the ANSI code
// pages alike and always the end of a break but for a line separator that may follow it;
// in UTF-8, not after one that a bad lead byte just before it would make the decoder drop.
class TTextPieceReader {
public:
    static constexpr int32_t PieceBytes = 256 * 1024;

    // After the lines of each piece, Progress learns the bytes read so far and in all.
    template <class F, class P> static void Run(TStream* Stream, TUcTextCharSet CharSet, F&& Line, P&& Progress)
    {
        TTextPieceReader r(Stream);
        const int32_t total = r.FLeft;
        auto emit = [&](const WideChar* b, const WideChar* e, bool last) {
            if (r.FSkipSeparator && b < e && *b == 0x2028)
                ++b;
            SplitWideText(b, e, Line);
            r.FSkipSeparator = !last;
            Progress(total - r.FLeft, total);
        };
        if (CharSet == csUnicodeText || CharSet == csUnicodeSwappedText)
            r.RunWide(CharSet == csUnicodeSwappedText, emit);
        else
            r.RunBytes(CharSet == csUtf8Text, emit);
    }

private:
    explicit TTextPieceReader(TStream* Stream) : FStream(Stream), FLeft(BytesToEnd(Stream)) {}

    // Appends up to a piece of bytes to Buf behind its first Have bytes.
    int32_t ReadMore(std::vector<char>& Buf, size_t Have)
    {
        const int32_t want = std::min(FLeft, PieceBytes);
        if (Buf.size() < Have + static_cast<size_t>(want))
            Buf.resize(std::max(Have + static_cast<size_t>(want), Buf.size() * 2));
        if (want > 0)
            FStream->ReadBuffer(Buf.data() + Have, want);
        FLeft -= want;
        return want;
    }

    // Whether the system's UTF-8 decoder, given the bytes up to End, reads them as it does
    // inside the longer text. Wine's takes a lead byte with fewer bytes after it than its
    // sequence wants for a cut-off character at the end of the input and drops those bytes,
    // line feeds and all; inside the text it is one bad character and the line feeds stay.
    static bool Utf8DecodesAlike(const char* Buf, size_t End)
    {
        for (size_t p = End >= 3 ? End - 3 : 0; p < End; ++p) {
            const uint8_t b = static_cast<uint8_t>(Buf[p]);
            const size_t wants = b >= 0xF8 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (p + wants > End)
                return false;
        }
        return true;
    }

    template <class Emit> void RunBytes(bool Utf8, Emit& emit)
    {
        std::vector<char> buf;
        std::vector<WideChar> wide;
        size_t have = 0;
        for (;;) {
            // What is already in the buffer holds no line feed: only the new bytes are searched.
            const size_t searched = have;
            have += static_cast<size_t>(ReadMore(buf, have));
            const bool last = FLeft == 0;
            size_t cut = have;
            if (!last) {
                cut = 0;
                for (size_t i = have; i > searched; --i)
                    if (buf[i - 1] == '\n' && (!Utf8 || Utf8DecodesAlike(buf.data(), i))) {
                        cut = i;
                        break;
                    }
                if (cut == 0)
                    continue;   // one long line so far: read on
            }
            if (Utf8) {
                if (wide.size() < cut)
                    wide.resize(cut);
                int n = cut ? MultiByteToWideChar(CP_UTF8, 0, buf.data(), static_cast<int>(cut), wide.data(),
                                                  static_cast<int>(cut))
                            : 0;
                if (n == 0 && cut > 0) {
                    // A converter that wants more room than one unit a byte: let the library measure.
                    const WideString w = Utf8ToWide(buf.data(), cut);
                    wide.assign(w.begin(), w.end());
                    n = static_cast<int>(w.size());
                }
                emit(wide.data(), wide.data() + n, last);
            } else {
                const WideString w = AnsiToWide(AnsiString(buf.data(), cut));
                emit(w.data(), w.data() + w.size(), last);
            }
            if (last)
                return;
            std::memmove(buf.data(), buf.data() + cut, have - cut);
            have -= cut;
        }
    }

    template <class Emit> void RunWide(bool Swapped, Emit& emit)
    {
        std::vector<char> buf;
        size_t have = 0;
        bool swapping = Swapped;
        // Characters at the front of the buffer already swapped in an earlier round.
        size_t swappedChars = 0;
        for (;;) {
            const size_t searched = have / 2;
            have += static_cast<size_t>(ReadMore(buf, have));
            const bool last = FLeft == 0;
            const size_t chars = have / 2;   // an odd last byte is no character
            // Room for a terminator behind the characters, for the swapping routine.
            if (buf.size() < chars * 2 + 2)
                buf.resize(chars * 2 + 2);
            WideChar* w = reinterpret_cast<WideChar*>(buf.data());
            if (swapping && swappedChars < chars) {
                // The swap stops for good at the first zero character.
                const WideChar keep = w[chars];
                w[chars] = 0;
                SwapWideByteOrder(w + swappedChars);
                w[chars] = keep;
                if (std::find(w + swappedChars, w + chars, WideChar(0)) != w + chars)
                    swapping = false;
                swappedChars = chars;
            }
            size_t cut = chars;
            if (!last) {
                cut = 0;
                for (size_t i = chars; i > searched; --i)
                    if (w[i - 1] == L'\n') {
                        cut = i;
                        break;
                    }
                if (cut == 0)
                    continue;
            }
            emit(w, w + cut, last);
            if (last)
                return;
            std::memmove(buf.data(), buf.data() + cut * 2, have - cut * 2);
            have -= cut * 2;
            swappedChars = swappedChars > cut ? swappedChars - cut : 0;
        }
    }

    TStream* FStream;
    int32_t FLeft;
    bool FSkipSeparator = false;
};
} // namespace

void TUcStringList::LoadFromStreamDetect(TStream* Stream, bool DetectCharSet)
{
    if (FSorted) {
        inherited::LoadFromStreamDetect(Stream, DetectCharSet);   // every line placed by AddObject
        return;
    }
    TWideStringsUpdate update(this);
    OutOfMemoryAsError([&] {
        const TUcTextCharSet charSet = DetectCharSet ? DetectTextCharSet(Stream) : csUnicodeText;
        // The lines go straight into a new item array, sized from the lines of the first piece,
        // that then takes the place of the old one: no second array, no second pass.
        using Item = zstrlist::TStringItems<WideString>::Item;
        std::unique_ptr<Item[]> items;
        int count = 0;
        int capacity = 0;
        auto reserve = [&](int64_t Wanted) {
            const int n = static_cast<int>(std::min<int64_t>(Wanted, INT_MAX / static_cast<int>(sizeof(Item))));
            if (n <= capacity)
                return;
            auto list = std::make_unique<Item[]>(static_cast<size_t>(n));
            std::move(items.get(), items.get() + count, list.get());
            items = std::move(list);
            capacity = n;
        };
        bool estimated = false;
        TTextPieceReader::Run(
            Stream, charSet,
            [&](const WideChar* b, const WideChar* e) {
                if (count == capacity) {
                    reserve(static_cast<int64_t>(capacity) + capacity / 2 + 16);
                    if (count == capacity)
                        throw EOutOfMemory("Out of memory");
                }
                items[count++].S.assign(b, e);
            },
            [&](int32_t Done, int32_t Total) {
                if (!estimated && Done > 0 && Done < Total)
                    reserve(static_cast<int64_t>(count) * Total / Done * 9 / 8 + 16);
                estimated = true;
            });
        // Only now, with everything read, do the old items go.
        Clear();
        Changing();
        FList.Adopt(std::move(items), count, capacity);
        Changed();
    });
}

void TUcStringList::QuickSort(int L, int R, TUcStringListSortCompare Compare)
{
    auto cmp = [&](int a, int b) { return Compare(this, a, b); };
    auto swap = [&](int a, int b) { FList.Exchange(a, b); };
    // The left part by recursion, then the right one in the loop.
    int I, J;
    do {
        zstrlist::QuickSortPartition(L, R, cmp, swap, I, J);
        if (L < J)
            QuickSort(L, J, Compare);
        L = I;
    } while (I < R);
}

namespace {
int CompareItems(TUcStringList* List, int Index1, int Index2)
{
    return List->CompareStrings(List->Get(Index1), List->Get(Index2));
}
} // namespace

void TUcStringList::Sort()
{
    CustomSort(&CompareItems);
}

void TUcStringList::CustomSort(TUcStringListSortCompare Compare)
{
    if (!FSorted && FList.Count() > 1 && Compare) {
        Changing();
        QuickSort(0, FList.Count() - 1, Compare);
        Changed();
    }
}

void TUcStringList::SetSorted(bool Value)
{
    if (FSorted != Value) {
        if (Value)
            Sort();
        FSorted = Value;
    }
}

void TUcStringList::SetCaseSensitive(bool Value)
{
    if (FCaseSensitive != Value) {
        FCaseSensitive = Value;
        // A sorted list must be in the new order, or Find would miss.
        if (FSorted && FList.Count() > 1) {
            Changing();
            QuickSort(0, FList.Count() - 1, &CompareItems);
            Changed();
        }
    }
}

// ---------------------------------------------------------------------------------------
// Streams by wide name

namespace {
template <class E> [[noreturn]] void RaiseFileError(const wchar_t* What, const WideString& FileName)
{
    const DWORD code = GetLastError();
    WideString msg = What;
    msg += L'"';
    msg += ExpandFileNameWide(FileName);
    msg += L"\". ";
    msg += SysErrorMessageWide(code);
    throw E(WideToAnsi(msg));
}
} // namespace

TUcFileStream::TUcFileStream(const WideString& FileName, uint32_t Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(FileName)
{
    if (Mode == fmCreate) {
        FHandle = FileCreateWide(FileName);
        if (FHandle == INVALID_HANDLE_VALUE)
            RaiseFileError<EFCreateError>(L"Cannot create file ", FileName);
    } else {
        FHandle = FileOpenWide(FileName, Mode);
        if (FHandle == INVALID_HANDLE_VALUE)
            RaiseFileError<EFOpenError>(L"Cannot open file ", FileName);
    }
}

TUcFileStream::~TUcFileStream()
{
    if (FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr)
        CloseHandle(FHandle);
}

void TUcMemoryStream::LoadFromFile(const WideString& FileName)
{
    TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TUcMemoryStream::SaveToFile(const WideString& FileName)
{
    TUcFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

// ---------------------------------------------------------------------------------------
// Wide properties over ANSI ones

bool LegacyWideCompanions = false;

WideString WideGetCachedValue(WideString& Cache, const AnsiString& AnsiValue)
{
    if (WideToAnsi(Cache) != AnsiValue)
        Cache = AnsiToWide(AnsiValue);
    return Cache;
}

void WideSetCachedValue(const WideString& NewValue, WideString& Cache, const AnsiString& AnsiValue,
                        TAnsiPropSetter AnsiSetter, TObject* Target)
{
    if (NewValue == WideGetCachedValue(Cache, AnsiValue))
        return;
    const AnsiString newAnsi = WideToAnsi(NewValue);
    // Two wide texts with one ANSI form: the class would see no change and keep showing the
    // old text, so it is shown an empty one first.
    if (AnsiToWide(newAnsi) != NewValue && newAnsi == AnsiValue)
        AnsiSetter(Target, AnsiString());
    Cache = NewValue;
    AnsiSetter(Target, newAnsi);
}

void DefineWideProperties(TFiler* Filer, TPersistent* Instance)
{
    for (const TPropInfo* prop : Instance->ClassInfo().AllProps()) {
        if (prop->Kind == tkWString && prop->SetWStr) {
            TUcWideStringPropertyFiler filer(Instance, prop);
            filer.DefineProperties(Filer);
        } else if (prop->Kind == tkWChar && prop->GetOrd && prop->SetOrd) {
            TUcWideCharPropertyFiler filer(Instance, prop);
            filer.DefineProperties(Filer);
        }
    }
}

void TUcWideStringPropertyFiler::DefineProperties(TFiler* Filer)
{
    const AnsiString name = FPropInfo->Name;
    Filer->DefineProperty(name + "W", MakeMethod<&TUcWideStringPropertyFiler::ReadDataUTF8>(this),
                          nullptr, false);
    Filer->DefineProperty(name + "_UTF7", MakeMethod<&TUcWideStringPropertyFiler::ReadDataUTF7>(this),
                          nullptr, false);
}

namespace {
bool CompanionsHonoured(TPersistent* Instance)
{
    if (!LegacyWideCompanions)
        return false;
    auto* component = dynamic_cast<TComponent*>(Instance);
    return !(component && component->IsDesigning());
}
} // namespace

void TUcWideStringPropertyFiler::ReadDataUTF8(TReader* Reader)
{
    const AnsiString value = Reader->ReadString();
    if (CompanionsHonoured(FInstance))
        FPropInfo->SetWStr(FInstance, Utf8ToWide(value));
}

void TUcWideStringPropertyFiler::ReadDataUTF7(TReader* Reader)
{
    const AnsiString value = Reader->ReadString();
    if (CompanionsHonoured(FInstance))
        FPropInfo->SetWStr(FInstance, Utf7ToWide(value));
}

void TUcWideCharPropertyFiler::DefineProperties(TFiler* Filer)
{
    bool hasData = false;
    if (dynamic_cast<TWriter*>(Filer)) {
        const int64_t value = FPropInfo->GetOrd(FInstance);
        TPersistent* ancestor = Filer->Ancestor();
        // An ancestor counts only when it has this very property.
        if (ancestor && ancestor->ClassInfo().FindProp(FPropInfo->Name) == FPropInfo)
            hasData = value != FPropInfo->GetOrd(ancestor);
        else
            hasData = !FPropInfo->HasDefault || value != FPropInfo->Default;
    }
    const AnsiString name = FPropInfo->Name;
    Filer->DefineProperty(name + "W", MakeMethod<&TUcWideCharPropertyFiler::ReadData_W>(this),
                          MakeMethod<&TUcWideCharPropertyFiler::WriteData_W>(this), hasData);
    Filer->DefineProperty(name + "_UTF7", MakeMethod<&TUcWideCharPropertyFiler::ReadData_UTF7>(this),
                          nullptr, false);
}

void TUcWideCharPropertyFiler::ReadData_W(TReader* Reader)
{
    const WideString value = Reader->ReadWideString();
    if (value.size() > 1)
        throw EReadError("Invalid property value");
    FPropInfo->SetOrd(FInstance, value.empty() ? 0 : static_cast<uint16_t>(value[0]));
}

void TUcWideCharPropertyFiler::ReadData_UTF7(TReader* Reader)
{
    const WideString value = Utf7ToWide(Reader->ReadString());
    FPropInfo->SetOrd(FInstance, value.empty() ? 0 : static_cast<uint16_t>(value[0]));
}

void TUcWideCharPropertyFiler::WriteData_W(TWriter* Writer)
{
    Writer->WriteWideString(WideString(1, static_cast<WideChar>(FPropInfo->GetOrd(FInstance))));
}

// ---------------------------------------------------------------------------------------
// Store objects

namespace {
uintptr_t Key(const TComponent* C)
{
    return reinterpret_cast<uintptr_t>(C);
}
} // namespace

TWideComponentHelperList::~TWideComponentHelperList()
{
    // Each store object leaves the list as it goes.
    while (!FItems.empty()) {
        TWideComponentHelper* h = FItems.back();
        delete h;
    }
}

bool TWideComponentHelperList::FindIndex(const TComponent* Component, int& Index) const
{
    auto it = std::lower_bound(FItems.begin(), FItems.end(), Key(Component),
                               [](const TWideComponentHelper* h, uintptr_t k) { return Key(h->Component()) < k; });
    Index = static_cast<int>(it - FItems.begin());
    return it != FItems.end() && (*it)->Component() == Component;
}

TWideComponentHelper::TWideComponentHelper(TComponent* AOwner) : TComponent(AOwner)
{
    throw EUcInternalError("Internal Error: TWideComponentHelper.Create should never be encountered.");
}

TWideComponentHelper::TWideComponentHelper(TWideComponentHelperList* List, TComponent* AComponent)
    : TComponent(nullptr), FComponent(AComponent), FList(List)
{
    if (!List || !AComponent)
        throw EUcInternalError("Internal Error: a store object needs its list and its component.");
    int index;
    List->FindIndex(AComponent, index);
    List->FItems.insert(List->FItems.begin() + index, this);
    AComponent->FreeNotification(this);
}

TWideComponentHelper::~TWideComponentHelper()
{
    Unlist();
}

void TWideComponentHelper::Unlist()
{
    if (!FList)
        return;
    auto& items = FList->FItems;
    int index;
    FList->FindIndex(FComponent, index);
    // Several entries may share a component only by mistake; take this one.
    auto it = std::find(items.begin() + index, items.end(), this);
    if (it == items.end())
        it = std::find(items.begin(), items.end(), this);
    if (it != items.end())
        items.erase(it);
    FList = nullptr;
}

void TWideComponentHelper::Notification(TComponent* AComponent, TOperation Operation)
{
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FComponent && FComponent) {
        Unlist();
        FComponent = nullptr;
        delete this;
    }
}

TWideComponentHelper* FindWideComponentHelper(const TWideComponentHelperList* List,
                                              const TComponent* Component)
{
    int index;
    if (!List->FindIndex(Component, index))
        return nullptr;
    TWideComponentHelper* helper = List->Items(index);
    ZAssert(helper->Component() == Component, "Internal Error: FindWideComponentHelperIndex failed.");
    return helper;
}
