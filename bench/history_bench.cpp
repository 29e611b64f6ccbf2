// The history of blocking runs: recording a run of 1,000 messages onto a full
// history (what a command pays), and loading a full history (what the
// History page waits for), in a scratch folder.
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "manager/options_command.h"
#include "manager/resource.h"
#include "store/history.h"
#include "store/history_format.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <thread>

namespace sw::bench {
namespace {

constexpr int kRecordRuns = 120; // past two rewrites of the file
constexpr int kLoadRuns = 7;

// Ids of Exchange's length: 70-byte message ids, 46-byte folder ids and a
// store id of some 150 bytes.
std::wstring HexId(size_t bytes, size_t seed) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring id(bytes * 2, L'0');
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = digits[(seed * 2654435761u + i * 40503u) >> 7 & 0xF];
    return id;
}

HistoryAction Run(size_t messages, size_t seed) {
    HistoryAction action;
    action.command = seed % 2 ? L"Block Domains" : L"Block Senders";
    for (size_t i = 0; i < std::max<size_t>(1, messages / 10); ++i)
        action.entries.push_back(L"sender" + std::to_wstring(seed * 10000 + i) + L"@example.com");
    const std::wstring store = HexId(150, 1);
    for (size_t i = 0; i < messages; ++i)
        action.messages.push_back({HexId(70, seed * 100000 + i), store, HexId(46, i % 4)});
    return action;
}

void Fill(size_t actions, size_t messages) {
    std::filesystem::remove(std::filesystem::path(HistoryFilePath()));
    for (size_t i = 0; i < actions; ++i) {
        if (!RecordHistoryAction(Run(messages, i)))
            throw std::runtime_error("RecordHistoryAction failed");
    }
}

BOOL CALLBACK FindSheet(HWND window, LPARAM lParam) {
    wchar_t title[64] = {};
    GetWindowTextW(window, title, ARRAYSIZE(title));
    if (IsWindowVisible(window) && lstrcmpW(title, L"Options") == 0) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

// Opens the real sheet and times selecting the History page until it is
// painted; -1 without a display. The history is read on a worker thread
// from the sheet's start, as the user looks at the first page for a moment.
double TimeHistoryPage(int& rows) {
    double milliseconds = -1;
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        HWND sheet = nullptr;
        for (int attempt = 0; attempt < 2000 && !returned && !sheet; ++attempt) {
            EnumThreadWindows(uiThread, &FindSheet, reinterpret_cast<LPARAM>(&sheet));
            if (!sheet)
                Sleep(10);
        }
        if (!sheet)
            return;
        RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Stopwatch open;
        SendMessageW(sheet, PSM_SETCURSEL, 2, 0);
        RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        milliseconds = open.Milliseconds();
        const HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, 2, 0));
        rows = static_cast<int>(
            SendMessageW(GetDlgItem(page, IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0));
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    ShowOptionsSheet(nullptr);
    returned = true;
    driver.join();
    return milliseconds;
}

std::string FileSize() {
    const auto bytes = std::filesystem::file_size(std::filesystem::path(HistoryFilePath()));
    return FormatCount(static_cast<long long>(bytes / 1024)) + " KB";
}

} // namespace

