#include "tests/installer/registry_probe.h"

#include "platform/registry_key.h"

#include <vector>

namespace sw::test {
namespace {

std::wstring WithoutFinalBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

std::wstring Describe(const RegistryEntry& entry) {
    return entry.key + L" [" + (entry.name.empty() ? L"(default)" : entry.name) + L"]";
}

} // namespace

REGSAM OtherRegistryView() {
    return sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view) {
    unique_hkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

std::wstring Mismatch(const RegistryEntry& entry) {
    unique_hkey key;
    if (RegOpenKeyExW(entry.root, entry.key.c_str(), 0, KEY_QUERY_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return Describe(entry) + L": key missing";
    const wchar_t* name = entry.name.empty() ? nullptr : entry.name.c_str();
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return Describe(entry) + L": value missing";
    if (type != entry.type)
        return Describe(entry) + L": type " + std::to_wstring(type);
    std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
    RegQueryValueExW(key.get(), name, nullptr, nullptr, data.data(), &bytes);
    if (type == REG_DWORD) {
        const DWORD number = *reinterpret_cast<const DWORD*>(data.data());
        return number == entry.number ? std::wstring()
                                      : Describe(entry) + L": " + std::to_wstring(number);
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()));
    const bool same = entry.folder
                          ? WithoutFinalBackslash(text) == WithoutFinalBackslash(entry.text)
                          : text == entry.text;
    return same ? std::wstring()
                : Describe(entry) + L": \"" + text + L"\", not \"" + entry.text + L"\"";
}

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return narrow;
}

} // namespace sw::test
