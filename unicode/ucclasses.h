// The Unicode string lists (text files with byte-order-mark detection, an ANSI view), file
// and memory streams by wide name, and the rule by which wide properties shadow the ANSI
// properties of the class library: the wide cache, the companions in form data and the
// per-component store objects.
#pragma once

#include "classlib/classes.h"
#include "unicode/ucsystem.h"
#include "unicode/ucwidestrings.h"

// The ANSI list kind the adapter presents.
using TAnsiStrings = TStrings;

// Character sets of text files: LoadedFileCharSet and the answer of DetectTextCharSet.
enum TUcTextCharSet : uint8_t {
    csAnsiText = 0,
    csUnicodeText = 1,          // UTF-16 little-endian
    csUnicodeSwappedText = 2,   // UTF-16 big-endian
    csUtf8Text = 3,
};

// Reads a byte-order mark at the stream's position and stays behind it; without one the
// position is unchanged and the answer is csAnsiText.
TUcTextCharSet DetectTextCharSet(TStream* Stream);

class TUcStrings;

// ANSI view of a wide list, for code that knows only ANSI lists. Strings going in are
// widened with ViewCodePage, strings coming out narrowed with it.
class TAnsiStringsForWideStringsAdapter : public TAnsiStrings {
    Z_CLASS(TAnsiStringsForWideStringsAdapter, TAnsiStrings)
public:
    // The wide list is not owned.
    explicit TAnsiStringsForWideStringsAdapter(TWideStrings* AWideStrings, UINT AViewCodePage = 0);

    AnsiString Get(int Index) const override;
    int GetCount() const override;
    TObject* GetObject(int Index) const override;
    void Put(int Index, const AnsiString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCapacity() const override;
    void SetCapacity(int NewCapacity) override;
    AnsiString GetTextStr() const override;
    void SetTextStr(const AnsiString& Value) override;
    void SetUpdateState(bool Updating) override;
    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const AnsiString& S) const override;
    int IndexOfName(const AnsiString& Name) const override;
    int IndexOfObject(TObject* AObject) const override;
    void Insert(int Index, const AnsiString& S) override;
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
    void Move(int CurIndex, int NewIndex) override;
    // The rest of the stream as text in ViewCodePage; no byte-order mark either way.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;

    TWideStrings* WideStrings() const { return FWideStrings; }
    // 0 means DefaultConversionCodePage.
    UINT ViewCodePage() const { return FViewCodePage; }
    void SetViewCodePage(UINT Value) { FViewCodePage = Value; }

private:
    UINT CodePage() const { return FViewCodePage ? FViewCodePage : DefaultConversionCodePage; }
    WideString ToWide(const AnsiString& S) const { return ConvertToWide(S, CodePage()); }
    AnsiString FromWide(const WideString& S) const { return ConvertFromWide(S, CodePage()); }
    TWideStrings* FWideStrings;
    UINT FViewCodePage;
};

// A wide list with text files: loading detects the byte-order mark, saving writes UTF-16
// little-endian with a mark.
class TUcStrings : public TWideStrings {
    Z_CLASS(TUcStrings, TWideStrings)
public:
    TUcStrings();
    ~TUcStrings() override;

    void DefineProperties(TFiler* Filer) override;
    // Opened for reading with writes denied; remembers the character set found.
    void LoadFromFile(const WideString& FileName) override;
    void LoadFromStream(TStream* Stream) override;   // LoadFromStreamDetect(Stream, true)
    void SaveToFile(const WideString& FileName) override;
    void SaveToStream(TStream* Stream) override;     // SaveToStreamWithMark(Stream, true)
    // The text from the stream's position to its end; without detection it is UTF-16
    // little-endian.
    virtual void LoadFromStreamDetect(TStream* Stream, bool DetectCharSet);
    // UTF-16 little-endian, after the mark FF FE when WithBOM; LoadedFileCharSet plays no part.
    virtual void SaveToStreamWithMark(TStream* Stream, bool WithBOM);

