// Loading large text files into a wide string list, against the bare UTF-8 conversion of
// the same bytes, and the throughput of the UTF-7 encoder and decoder.
#include "unicode/ucclasses.h"
#include "unicode/ucsysutils.h"
#include "bench/timing.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace {
// Lines of a chat history: mostly Cyrillic words, some Latin, digits and punctuation.
WideString MakeText(size_t TargetUtf8Bytes)
{
    static const wchar_t* const words[] = {
        L"привет", L"как", L"дела", L"сегодня", L"вечером", L"встретимся", L"около", L"метро",
        L"Zandrel", L"ok", L"спасибо", L"большое", L"фотографии", L"загружены", L"на", L"сайт",
        L"12:45", L"—", L"ну", L"да", L"конечно", L"http://example.org/", L"друзья", L"сообщение",
    };
    std::mt19937 rng(42);
    WideString text;
    text.reserve(TargetUtf8Bytes / 2 + 1024);
    size_t utf8 = 0;
    while (utf8 < TargetUtf8Bytes) {
        WideString line;
        int n = 3 + static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) {
            if (i)
                line += L' ';
            line += words[rng() % std::size(words)];
        }
        line += (rng() % 4 == 0) ? L"!" : L".";
        line += L"\r\n";
        for (WideChar c : line)
            utf8 += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        text += line;
    }
    return text;
}

void WriteFile(const WideString& Name, const void* Data, size_t Size)
{
    TUcFileStream f(Name, fmCreate);
    f.WriteBuffer(Data, static_cast<int32_t>(Size));
}

AnsiString ReadAll(const WideString& Name)
{
    TUcFileStream f(Name, fmOpenRead | fmShareDenyWrite);
    AnsiString r(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(r.data(), static_cast<int32_t>(r.size()));
    return r;
}
} // namespace

int main()
{
    InitSysUtils();
    InitUcSystem();
    try {
        const WideString dir = ExtractWideFilePath(ModuleFileNameWide());
        const WideString utf8Name = dir + L"bench_textload_utf8.txt";
        const WideString utf16Name = dir + L"bench_textload_utf16.txt";
        const double mb = 1024.0 * 1024.0;

        const WideString text = MakeText(20u * 1024u * 1024u);
        const AnsiString utf8 = "\xEF\xBB\xBF" + WideToUtf8(text);
        WriteFile(utf8Name, utf8.data(), utf8.size());
        AnsiString utf16 = "\xFF\xFE";
        utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(WideChar));
        WriteFile(utf16Name, utf16.data(), utf16.size());
        const int lines = CountWideTextLines(text);

        // The bare conversion: the bytes already in memory, one call into a buffer of the
        // right size.
        const AnsiString bytes = ReadAll(utf8Name);
        std::vector<WideChar> out(bytes.size());
        int converted = 0;
        const double bareMs = BestMs(5, [&] {
            converted = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, static_cast<int>(bytes.size() - 3),
                                            out.data(), static_cast<int>(out.size()));
        });

        // Each load goes into a new, empty list; freeing the lines is timed on its own.
        int utf8Count = 0, utf16Count = 0;
        uint8_t utf8Set = 0, utf16Set = 0;
        double freeMs = 1e30;
        auto loadFresh = [&](const WideString& Name, int& Count, uint8_t& Set) {
            double best = 1e30;
            for (int i = 0; i < 5; ++i) {
                auto list = std::make_unique<TUcStringList>();
                double t0 = Now();
                list->LoadFromFile(Name);
                best = std::min(best, (Now() - t0) * 1000.0);
                Count = list->Count();
                Set = list->LoadedFileCharSet();
                t0 = Now();
                list.reset();
                freeMs = std::min(freeMs, (Now() - t0) * 1000.0);
            }
            return best;
        };
        const double utf8Ms = loadFresh(utf8Name, utf8Count, utf8Set);
        const bool utf8Ok = utf8Count == lines && utf8Set == csUtf8Text && converted == static_cast<int>(text.size());
        const double utf16Ms = loadFresh(utf16Name, utf16Count, utf16Set);
        const bool utf16Ok = utf16Count == lines && utf16Set == csUnicodeText;
        // Loading over a list that already holds the text frees the old lines too.
        TUcStringList full;
        full.LoadFromFile(utf8Name);
        const double reloadMs = BestMs(3, [&] { full.LoadFromFile(utf8Name); });

        std::printf("text: %d lines, %.1f MB as UTF-8, %.1f MB as UTF-16\n", lines, utf8.size() / mb,
                    utf16.size() / mb);
        std::printf("bare MultiByteToWideChar(CP_UTF8):   %8.1f ms\n", bareMs);
        std::printf("LoadFromFile, UTF-8 file:            %8.1f ms  (%.2fx the bare conversion)%s\n", utf8Ms,
                    utf8Ms / bareMs, utf8Ok ? "" : "  WRONG RESULT");
        std::printf("LoadFromFile, UTF-16 file:           %8.1f ms  (%.2fx)%s\n", utf16Ms, utf16Ms / bareMs,
                    utf16Ok ? "" : "  WRONG RESULT");
        std::printf("LoadFromFile, UTF-8, over a full list: %6.1f ms  (freeing the lines alone: %.1f ms)\n",
                    reloadMs, freeMs);

        // UTF-7 over about 20 MB of the same mixed text.
        AnsiString utf7;
        const double encMs = BestMs(3, [&] { utf7 = WideToUtf7(text); });
        WideString back;
        const double decMs = BestMs(3, [&] { back = Utf7ToWide(utf7); });
        const double wideMb = text.size() * sizeof(WideChar) / mb;
        std::printf("UTF-7 encode: %.1f MB of UTF-16 in %.1f ms = %.1f MB/s\n", wideMb, encMs, wideMb / (encMs / 1000.0));
        std::printf("UTF-7 decode: %.1f MB of UTF-7 in %.1f ms = %.1f MB/s (UTF-16 out: %.1f MB/s)%s\n",
                    utf7.size() / mb, decMs, utf7.size() / mb / (decMs / 1000.0), wideMb / (decMs / 1000.0),
                    back == text ? "" : "  WRONG RESULT");

        DeleteFileW(utf8Name.c_str());
        DeleteFileW(utf16Name.c_str());
    } catch (const Exception& e) {
        std::printf("%s: %s\n", e.ClassName(), e.what());
        return 1;
    }
    return 0;
}