void RunHistoryBench() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"spamwarden-bench-history-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring previous = SetHistoryFolder(folder);
    std::filesystem::create_directories(std::filesystem::path(folder));

    Table table("History of blocking runs", {"step", "median", "worst", "target"});
    // A full history of ordinary runs (20 messages each), then each record
    // adds a run of 1,000; every 50th record rewrites the file.
    Fill(kHistoryLimit, 20);
    const std::string ordinarySize = FileSize();
    const Timings loadOrdinary = Repeat(kLoadRuns, nullptr, [] {
        if (LoadHistory().size() != kHistoryLimit)
            throw std::runtime_error("LoadHistory lost actions");
    });
    // The command hands its record over; the copy is not the history's cost.
    Timings pageOpen;
    int rows = 0;
    for (int run = 0; run < kLoadRuns; ++run) {
        const double milliseconds = TimeHistoryPage(rows);
        if (milliseconds >= 0)
            pageOpen.runs.push_back(milliseconds);
    }
    // What Wine takes to create and paint the page whatever it shows.
    const std::wstring full = HistoryFilePath() + L".full";
    MoveFileExW(HistoryFilePath().c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING);
    Timings emptyPageOpen;
    int emptyRows = 0;
    for (int run = 0; run < kLoadRuns; ++run) {
        const double milliseconds = TimeHistoryPage(emptyRows);
        if (milliseconds >= 0)
            emptyPageOpen.runs.push_back(milliseconds);
    }
    MoveFileExW(full.c_str(), HistoryFilePath().c_str(), MOVEFILE_REPLACE_EXISTING);
    const HistoryAction large = Run(1000, 999999);
    HistoryAction handed;
    Timings record = Repeat(
        kRecordRuns, [&] { handed = large; },
        [&] {
            if (!RecordHistoryAction(std::move(handed)))
                throw std::runtime_error("RecordHistoryAction failed");
        });
    const Timings recordEmpty = Repeat(
        kRecordRuns, [&] { handed = Run(0, 5); },
        [&] {
            if (!RecordHistoryAction(std::move(handed)))
                throw std::runtime_error("RecordHistoryAction failed");
        });
    size_t lineBytes = 0;
    const Timings format =
        Repeat(kRecordRuns, nullptr, [&] { lineBytes = FormatHistoryLine(large).size(); });
    const std::string largeSize = FileSize();
    const Timings loadLarge = Repeat(kLoadRuns, nullptr, [] {
        if (LoadHistory().size() != kHistoryLimit)
            throw std::runtime_error("LoadHistory lost actions");
    });
    const Timings listLarge = Repeat(kLoadRuns, nullptr, [] {
        if (LoadHistorySummaries().size() != kHistoryLimit)
            throw std::runtime_error("LoadHistorySummaries lost actions");
    });
    table.AddRow({"record a run of 1,000 messages (200 in history)", FormatMs(record.Median()),
                  FormatMs(record.Worst()), "1 ms"});
    table.AddRow({"  of which its line's text (" + FormatCount(static_cast<long long>(lineBytes)) +
                      " bytes)",
                  FormatMs(format.Median()), FormatMs(format.Worst()), "-"});
    table.AddRow({"record a run without messages", FormatMs(recordEmpty.Median()),
                  FormatMs(recordEmpty.Worst()), "-"});
    table.AddRow({"load 200 runs of 20 messages (" + ordinarySize + ")",
                  FormatMs(loadOrdinary.Median()), FormatMs(loadOrdinary.Worst()), "50 ms"});
    table.AddRow({"open the History page, 200 runs of 20 (" + std::to_string(rows) + " rows)",
                  pageOpen.runs.empty() ? "no display" : FormatMs(pageOpen.Median()),
                  pageOpen.runs.empty() ? "-" : FormatMs(pageOpen.Worst()), "50 ms"});
    table.AddRow({"open the History page, no history",
                  emptyPageOpen.runs.empty() ? "no display" : FormatMs(emptyPageOpen.Median()),
                  emptyPageOpen.runs.empty() ? "-" : FormatMs(emptyPageOpen.Worst()), "-"});
    table.AddRow({"load 200 runs of 1,000 messages (" + largeSize + ")",
                  FormatMs(loadLarge.Median()), FormatMs(loadLarge.Worst()), "-"});
    table.AddRow({"  the same listed for the page, without the messages",
                  FormatMs(listLarge.Median()), FormatMs(listLarge.Worst()), "50 ms"});
    table.AddNote("a record appends one line; the worst run is the rewrite of the whole file, "
                  "one record in 50");
    table.Print();

    std::filesystem::remove_all(std::filesystem::path(folder));
    SetHistoryFolder(previous);
}

} // namespace sw::bench
