#include "bench/scratch_registry.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace sw::bench {
namespace {

unique_hkey OpenOrCreate(HKEY parent, const std::wstring& path) {
    unique_hkey key;
    if (RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create a scratch registry key");
    return key;
}

void SetValue(const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
              DWORD bytes) {
    unique_hkey key = OpenOrCreate(HKEY_CURRENT_USER, path);
    if (RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) !=
        ERROR_SUCCESS)
        throw std::runtime_error("cannot set a scratch registry value");
}

} // namespace

ScratchRegistry::ScratchRegistry()
    : m_path(L"Software\\SpamwardenBench\\" + std::to_wstring(GetCurrentProcessId())),
      m_root(OpenOrCreate(HKEY_CURRENT_USER, m_path)) {
    if (RegOverridePredefKey(HKEY_CURRENT_USER, m_root.get()) != ERROR_SUCCESS)
        throw std::runtime_error("cannot redirect HKEY_CURRENT_USER");
    CreateKey(L"Software");
}

ScratchRegistry::~ScratchRegistry() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    m_root.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
}

void ScratchRegistry::CreateKey(const std::wstring& path) {
    OpenOrCreate(HKEY_CURRENT_USER, path);
}

void ScratchRegistry::SetBinaryText(const std::wstring& path, const std::wstring& name,
                                    const std::wstring& text) {
    SetValue(path, name, REG_BINARY, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScratchRegistry::SetText(const std::wstring& path, const std::wstring& name,
                              const std::wstring& text) {
    SetValue(path, name, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScratchRegistry::SetBinary(const std::wstring& path, const std::wstring& name,
                                const void* data, unsigned long bytes) {
    SetValue(path, name, REG_BINARY, data, bytes);
}

void ScratchRegistry::SetDword(const std::wstring& path, const std::wstring& name,
                               unsigned long value) {
    const DWORD data = value;
    SetValue(path, name, REG_DWORD, &data, sizeof data);
}

std::wstring ScratchRegistry::GetText(const std::wstring& path, const std::wstring& name) {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return {};
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(data.data(), size / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

} // namespace sw::bench
