// A sandboxed registry with a test profile whose Blocked Senders list key
// exists, and the settings root set as at the host's start-up.
#pragma once

#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/registry_sandbox.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace sw::test {

class ManagerTest : public ::testing::Test {
protected:
    static constexpr wchar_t kBlockedValue[] = L"001f041a";
    static constexpr wchar_t kSettingsPath[] = L"software\\Tallpine\\Spamwarden";

    void SetUp() override {
        ResetAddinState();
        g_host.capabilities = HostCapabilities(12);
        g_host.profileName = L"Manager Test";
        SetSettingsRoot(HKEY_CURRENT_USER, kSettingsMaker);
        m_listKey = ProfileSubkeyPath(g_host.Profile(), kProfileListSubkey);
        RegistrySandbox::CreateKey(m_listKey);
    }
    void TearDown() override { ResetAddinState(); }

    void StoreList(const std::wstring& text) {
        RegistrySandbox::SetValue(m_listKey, kBlockedValue, REG_BINARY, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    std::optional<std::wstring> StoredList() const {
        return RegistrySandbox::GetText(m_listKey, kBlockedValue);
    }

    RegistrySandbox m_sandbox;
    std::wstring m_listKey;
};

} // namespace sw::test
