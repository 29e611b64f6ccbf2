// Start-up and shutdown of the Connect object as the host drives it: created
// in process, connected to the simulated Outlook, start-up completed (profile
// name through the simulated MAPI, account keys, settings root, and on
// Outlook 2007 the toolbar), then disconnected and released.
#include "addin/connect.h"
#include "dll/add_in_object.h"
#include "bench/bench_profile.h"
#include "bench/sample_lists.h"
#include "bench/scratch_history.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "platform/unique_handle.h"
#include "sim/outlook/outlook_session.h"
#include "store/history.h"
#include "store/state.h"

#include <cstdio>
#include <stdexcept>

namespace sw::bench {
namespace {

constexpr int kRuns = 50;
constexpr size_t kStoredEntries = 65535; // in the profile, as a heavy user's

// A new Connect object, null when it could not be made.
com_ptr<_IDTExtensibility2> NewConnect() {
    com_ptr<_IDTExtensibility2> object;
    if (CreateAddInObject(nullptr, IID__IDTExtensibility2, object.put_void()) != S_OK)
        return nullptr;
    return object;
}

struct Host {
    const wchar_t* version;
    int major;
    int accounts;
    const char* label;
};

void BenchHost(Table& table, const Host& host, const std::wstring& stored) {
    ScratchRegistry registry;
    ResetAddinState();
    const size_t accounts = CreateBenchProfile(host.major, host.accounts).size();
    StoreBlockedList(stored);
    // Start-up must find the profile itself.
    g_host.capabilities = HostCapabilities(0);
    g_host.profileName.clear();

    sim::OutlookSession outlook(host.version);
    Timings connect, startup, both, shutdown;
    int failures = 0;
    for (int run = 0; run < kRuns; ++run) {
        com_ptr<_IDTExtensibility2> object = NewConnect();
        if (!object) {
            ++failures;
            continue;
        }
        com_ptr<IDispatch> application = outlook.Application();

        Stopwatch watch;
        const HRESULT connected =
            object->OnConnection(application.get(), ext_cm_Startup, nullptr, nullptr);
        const double connectMs = watch.Milliseconds();
        const HRESULT started = object->OnStartupComplete(nullptr);
        const double bothMs = watch.Milliseconds();
        if (connected != S_OK || started != S_OK || g_host.profileName != kBenchProfile ||
            g_host.accountKeys.size() != accounts)
            ++failures;

        object->OnBeginShutdown(nullptr);
        Stopwatch stop;
        object->OnDisconnection(ext_dm_HostShutdown, nullptr);
        shutdown.runs.push_back(stop.Milliseconds());

        connect.runs.push_back(connectMs);
        startup.runs.push_back(bothMs - connectMs);
        both.runs.push_back(bothMs);
        object = nullptr;
        application = nullptr;
        ResetAddinState();
        outlook.Restart();
    }
    table.AddRow({host.label, FormatMs(connect.Median()), FormatMs(startup.Median()),
                  FormatMs(both.Median()), FormatMs(both.Worst()), "1,000 ms",
                  FormatMs(shutdown.Median()), FormatMs(shutdown.Worst()), "500 ms",
                  failures ? std::to_string(failures) + " FAILED" : "ok"});
}

constexpr int kCompactingRuns = 20;

// The history's size once compacted, and past which a record compacts it.
constexpr ULONGLONG kCompactedBytes = 24ull * 1024 * 1024;
constexpr ULONGLONG kCompactingBytes = 26ull * 1024 * 1024;

ULONGLONG HistoryBytes() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(HistoryFilePath().c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A run of 1,000 messages with Exchange-sized ids, numbered `number`.
HistoryAction LargeRun(size_t number) {
    HistoryAction action;
    action.command = L"Block Senders";
    action.entries = {L"sender" + std::to_wstring(number) + L"@example.com"};
    const std::wstring store(300, L'5');
    const std::wstring folder(92, L'F');
    for (size_t i = 0; i < 1000; ++i) {
        std::wstring id(140, L'A');
        const std::wstring tail = std::to_wstring(number * 1000 + i);
        id.replace(id.size() - tail.size(), tail.size(), tail);
        action.messages.push_back({id, store, folder});
    }
    return action;
}

void RecordOrThrow(HistoryAction action) {
    if (!RecordHistoryAction(std::move(action)))
        throw std::runtime_error("RecordHistoryAction failed");
}

// Disconnection while the worker thread compacts a history of 24 MB: the
// compaction is held up, as on a slow disk, until disconnection returns.
void BenchShutdownWhileCompacting(Table& table) {
    ScratchRegistry registry;
    ScratchHistory history;
    ResetAddinState();
    static_cast<void>(CreateBenchProfile(16, 0)); // no accounts to count here
    sim::OutlookSession outlook(L"16.0.0.4266");
    const unique_handle held(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const unique_handle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    size_t number = 0;
    while (HistoryBytes() < kCompactedBytes)
        RecordOrThrow(LargeRun(number++));
    WaitForHistoryCompaction();
    SetHistoryCompactionHook([&] {
        SetEvent(held.get());
        WaitForSingleObject(release.get(), 30000);
    });

    Timings shutdown;
    int failures = 0;
    for (int run = 0; run < kCompactingRuns; ++run) {
        com_ptr<IDispatch> application = outlook.Application();
        com_ptr<_IDTExtensibility2> object = NewConnect();
        if (!object ||
            object->OnConnection(application.get(), ext_cm_Startup, nullptr, nullptr) != S_OK ||
            object->OnStartupComplete(nullptr) != S_OK) {
            ++failures;
            continue;
        }
        // One record past 26 MB starts the compaction.
        while (HistoryBytes() <= kCompactingBytes)
            RecordOrThrow(LargeRun(number++));
        if (WaitForSingleObject(held.get(), 30000) != WAIT_OBJECT_0)
            ++failures;
        object->OnBeginShutdown(nullptr);
        Stopwatch stop;
        object->OnDisconnection(ext_dm_HostShutdown, nullptr);
        shutdown.runs.push_back(stop.Milliseconds());
        SetEvent(release.get());
        WaitForHistoryCompaction();
        ResetEvent(release.get());
        ResetEvent(held.get());
        object = nullptr;
        application = nullptr;
        ResetAddinState();
        outlook.Restart();
    }
    SetHistoryCompactionHook({});
    table.AddRow({"Outlook 2016, the history (24 MB) compacting at disconnection", "-", "-", "-",
                  "-", "-", FormatMs(shutdown.Median()), FormatMs(shutdown.Worst()), "150 ms",
                  failures ? std::to_string(failures) + " FAILED" : "ok"});
}

} // namespace

void RunStartupBench() {
    Table table("Start-up and shutdown of Connect in the simulated Outlook, " +
                    std::to_string(kRuns) + " runs each (the first one cold)",
                {"host", "OnConnection", "OnStartupComplete", "both: median", "worst",
                 "Outlook's limit", "OnDisconnection", "worst", "limit", "runs"});
    const std::wstring stored = ListText(BlockedEntries(kStoredEntries));
    BenchHost(table, {L"16.0.0.4266", 16, 2, "Outlook 2016, 2 accounts (ribbon)"}, stored);
    BenchHost(table, {L"12.0.0.6423", 12, 0, "Outlook 2007 (toolbar)"}, stored);
    BenchShutdownWhileCompacting(table);
    table.AddNote("medians; OnDisconnection has nothing to put back here (see the "
                  "ReapplyBlockedAdditions table for 1,000 additions); the last row " +
                  std::to_string(kCompactingRuns) + " runs, each while the worker compacts");
    table.Print();
}

} // namespace sw::bench
