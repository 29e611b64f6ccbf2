// Redirects HKEY_CURRENT_USER into a throw-away key of the real (Wine)
// registry for the lifetime of the object, and deletes that key afterwards.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sw::test {

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Paths below are relative to the redirected HKEY_CURRENT_USER.
    static void CreateKey(const std::wstring& path);
    static void DeleteKey(const std::wstring& path);
    static bool KeyExists(const std::wstring& path);
    static void SetValue(const std::wstring& path, const std::wstring& name, DWORD type,
                         const void* data, DWORD bytes);
    static void SetText(const std::wstring& path, const std::wstring& name,
                        const std::wstring& text, DWORD type = REG_SZ);
    static void SetDword(const std::wstring& path, const std::wstring& name, DWORD value);
    static void DeleteValue(const std::wstring& path, const std::wstring& name);

    struct Value {
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    static std::optional<Value> GetValue(const std::wstring& path, const std::wstring& name);
    // The value's data as UTF-16 code units, a final 0 unit excluded.
    static std::optional<std::wstring> GetText(const std::wstring& path, const std::wstring& name);

private:
    std::wstring m_path; // below the real HKEY_CURRENT_USER
    HKEY m_root = nullptr;
};

} // namespace sw::test
