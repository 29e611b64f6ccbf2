// The blocking commands' test fixture: the simulated Outlook, the real
// (Wine) registry with the profile's lists, the add-in's message boxes and
// a count of registry writes.
#pragma once

#include "platform/command_progress.h"
#include "sim/outlook/call_log.h"
#include "sim/outlook/outlook_session.h"
#include "store/history.h"
#include "store/profile_store.h"
#include "store/state.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/harness/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace sw::test {

struct WriteCounter {
    static inline int writes = 0;
    static inline ImportPatch* patch = nullptr;
    static LONG WINAPI Hook(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data,
                            DWORD size) {
        ++writes;
        return patch->original<decltype(&RegSetValueExW)>()(key, name, reserved, type, data, size);
    }
};

class BlockCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAddinState();
        g_host.capabilities = HostCapabilities(12);
        g_host.profileName = L"Command Test";
        RegistrySandbox::CreateKey(ListKey());
        g_host.hostApp = m_outlook.Application();
        WriteCounter::writes = 0;
        WriteCounter::patch = &m_writes;
        // Every run is noted in the history: in a folder of the test's own.
        m_previousHistory = SetHistoryFolder(m_historyFolder);
    }
    void TearDown() override {
        ResetAddinState();
        SetHistoryFolder(m_previousHistory);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_historyFolder), ignored);
    }

    static std::wstring ListKey() {
        return ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey);
    }
    static void StoreBlocked(const std::wstring& list) {
        RegistrySandbox::SetText(ListKey(), L"001f041a", list, REG_BINARY);
    }
    static void StoreSafe(const std::wstring& list) {
        RegistrySandbox::SetText(ListKey(), L"001f0418", list, REG_BINARY);
    }
    static std::wstring StoredBlocked() {
        return RegistrySandbox::GetText(ListKey(), L"001f041a").value_or(L"<none>");
    }

    // Makes `outlook`, a host of version `major`, the one the commands reach.
    static void UseHost(sim::OutlookSession& outlook, int major) {
        g_host.capabilities = HostCapabilities(major);
        RegistrySandbox::CreateKey(ListKey()); // under Office's key from 15 on
        g_host.hostApp = outlook.Application();
    }

    sim::Mailbox& box() { return m_outlook.mailbox(); }
    sim::Item& Mail(const std::wstring& sender, std::vector<std::wstring> recipients = {
                                                    L"me@corp.example", L"you@corp.example"}) {
        return box().AddMail(box().Inbox(), sender, recipients);
    }
    bool InJunk(const sim::Item& item) { return box().JunkEmail().contains(item); }

    RegistrySandbox m_sandbox;
    MessageRecorder m_messages;
    ImportPatch m_writes{"advapi32.dll", "RegSetValueExW",
                         reinterpret_cast<void*>(&WriteCounter::Hook)};
    sim::OutlookSession m_outlook{L"12.0.0.6423"};
    std::wstring m_historyFolder = ScratchPath(L"history");
    std::wstring m_previousHistory;
};

// Stands in for the progress window: counts its steps and asks to stop at
// `stopAt` (0: never).
struct ProgressProbe final : CommandProgress {
    static inline size_t shown = 0;
    static inline size_t total = 0;
    static inline size_t stopAt = 0;
    static inline std::vector<size_t> steps;
    static std::unique_ptr<CommandProgress> Make(const std::wstring&, size_t items, unsigned) {
        ++shown;
        total = items;
        return std::make_unique<ProgressProbe>();
    }
    bool Step(size_t done, size_t) override {
        steps.push_back(done);
        return stopAt == 0 || done < stopAt;
    }
};

// How many calls of `member` the log holds, on any object.
inline size_t CallsOf(const sim::CallLog& log, const wchar_t* member) {
    size_t count = 0;
    for (const sim::CallRecord& record : log.records())
        count += record.member == member ? 1 : 0;
    return count;
}

} // namespace sw::test
