// Skin containers: the packed skin file ("QSzf"), its reader, and INI text held in string
// lists.
//
// A packed skin file is the magic "QSzf", a 32-bit count, and that many entries one after the
// other: name length, name (ANSI), unpacked size, and a zlib stream that yields the entry's
// bytes. The entry named "Options.dat" (any case) is the option text; every other entry is
// an image, found by its upper-cased name.
#pragma once

#include "classlib/classes.h"
#include "classlib/inifiles.h"

#include <cstdint>
#include <memory>
#include <vector>

// One image entry of a packed skin.
struct TSkImageItem {
    AnsiString FileName;                  // as stored
    bool IsBitmap = false;                // the upper-cased extension is ".BMP"
    std::unique_ptr<TMemoryStream> Data;  // the unpacked bytes
};

// Limits of what a packed skin may claim: anything above them is damage, so that a flipped
// byte cannot make the reader allocate or inflate without end.
constexpr int64_t MaxPackedSkinSize = 256 * 1024 * 1024;   // a whole file
constexpr int32_t MaxPackedEntrySize = 64 * 1024 * 1024;   // one unpacked entry
constexpr int64_t MaxPackedTotalSize = 256 * 1024 * 1024;  // all entries together
constexpr int32_t MaxPackedNameLength = 1024;

// The reader of a packed skin. The fields are the reader's result, read by the skin loader.
class TSkSkinConvertor : public TPersistent {
    Z_CLASS(TSkSkinConvertor, TPersistent)
public:
    TSkSkinConvertor() = default;
    ~TSkSkinConvertor() override;
    TSkSkinConvertor(const TSkSkinConvertor&) = delete;
    TSkSkinConvertor& operator=(const TSkSkinConvertor&) = delete;

    // The number of image entries read: image lookups search Files[0 .. ImageCount - 1].
    int32_t ImageCount = 0;
    std::vector<TSkImageItem> Files;          // the image entries in file order
    std::unique_ptr<TMemoryStream> Options;   // the unpacked "Options.dat", or none
    std::unique_ptr<TStream> PackedData;      // the packed bytes being read, or none

    // Parses PackedData from its start. A wrong magic gives the engine's error box "Loaded
    // data is not packed Quellin file"; a damaged or truncated file gives the error box
    // "Packed skin data is damaged". Either way the convertor is left empty.
    void ExtractPackedData();
    // Frees the entries (last first), the option text and the packed bytes.
    void Clear();

    // The first image entry whose upper-cased name equals Name exactly; null when none.
    const TSkImageItem* FindImage(const AnsiString& Name) const;

private:
    bool Extract(const uint8_t* Data, int64_t Size);
};

// When FileName exists: makes Convertor (or clears the one there), reads the whole file as
// its PackedData and extracts it; with FreePackedData the packed bytes are freed afterwards.
// A file that does not exist changes nothing.
void LoadPackedSkinFile(const WideString& FileName, std::unique_ptr<TSkSkinConvertor>& Convertor,
                        bool FreePackedData);

// The whole of a file into Out, when it opens and holds no more than MaxSize bytes. Exists,
// when given, tells whether the file is there at all (it may be there and not readable).
bool ReadWholeFile(const WideString& FileName, int64_t MaxSize, TMemoryStream& Out,
                   bool* Exists = nullptr);

// The option text of a packed skin as an INI object with no file behind it; empty when the
// skin has no "Options.dat" (or no convertor is given).
std::unique_ptr<TMemIniFile> CreateOptionsIni(const TSkSkinConvertor* Convertor);

// ---------------------------------------------------------------------------------------
// INI text held in string lists: a list of section names, each with a string list of the
// section's lines as its object. The objects belong to the list: ClearIniSections frees them.

// Lines that are empty or begin with ';' are skipped; "[NAME]" (first and last character)
// opens a section; other lines are added as they stand to the current section, and lines
// before the first section are dropped. Nothing is trimmed. Sections is cleared first.
void ParseIniText(const TStrings* Lines, TStrings* Sections);
void ClearIniSections(TStrings* Sections);

// The value after "KEY=" in the first section of that name (names compared without case);
// Default when the section or the key is missing.
AnsiString ReadIniTextString(const TStrings* Sections, const AnsiString& Section,
                             const AnsiString& Key, const AnsiString& Default);
// The value as an integer: "0x" or "0X" leads a hexadecimal number, anything else is
// decimal; Default when missing or not a number.
int ReadIniTextInt(const TStrings* Sections, const AnsiString& Section, const AnsiString& Key,
                   int Default);

// The value after "KEY=" among the lines of one section; false when the key is missing.
bool IniLineValue(const TStrings* Lines, const AnsiString& Key, AnsiString& Value);
// A value as ReadIniTextInt reads it: "0x" or "0X" hexadecimal, else decimal.
bool IniTextToInt(AnsiString Text, int& Value);

// A parsed INI text that frees its sections when it goes.
class TSkIniText {
public:
    TSkIniText() = default;
    explicit TSkIniText(const TStrings* Lines) { Parse(Lines); }
    ~TSkIniText() { ClearIniSections(&FSections); }
    TSkIniText(const TSkIniText&) = delete;
    TSkIniText& operator=(const TSkIniText&) = delete;
    void Parse(const TStrings* Lines) { ParseIniText(Lines, &FSections); }
    TStringList* Sections() { return &FSections; }
    const TStringList* Sections() const { return &FSections; }

private:
    TStringList FSections;
};
