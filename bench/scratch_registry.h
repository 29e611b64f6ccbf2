// Redirects HKEY_CURRENT_USER into a throw-away key of the real (Wine)
// registry while the object lives, and deletes that key afterwards, so that a
// benchmark never touches the user's own settings or mail profiles.
#pragma once

#include "platform/registry_key.h"

#include <string>

namespace sw::bench {

class ScratchRegistry {
public:
    ScratchRegistry();
    ~ScratchRegistry();
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // Paths are relative to the redirected HKEY_CURRENT_USER.
    static void CreateKey(const std::wstring& path);
    static void SetBinaryText(const std::wstring& path, const std::wstring& name,
                              const std::wstring& text);
    static void SetText(const std::wstring& path, const std::wstring& name,
                        const std::wstring& text);
    static void SetBinary(const std::wstring& path, const std::wstring& name, const void* data,
                          unsigned long bytes);
    static void SetDword(const std::wstring& path, const std::wstring& name, unsigned long value);
    // The UTF-16 text of a value, a final 0 unit excluded; empty when absent.
    static std::wstring GetText(const std::wstring& path, const std::wstring& name);

private:
    std::wstring m_path; // below the real HKEY_CURRENT_USER
    unique_hkey m_root;
};

} // namespace sw::bench