    uint8_t LoadedFileCharSet() const { return FLoadedFileCharSet; }
    TAnsiStringsForWideStringsAdapter* AnsiStrings() const { return FAnsiStrings.get(); }
    void SetAnsiStrings(TStrings* Value) { FAnsiStrings->Assign(Value); }

private:
    void ReadOldWideStringsW(TReader* Reader);
    void ReadOldWideStringsUtf7(TReader* Reader);
    uint8_t FLoadedFileCharSet = csUnicodeText;
    std::unique_ptr<TAnsiStringsForWideStringsAdapter> FAnsiStrings;
};

class TUcStringList;
using TUcStringListSortCompare = int (*)(TUcStringList* List, int Index1, int Index2);

class TUcStringList : public TUcStrings {
    Z_CLASS(TUcStringList, TUcStrings)
public:
    TUcStringList() = default;
    ~TUcStringList() override;

    WideString Get(int Index) const override;
    int GetCapacity() const override { return FList.Capacity(); }
    int GetCount() const override { return FList.Count(); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const WideString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    // Below Count: EStringListError "List capacity out of bounds (%d)".
    void SetCapacity(int NewCapacity) override;
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const WideString& S1, const WideString& S2) const override;
    int AddObject(const WideString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const WideString& S) const override;
    int IndexOfName(const WideString& Name) const override;
    void Insert(int Index, const WideString& S) override;
    void InsertObject(int Index, const WideString& S, TObject* AObject) override;
    // Refused before anything is taken out: a sorted list, or NewIndex out of range.
    void Move(int CurIndex, int NewIndex) override;
    // Unsorted: the lines go straight into the item array, sized once.
    void SetTextStr(const WideString& Value) override;
    // Unsorted: the text is read, converted and split piece by piece, and the lines replace
    // the items only once the whole stream has been read (a failed read keeps the old ones).
    // The same lines as the inherited way, without holding the whole text twice; SetTextStr
    // is not called on the way.
    void LoadFromStreamDetect(TStream* Stream, bool DetectCharSet) override;

    // Binary search of a sorted list; Index is where S is, or where it would go.
    virtual bool Find(const WideString& S, int& Index) const;
    virtual void Sort();
    virtual void CustomSort(TUcStringListSortCompare Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int Index, WideString S, TObject* AObject);

private:
    void QuickSort(int L, int R, TUcStringListSortCompare Compare);
    zstrlist::TStringItems<WideString> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FUpdating = false;
};

// A file stream opened by a wide name. Mode fmCreate (0xFFFF) creates the file; any other
// value opens it with that access and sharing (FileOpenWide's table; other values fail).
// Failure: EFCreateError "Cannot create file \"<name>\". <system text>" or EFOpenError
// "Cannot open file \"<name>\". <system text>", the name expanded.
class TUcFileStream : public THandleStream {
    Z_CLASS(TUcFileStream, THandleStream)
public:
    TUcFileStream(const WideString& FileName, uint32_t Mode);
    ~TUcFileStream() override;
    const WideString& FileName() const { return FFileName; }

private:
    WideString FFileName;
};

class TUcMemoryStream : public TMemoryStream {
    Z_CLASS(TUcMemoryStream, TMemoryStream)
public:
    using TMemoryStream::LoadFromFile;
    using TCustomMemoryStream::SaveToFile;
    void LoadFromFile(const WideString& FileName);
    void SaveToFile(const WideString& FileName);
};

// ---------------------------------------------------------------------------------------
// Wide properties over ANSI ones

// The wide cache of a property, re-widened from the ANSI value when somebody changed the
// property through its ANSI side (the cache's ANSI form no longer equals the ANSI value).
WideString WideGetCachedValue(WideString& Cache, const AnsiString& AnsiValue);

// The ANSI setter of a shadowed property: Target's ANSI property takes Value.
using TAnsiPropSetter = void (*)(TObject* Target, const AnsiString& Value);

