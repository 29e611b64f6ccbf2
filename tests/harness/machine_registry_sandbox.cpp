#include "tests/harness/machine_registry_sandbox.h"

#include <gtest/gtest.h>

#include <atomic>

namespace sw::test {
namespace {

std::atomic<int> g_machineSandboxCount{0};

HKEY CreateVolatile(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
    EXPECT_EQ(rc, ERROR_SUCCESS) << "creating a machine sandbox key";
    return rc == ERROR_SUCCESS ? key : nullptr;
}

} // namespace

MachineRegistrySandbox::MachineRegistrySandbox() {
    // The parent handle is kept so that clean-up does not depend on whatever
    // HKEY_CURRENT_USER is redirected to by then.
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_ALL_ACCESS, &m_parent),
              ERROR_SUCCESS);
    m_name = L"SpamwardenMachineSandbox-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++g_machineSandboxCount);
    if (m_parent)
        m_root = CreateVolatile(m_parent, m_name);
    if (m_root) {
        EXPECT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_root), ERROR_SUCCESS);
    }
}

MachineRegistrySandbox::~MachineRegistrySandbox() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    if (m_root) {
        RegDeleteTreeW(m_root, nullptr);
        RegCloseKey(m_root);
    }
    if (m_parent) {
        RegDeleteKeyW(m_parent, m_name.c_str());
        RegCloseKey(m_parent);
    }
}

void MachineRegistrySandbox::CreateKey(const std::wstring& path) {
    if (HKEY key = CreateVolatile(HKEY_LOCAL_MACHINE, path))
        RegCloseKey(key);
}

void MachineRegistrySandbox::SetValue(const std::wstring& path, const std::wstring& name,
                                      DWORD type, const void* data, DWORD bytes) {
    HKEY key = CreateVolatile(HKEY_LOCAL_MACHINE, path);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void MachineRegistrySandbox::SetText(const std::wstring& path, const std::wstring& name,
                                     const std::wstring& text, DWORD type) {
    SetValue(path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

} // namespace sw::test
