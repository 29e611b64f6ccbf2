// Importing a Blocked Senders file of 65,535 lines in each encoding it may
// come in, and exporting a list of 65,535 entries, through real files in a
// scratch folder.
#include "bench/sample_lists.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "manager/blocked_senders_list.h"
#include "manager/list_transfer.h"
#include "platform/file_io.h"

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace sw::bench {
namespace {

constexpr size_t kLines = 65535;
constexpr int kRuns = 7;

std::string Utf16Le(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void ImportCase(Table& table, const std::string& label, const std::filesystem::path& path,
                const std::string& bytes, size_t expectedEntries) {
    WriteBytes(path, bytes);
    std::string read;
    std::wstring text, error;
    ImportedLines lines;
    const Timings reading = Repeat(kRuns, nullptr, [&] {
        static_cast<void>(ReadWholeFile(path.wstring(), kImportFileLimit, read));
    });
    const Timings decoding =
        Repeat(kRuns, nullptr, [&] { static_cast<void>(DecodeListFile(read, text, error)); });
    const Timings parsing = Repeat(kRuns, nullptr, [&] { lines = ParseImportedLines(text); });
    bool ok = true;
    const Timings whole =
        Repeat(kRuns, nullptr, [&] { ok = ImportListFile(path.wstring(), lines, error) && ok; });
    ok = ok && lines.entries.size() == expectedEntries && lines.skipped.empty();
    table.AddRow({label, FormatCount(static_cast<long long>(bytes.size())),
                  FormatMs(reading.Median()), FormatMs(decoding.Median()),
                  FormatMs(parsing.Median()), FormatMs(whole.Median()), FormatMs(whole.Worst()),
                  "200 ms", ok ? "yes" : "NO"});
}

} // namespace

void RunImportBench() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder =
        std::filesystem::path(temp) /
        ("spamwarden-import-bench-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);

    const std::vector<std::wstring> entries = BlockedEntries(kLines);
    const std::string utf8 = ExportBytes(entries);
    std::wstring text;
    for (const std::wstring& entry : entries)
        text.append(entry).append(L"\r\n");
    // The ANSI file is UTF-8 but for its last line, the worst case: it is
    // checked as UTF-8 to the end before the code page decodes it.
    std::string ansi = ExportBytes({entries.begin(), entries.end() - 1});
    ansi += "andr\xE9@caf\xE9.example\r\n";

    Table table(
        "Import of a " + FormatCount(kLines) +
            "-line Blocked Senders file (read, decode, parse), median of " + std::to_string(kRuns) +
            " runs",
        {"file", "bytes", "read", "decode", "parse", "import", "worst", "target", "all entries"});
    ImportCase(table, "UTF-8", folder / "utf8.txt", utf8, kLines);
    ImportCase(table, "UTF-8 with mark", folder / "utf8-bom.txt", "\xEF\xBB\xBF" + utf8, kLines);
    ImportCase(table, "UTF-16 LE with mark", folder / "utf16.txt", Utf16Le(text), kLines);
    ImportCase(table, "ANSI (code page " + std::to_string(GetACP()) + ")", folder / "ansi.txt",
               ansi, kLines);

    // What the page then does: merge the file's entries into its working
    // list, here one that holds every second of them already.
    {
        std::wstring half;
        for (size_t i = 0; i < entries.size(); i += 2)
            half.append(entries[i]).push_back(L';');
        BlockedSendersList list;
        size_t added = 0;
        const Timings merging = Repeat(
            kRuns, [&] { list.Load(half); }, [&] { added = list.MergeEntries(entries); });
        table.AddRow({"merge into the page's list", "", "", "", "", FormatMs(merging.Median()),
                      FormatMs(merging.Worst()), "200 ms",
                      added == kLines / 2 && list.Entries().size() == kLines ? "yes" : "NO"});
    }

    const std::wstring exportPath = (folder / "export.txt").wstring();
    std::wstring error;
    std::string bytes;
    const Timings encoding = Repeat(kRuns, nullptr, [&] { bytes = ExportBytes(entries); });
    bool ok = true;
    const Timings exporting =
        Repeat(kRuns, nullptr, [&] { ok = ExportListFile(exportPath, entries, error) && ok; });
    std::string written;
    ok = ok && ReadWholeFile(exportPath, kImportFileLimit, written) == ERROR_SUCCESS &&
         written == utf8;
    table.AddRow({"export (UTF-8)", FormatCount(static_cast<long long>(utf8.size())), "",
                  FormatMs(encoding.Median()), "", FormatMs(exporting.Median()),
                  FormatMs(exporting.Worst()), "200 ms", ok ? "yes" : "NO"});
    table.AddNote("export: \"decode\" is the encoding of the bytes, \"import\" the whole "
                  "ExportListFile (encode, write, flush, replace).");
    table.AddNote("merge: BlockedSendersList::MergeEntries of the file's entries into the page's "
                  "list; an Import button press is one file import and one merge.");
    table.Print();

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace sw::bench
