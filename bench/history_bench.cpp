// The history of blocking runs: recording a run of 1,000 messages, and a
// new-mail run of one, onto a full history (what a command or an event
// pays, the worst record included, across several compactions), and loading
// a full history (what the History page waits for), in a scratch folder.
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
#include <functional>
#include <stdexcept>
#include <thread>

namespace sw::bench {
namespace {

constexpr int kRecordRuns = 120;
// Records onto a full history, each crossing several compactions (one in
// 50 records).
constexpr int kLargeRecords = 300;
constexpr int kNewMailRecords = 600;
constexpr int kLoadRuns = 7;
constexpr int kCompactionRuns = 3;
// A run of 1,000 messages is recorded at the end of a command that moved
// them, which takes 14 ms at the very least even in the simulated Outlook.
constexpr DWORD kCommandPause = 10;

// Ids of Exchange's length: 70-byte message ids, 46-byte folder ids and a
// store id of some 150 bytes.
// `number` picks the id: equal numbers give equal ids.
std::wstring HexId(size_t bytes, size_t number) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring id(bytes * 2, L'0');
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = digits[(number * 2654435761u + i * 40503u) >> 7 & 0xF];
    return id;
}

// The run numbered `number`: its senders and message ids are its own.
HistoryAction Run(size_t messages, size_t number) {
    HistoryAction action;
    action.command = number % 2 ? L"Block Domains" : L"Block Senders";
    for (size_t i = 0; i < std::max<size_t>(1, messages / 10); ++i)
        action.entries.push_back(L"sender" + std::to_wstring(number * 10000 + i) + L"@example.com");
    const std::wstring store = HexId(150, 1);
    for (size_t i = 0; i < messages; ++i)
        action.messages.push_back({HexId(70, number * 100000 + i), store, HexId(46, i % 4)});
    return action;
}

ULONGLONG HistoryBytes() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(HistoryFilePath().c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Records `count` runs, each made by `make` (not timed), `pause` ms apart
// (0: one after the other as fast as they come), onto a history already
// read, as in a session after its first record; counts the compactions that
// shrank the file meanwhile.
Timings RecordMany(int count, const std::function<HistoryAction()>& make, int& compactions,
                   DWORD pause = 0) {
    LoadHistorySummaries();
    HistoryAction handed;
    ULONGLONG bytes = HistoryBytes();
    compactions = 0;
    Timings timings = Repeat(
        count,
        [&] {
            if (pause)
                Sleep(pause);
            handed = make();
            const ULONGLONG now = HistoryBytes();
            compactions += now < bytes;
            bytes = now;
        },
        [&] {
            if (!RecordHistoryAction(std::move(handed)))
                throw std::runtime_error("RecordHistoryAction failed");
        });
    WaitForHistoryCompaction();
    compactions += HistoryBytes() < bytes;
    return timings;
}

// The first record of a session, which reads the whole history unless
// start-up had it learnt on the worker thread (`prepared`).
Timings TimeFirstRecords(const std::function<HistoryAction()>& make, bool prepared) {
    HistoryAction handed;
    return Repeat(
        kLoadRuns,
        [&] {
            handed = make();
            SetHistoryFolder(SetHistoryFolder(L"")); // forgets what it knew of the file
            if (prepared) {
                PrepareHistory();
                WaitForHistoryCompaction();
            }
        },
        [&] {
            if (!RecordHistoryAction(std::move(handed)))
                throw std::runtime_error("RecordHistoryAction failed");
        });
}

// A compaction of the history as it is, on its worker thread: records runs
// made by `make` until one starts it, and times waiting for it from there.
double TimeCompaction(const std::function<HistoryAction()>& make) {
    WaitForHistoryCompaction();
    for (int record = 0; record < 100; ++record) {
        const ULONGLONG before = HistoryBytes();
        if (!RecordHistoryAction(make()))
            throw std::runtime_error("RecordHistoryAction failed");
        Stopwatch watch;
        WaitForHistoryCompaction();
        const double milliseconds = watch.Milliseconds();
        if (HistoryBytes() < before)
            return milliseconds;
    }
    throw std::runtime_error("no compaction in 100 records");
}

std::string Compactions(int count) {
    return std::to_string(count) + (count == 1 ? " compaction" : " compactions");
}

void Fill(size_t actions, size_t messages) {
    std::filesystem::remove(std::filesystem::path(HistoryFilePath()));
    for (size_t i = 0; i < actions; ++i) {
        if (!RecordHistoryAction(Run(messages, i)))
            throw std::runtime_error("RecordHistoryAction failed");
    }
    WaitForHistoryCompaction();
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

    Table table("History of blocking runs", {"step", "median", "mean", "worst", "target"});
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
    // What a new-mail event records for each message it moves: a run of one.
    HistoryAction newMail = Run(1, 7);
    newMail.command = L"New mail";
    int newMailCompactions = 0;
    const Timings recordNewMail = RecordMany(
        kNewMailRecords, [&] { return newMail; }, newMailCompactions);
    const HistoryAction large = Run(1000, 999999);
    int largeCompactions = 0;
    const Timings record = RecordMany(
        kLargeRecords, [&] { return large; }, largeCompactions, kCommandPause);
    int emptyCompactions = 0;
    const Timings recordEmpty = RecordMany(
        kRecordRuns, [] { return Run(0, 5); }, emptyCompactions);
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
    const Timings firstRecord = TimeFirstRecords([&] { return newMail; }, false);
    const Timings preparedRecord = TimeFirstRecords([&] { return newMail; }, true);
    Timings compaction;
    for (int run = 0; run < kCompactionRuns; ++run)
        compaction.runs.push_back(TimeCompaction([&] { return large; }));
    // Faster than any command: the file outgrows the compactions.
    int backToBackCompactions = 0;
    const Timings backToBack = RecordMany(
        kLargeRecords, [&] { return large; }, backToBackCompactions);
    const auto row = [&](const std::string& step, const Timings& timings,
                         const std::string& target) {
        table.AddRow({step, FormatMs(timings.Median()), FormatMs(timings.Mean()),
                      FormatMs(timings.Worst()), target});
    };
    const auto pageRow = [&](const std::string& step, const Timings& timings,
                             const std::string& target) {
        if (timings.runs.empty())
            table.AddRow({step, "no display", "-", "-", target});
        else
            row(step, timings, target);
    };
    row("record a \"New mail\" run of 1 message (full history, " + std::to_string(kNewMailRecords) +
            " records, " + Compactions(newMailCompactions) + ")",
        recordNewMail, "5 ms worst");
    row("record a run of 1,000 messages (full history, " + std::to_string(kLargeRecords) +
            " records " + std::to_string(kCommandPause) + " ms apart, " +
            Compactions(largeCompactions) + ")",
        record, "1 ms, 5 ms worst");
    row("  the same back to back (" + Compactions(backToBackCompactions) + ")", backToBack, "-");
    row("  of which its line's text (" + FormatCount(static_cast<long long>(lineBytes)) + " bytes)",
        format, "-");
    row("record a run without messages (" + std::to_string(kRecordRuns) + " records, " +
            Compactions(emptyCompactions) + ")",
        recordEmpty, "5 ms worst");
    row("compact that history (on the worker thread, from the record that starts it)", compaction,
        "-");
    row("load 200 runs of 20 messages (" + ordinarySize + ")", loadOrdinary, "50 ms");
    pageRow("open the History page, 200 runs of 20 (" + std::to_string(rows) + " rows)", pageOpen,
            "50 ms");
    pageRow("open the History page, no history", emptyPageOpen, "-");
    row("load 200 runs of 1,000 messages (" + largeSize + ")", loadLarge, "-");
    row("  the same listed for the page, without the messages", listLarge, "50 ms");
    row("  the first record of a session, which reads it", firstRecord, "-");
    row("  the same after start-up had it learnt on the worker thread", preparedRecord,
        "5 ms worst");
    table.AddNote(
        "a record appends one line; one record in 50 past 200 (or past 26 MB) starts a "
        "compaction of the whole file on a worker thread, which records do not wait for;");
    table.AddNote("  back to back, runs of 1,000 messages outgrow it, and a record now and then "
                  "rewrites the file itself");
    table.Print();

    WaitForHistoryCompaction();
    std::filesystem::remove_all(std::filesystem::path(folder));
    SetHistoryFolder(previous);
}

} // namespace sw::bench
