// Redirects HKEY_LOCAL_MACHINE into a throw-away volatile key for the lifetime
// of the object. Volatile keys are never written to the prefix's registry
// files, so nothing is left behind even if the test process dies; the key is
// deleted afterwards all the same.
#pragma once

#include <windows.h>

#include <string>

namespace sw::test {

class MachineRegistrySandbox {
public:
    MachineRegistrySandbox();
    ~MachineRegistrySandbox();
    MachineRegistrySandbox(const MachineRegistrySandbox&) = delete;
    MachineRegistrySandbox& operator=(const MachineRegistrySandbox&) = delete;

    // Paths below are relative to the redirected HKEY_LOCAL_MACHINE; missing
    // keys on the way are created (volatile).
    static void CreateKey(const std::wstring& path);
    static void SetValue(const std::wstring& path, const std::wstring& name, DWORD type,
                         const void* data, DWORD bytes);
    static void SetText(const std::wstring& path, const std::wstring& name,
                        const std::wstring& text, DWORD type = REG_SZ);

private:
    HKEY m_parent = nullptr; // the HKEY_CURRENT_USER\Software that holds the root
    std::wstring m_name;     // the root's name below m_parent
    HKEY m_root = nullptr;
};

} // namespace sw::test
