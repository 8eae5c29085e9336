// INI files held in memory.
#pragma once

#include "classlib/classes.h"

// An INI text in memory: sections in file order, the keys of each section in order;
// section and key names are looked up without regard to case. Made from a string list with
// no file behind it, or read from a file (ANSI) when a name is given.
class TMemIniFile : public TObject {
    Z_CLASS(TMemIniFile, TObject)
public:
    explicit TMemIniFile(const AnsiString& FileName = AnsiString());
    ~TMemIniFile() override;

    const AnsiString& FileName() const { return FFileName; }
    void Clear();
    // Replaces the whole content by the lines of List ("[SECTION]", "KEY=VALUE", comments
    // starting with ';' and blank lines are skipped).
    void SetStrings(const TStrings* List);
    void GetStrings(TStrings* List) const;

    bool SectionExists(const AnsiString& Section) const;
    bool ValueExists(const AnsiString& Section, const AnsiString& Ident) const;
    void ReadSections(TStrings* Strings) const;
    void ReadSection(const AnsiString& Section, TStrings* Strings) const;        // keys
    void ReadSectionValues(const AnsiString& Section, TStrings* Strings) const;  // KEY=VALUE

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                          const AnsiString& Default) const;
    // The value as an integer ("$" hexadecimal accepted); Default when absent or not a number.
    int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const;
    // The platform's rule: a number, non-zero is true; Default when absent or not a number.
    bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;

    void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
    void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
    void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
    void EraseSection(const AnsiString& Section);
    void DeleteKey(const AnsiString& Section, const AnsiString& Ident);
    // Writes the text back to FileName (no-op without a file name).
    void UpdateFile();

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    AnsiString FFileName;
};