// Sets a wide property: nothing when NewValue equals the current wide value; the ANSI side
// is cleared first when NewValue has no exact ANSI form and its ANSI form equals the current
// ANSI value, so that the class still sees a change; then cache and ANSI side take it.
void WideSetCachedValue(const WideString& NewValue, WideString& Cache, const AnsiString& AnsiValue,
                        TAnsiPropSetter AnsiSetter, TObject* Target);

// Older form data kept wide text in companions of each wide property ("W" in UTF-8, "_UTF7"
// in UTF-7). They are honoured only when this is set and the component is not being
// designed; it starts cleared and the program never sets it, so they are read and dropped.
extern bool LegacyWideCompanions;

// The DefineProperties companion of every Unicode class: for each published property of
// Instance's class, WideString properties get the read-only companions "<Name>W" and
// "<Name>_UTF7"; WideChar properties get "<Name>W" (written by a form writer as a wide
// string of one character when the value differs from the ancestor's or the default; read
// from a string of at most one character, EReadError "Invalid property value" when longer)
// and "<Name>_UTF7" (read only: the first character of a UTF-7 text).
void DefineWideProperties(TFiler* Filer, TPersistent* Instance);

// Short-lived definers of the companions of one property, alive while DefineWideProperties
// hands them to the filer.
class TUcWideStringPropertyFiler {
public:
    TUcWideStringPropertyFiler(TPersistent* Instance, const TPropInfo* PropInfo)
        : FInstance(Instance), FPropInfo(PropInfo) {}
    void DefineProperties(TFiler* Filer);

private:
    void ReadDataUTF8(TReader* Reader);
    void ReadDataUTF7(TReader* Reader);
    TPersistent* FInstance;
    const TPropInfo* FPropInfo;
};

class TUcWideCharPropertyFiler {
public:
    TUcWideCharPropertyFiler(TPersistent* Instance, const TPropInfo* PropInfo)
        : FInstance(Instance), FPropInfo(PropInfo) {}
    void DefineProperties(TFiler* Filer);

private:
    void ReadData_W(TReader* Reader);
    void ReadData_UTF7(TReader* Reader);
    void WriteData_W(TWriter* Writer);
    TPersistent* FInstance;
    const TPropInfo* FPropInfo;
};

// ---------------------------------------------------------------------------------------
// Store objects: wide values of components that cannot hold them themselves.

class TWideComponentHelper;

// The store objects of one kind, sorted by the address of their component. Owns them.
class TWideComponentHelperList {
public:
    TWideComponentHelperList() = default;
    ~TWideComponentHelperList();
    TWideComponentHelperList(const TWideComponentHelperList&) = delete;
    TWideComponentHelperList& operator=(const TWideComponentHelperList&) = delete;

    int Count() const { return static_cast<int>(FItems.size()); }
    TWideComponentHelper* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)); }
    // Binary search by component address: true when found; Index is where it is or would go.
    bool FindIndex(const TComponent* Component, int& Index) const;

private:
    friend class TWideComponentHelper;
    std::vector<TWideComponentHelper*> FItems;
};

class TWideComponentHelper : public TComponent {
    Z_CLASS(TWideComponentHelper, TComponent)
public:
    // Store objects are only made for a component: EUcInternalError
    // "Internal Error: TWideComponentHelper.Create should never be encountered."
    explicit TWideComponentHelper(TComponent* AOwner);
    // Enters List at the component's place and asks for the component's free notification.
    TWideComponentHelper(TWideComponentHelperList* List, TComponent* AComponent);
    // Leaves the list.
    ~TWideComponentHelper() override;

    TComponent* Component() const { return FComponent; }
    TWideComponentHelperList* List() const { return FList; }

protected:
    // The component going takes its store object with it.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Unlist();
    TComponent* FComponent = nullptr;
    TWideComponentHelperList* FList = nullptr;
};

// The store object of Component in List, or null. A hit that belongs to another component
// fails the assertion "Internal Error: FindWideComponentHelperIndex failed.".
TWideComponentHelper* FindWideComponentHelper(const TWideComponentHelperList* List,
                                              const TComponent* Component);
