// The abstract list of UTF-16 strings: the ANSI string list's contract for wide items, its
// text form and its form data.
#pragma once

#include "classlib/classes.h"
#include "unicode/ucsystem.h"

class TWideStrings;

// Told when it is attached to a wide list and when it is taken off (or the list goes).
class IWideStringsAdapter {
public:
    virtual ~IWideStringsAdapter() = default;
    virtual void ReferenceStrings(TWideStrings* S) = 0;
    virtual void ReleaseStrings() = 0;
};

// Which of the three characters has been read or set.
enum TWideStringsDefined : uint8_t {
    sdDelimiter = 1u << 0,
    sdQuoteChar = 1u << 1,
    sdNameValueSeparator = 1u << 2,
};

class TWideStrings : public TPersistent {
    Z_CLASS(TWideStrings, TPersistent)
public:
    TWideStrings() = default;
    ~TWideStrings() override;
    TWideStrings(const TWideStrings&) = delete;
    TWideStrings& operator=(const TWideStrings&) = delete;

    // Virtual operations, in slot order.
    void AssignTo(TPersistent* Dest) override;
    void DefineProperties(TFiler* Filer) override;
    void Assign(TPersistent* Source) override;
    virtual WideString Get(int Index) const = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const;
    virtual WideString GetTextStr() const;
    virtual void Put(int Index, const WideString& S);
    virtual void PutObject(int Index, TObject* AObject);
    virtual void SetCapacity(int NewCapacity);
    virtual void SetTextStr(const WideString& Value);
    virtual void SetUpdateState(bool Updating);
    virtual int CompareStrings(const WideString& S1, const WideString& S2) const;
    virtual int Add(const WideString& S);
    virtual int AddObject(const WideString& S, TObject* AObject);
    virtual void AddStrings(const TStrings* Strings);
    virtual void AddStrings(const TWideStrings* Strings);
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2);
    // A new terminated buffer of GetTextStr; the caller frees it with WideBufFree.
    virtual WideChar* GetText() const;
    virtual int IndexOf(const WideString& S) const;
    virtual int IndexOfName(const WideString& Name) const;
    virtual int IndexOfObject(TObject* AObject) const;
    virtual void Insert(int Index, const WideString& S) = 0;
    virtual void InsertObject(int Index, const WideString& S, TObject* AObject);
    // The plain list reads and writes bare UTF-16 little-endian text; the Unicode lists
    // detect and write a byte-order mark.
    virtual void LoadFromFile(const WideString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void Move(int CurIndex, int NewIndex);
    virtual void SaveToFile(const WideString& FileName);
    virtual void SaveToStream(TStream* Stream);
    virtual void SetText(const WideChar* Text);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    void Append(const WideString& S) { Add(S); }
    // Same count and the same strings, character for character.
    bool Equals(const TWideStrings* Strings) const;

    // Property-style access
    int Count() const { return GetCount(); }
    int Capacity() const { return GetCapacity(); }
    WideString Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const WideString& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
    WideString Names(int Index) const;
    WideString ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const WideString& Value);
    WideString Values(const WideString& Name) const;
    void SetValues(const WideString& Name, const WideString& Value);   // empty value deletes
    WideString Text() const { return GetTextStr(); }
    void SetText(const WideString& Value) { SetTextStr(Value); }
    WideString CommaText() const;
    void SetCommaText(const WideString& Value);
    WideString DelimitedText() const;
    void SetDelimitedText(const WideString& Value);

    // Each character reads its default on first use and is then defined.
    WideChar Delimiter() const;
    void SetDelimiter(WideChar Value);
    WideChar QuoteChar() const;
    void SetQuoteChar(WideChar Value);
    WideChar NameValueSeparator() const;
    void SetNameValueSeparator(WideChar Value);
    uint8_t Defined() const { return FDefined; }

    IWideStringsAdapter* StringsAdapter() const { return FAdapter; }
    void SetStringsAdapter(IWideStringsAdapter* Value);

protected:
    // EStringListError with Format(Msg, Data).
    [[noreturn]] void Error(const char* Msg, int Data) const;
    // "Strings" of form data, shared with the older properties the Unicode lists still read.
    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);

private:
    WideChar DefinedChar(uint8_t Flag, WideChar& Field, WideChar Default) const;
    void DefineChar(uint8_t Flag, WideChar& Field, WideChar Value);
    mutable uint8_t FDefined = 0;
    mutable WideChar FDelimiter = L',';
    mutable WideChar FQuoteChar = L'"';
    mutable WideChar FNameValueSeparator = L'=';
    int32_t FUpdateCount = 0;
    IWideStringsAdapter* FAdapter = nullptr;
};

// The first CR, LF or U+2028 in [P, End), or End.
const WideChar* FindLineBreak(const WideChar* P, const WideChar* End);

// The line rule of SetTextStr: a line ends at the first CR, LF or U+2028; after it one CR,
// then one LF, then one U+2028 are skipped; a final break adds no empty line. Line is called
// with the bounds of each line; the answer is the number of lines.
template <class F> int SplitWideText(const WideChar* P, const WideChar* End, F&& Line)
{
    int n = 0;
    while (P < End) {
        const WideChar* start = P;
        P = FindLineBreak(P, End);
        Line(start, P);
        ++n;
        if (P < End && *P == L'\r')
            ++P;
        if (P < End && *P == L'\n')
            ++P;
        if (P < End && *P == 0x2028)
            ++P;
    }
    return n;
}
template <class F> int SplitWideText(const WideString& Text, F&& Line)
{
    return SplitWideText(Text.data(), Text.data() + Text.size(), Line);
}
int CountWideTextLines(const WideString& Text);

// Keeps a list's update bracket open for a scope, closing it on the way out of an exception.
using TWideStringsUpdate = TUpdateScope<TWideStrings>;
