#include "tests/harness/registry_sandbox.h"

#include <gtest/gtest.h>

#include <atomic>

namespace sw::test {
namespace {

std::atomic<int> g_sandboxCount{0};

// The sandbox reaches the registry around any import patch a test installs,
// so that a test's own set-up is never counted or failed as the code's.
template <class F> F Advapi(const char* name) {
    return reinterpret_cast<F>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), name)));
}
const auto RealSetValue = Advapi<decltype(&RegSetValueExW)>("RegSetValueExW");
const auto RealQueryValue = Advapi<decltype(&RegQueryValueExW)>("RegQueryValueExW");

HKEY OpenOrCreate(const std::wstring& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
    EXPECT_EQ(rc, ERROR_SUCCESS) << "creating a sandbox key";
    return rc == ERROR_SUCCESS ? key : nullptr;
}

} // namespace

RegistrySandbox::RegistrySandbox() {
    m_path = L"Software\\SpamwardenTests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++g_sandboxCount);
    m_root = OpenOrCreate(m_path);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, m_root), ERROR_SUCCESS);
    CreateKey(L"Software"); // every user hive has it
}

RegistrySandbox::~RegistrySandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_root)
        RegCloseKey(m_root);
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
}

void RegistrySandbox::CreateKey(const std::wstring& path) {
    if (HKEY key = OpenOrCreate(path))
        RegCloseKey(key);
}

void RegistrySandbox::DeleteKey(const std::wstring& path) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
}

bool RegistrySandbox::KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void RegistrySandbox::SetValue(const std::wstring& path, const std::wstring& name, DWORD type,
                               const void* data, DWORD bytes) {
    HKEY key = OpenOrCreate(path);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(RealSetValue(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void RegistrySandbox::SetText(const std::wstring& path, const std::wstring& name,
                              const std::wstring& text, DWORD type) {
    SetValue(path, name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

void RegistrySandbox::SetDword(const std::wstring& path, const std::wstring& name, DWORD value) {
    SetValue(path, name, REG_DWORD, &value, sizeof value);
}

void RegistrySandbox::DeleteValue(const std::wstring& path, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name.c_str());
        RegCloseKey(key);
    }
}

std::optional<RegistrySandbox::Value> RegistrySandbox::GetValue(const std::wstring& path,
                                                                const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    Value value;
    DWORD size = 0;
    LONG rc = RealQueryValue(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        value.data.resize(size);
        rc = RealQueryValue(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> RegistrySandbox::GetText(const std::wstring& path,
                                                     const std::wstring& name) {
    auto value = GetValue(path, name);
    if (!value)
        return std::nullopt;
    std::wstring text(value->data.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(value->data[2 * i] | (value->data[2 * i + 1] << 8));
    if (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

} // namespace sw::test
