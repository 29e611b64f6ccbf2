// What registering Spamwarden.dll writes, derived from the DLL itself: the
// keys and values of its registration script (resource REGISTRY 102, with
// its markers replaced as the DLL replaces them, %MODULE% by `dllPath`) and those that
// RegisterTypeLib writes for its type library (resource TYPELIB 1). An installation that writes the
// registry through its own tables must leave exactly this.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sw::test {

struct RegistryEntry {
    HKEY root = nullptr;
    std::wstring key;
    std::wstring name; // empty: the default value
    DWORD type = REG_SZ;
    std::wstring text;
    DWORD number = 0;
    bool folder = false; // text names a folder: a final backslash does not count
};

struct ExpectedRegistration {
    std::vector<RegistryEntry> values;
    // Keys that must exist, with or without values (such as "Programmable").
    std::vector<std::pair<HKEY, std::wstring>> keys;
    // Keys that belong to the add-in alone: removal deletes them whole.
    std::vector<std::pair<HKEY, std::wstring>> ownKeys;
    // Keys the script only passes through (NoRemove): they belong to others.
    std::vector<std::pair<HKEY, std::wstring>> sharedKeys;
};

// Derives the registration of the DLL at `dllPath`, registered there with
// `helpFolder` as its type library's help folder. Fails the current test and
// returns what it found if the DLL lacks its script or type library.
ExpectedRegistration ExpectedRegistrationOf(const std::wstring& dllPath,
                                            const std::wstring& helpFolder);

// The same registration for one user, as an installation without
// administrator rights writes it: classes under HKCU\Software\Classes, the
// host's add-in key under HKCU.
ExpectedRegistration ForOneUser(ExpectedRegistration machine);

} // namespace sw::test
