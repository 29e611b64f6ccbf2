// Start-up and shutdown of the Connect object as the host drives it: created
// in process, connected to the simulated Outlook, start-up completed (profile
// name through the simulated MAPI, account keys, settings root, and on
// Outlook 2007 the toolbar), then disconnected and released.
#include "addin/connect.h"
#include "bench/bench_profile.h"
#include "bench/sample_lists.h"
#include "bench/scratch_registry.h"
#include "bench/sections.h"
#include "bench/table.h"
#include "bench/timing.h"
#include "sim/outlook/outlook_session.h"
#include "store/state.h"

#include <cstdio>

namespace sw::bench {
namespace {

constexpr int kRuns = 50;
constexpr size_t kStoredEntries = 65535; // in the profile, as a heavy user's

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
        com_ptr<_IDTExtensibility2> object;
        if (Connect::Create(nullptr, IID__IDTExtensibility2, object.put_void()) != S_OK) {
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

} // namespace

void RunStartupBench() {
    Table table("Start-up and shutdown of Connect in the simulated Outlook, " +
                    std::to_string(kRuns) + " runs each (the first one cold)",
                {"host", "OnConnection", "OnStartupComplete", "both: median", "worst",
                 "Outlook's limit", "OnDisconnection", "worst", "limit", "runs"});
    const std::wstring stored = ListText(BlockedEntries(kStoredEntries));
    BenchHost(table, {L"16.0.0.4266", 16, 2, "Outlook 2016, 2 accounts (ribbon)"}, stored);
    BenchHost(table, {L"12.0.0.6423", 12, 0, "Outlook 2007 (toolbar)"}, stored);
    table.AddNote("medians; OnDisconnection has nothing to put back here (see the "
                  "ReapplyBlockedAdditions table for 1,000 additions)");
    table.Print();
}

} // namespace sw::bench
