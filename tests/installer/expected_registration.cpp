#include "tests/installer/expected_registration.h"

#include "addin/registrar.h"
#include "addin/resources/server_ids.h"
#include "addin/server.h"
#include "platform/automation.h"
#include "platform/com_ptr.h"

#include <oleauto.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace sw::test {
namespace {

// The universal marshaler that RegisterTypeLib names for automation interfaces.
constexpr wchar_t kAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

class unique_module {
public:
    explicit unique_module(HMODULE module) noexcept : m_module(module) {}
    unique_module(const unique_module&) = delete;
    unique_module& operator=(const unique_module&) = delete;
    ~unique_module() {
        if (m_module)
            FreeLibrary(m_module);
    }
    HMODULE get() const noexcept { return m_module; }

private:
    HMODULE m_module;
};

RegistryEntry Text(std::wstring key, std::wstring name, std::wstring text) {
    RegistryEntry entry;
    entry.root = HKEY_CLASSES_ROOT;
    entry.key = std::move(key);
    entry.name = std::move(name);
    entry.text = std::move(text);
    return entry;
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring Hex(unsigned value) {
    wchar_t text[16] = {};
    wsprintfW(text, L"%x", value);
    return text;
}

std::wstring LoadScript(const std::wstring& dllPath) {
    unique_module module(LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module.get())
        return {};
    HRSRC found =
        FindResourceW(module.get(), MAKEINTRESOURCEW(IDR_REGISTRATION_SCRIPT), L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(module.get(), found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return {};
    const DWORD size = SizeofResource(module.get(), found);
    return std::wstring(bytes, bytes + size); // the script is ASCII
}

void AddScriptKey(ExpectedRegistration& expected, HKEY root, const std::wstring& parent,
                  const ScriptKey& key, bool underOwnKey) {
    const std::wstring path = parent.empty() ? key.name : parent + L"\\" + key.name;
    const bool own = underOwnKey || !key.noRemove;
    if (own && !underOwnKey)
        expected.ownKeys.emplace_back(root, path);
    if (!own)
        expected.sharedKeys.emplace_back(root, path);
    expected.keys.emplace_back(root, path);
    for (const ScriptValue& value : key.values) {
        RegistryEntry entry;
        entry.root = root;
        entry.key = path;
        entry.name = value.name;
        entry.type = value.isDword ? REG_DWORD : REG_SZ;
        entry.text = value.text;
        entry.number = value.number;
        expected.values.push_back(entry);
    }
    for (const ScriptKey& child : key.children)
        AddScriptKey(expected, root, path, child, own);
}

void AddScript(ExpectedRegistration& expected, const std::wstring& dllPath) {
    const std::wstring script = LoadScript(dllPath);
    ASSERT_FALSE(script.empty()) << "no registration script in the DLL";
    try {
        for (const ScriptRoot& root :
             ParseRegistrationScript(script, ScriptReplacements(dllPath))) {
            for (const ScriptKey& key : root.keys)
                AddScriptKey(expected, root.root, L"", key, false);
        }
    } catch (const std::invalid_argument& error) {
        FAIL() << "the registration script does not parse: " << error.what();
    }
}

void AddTypeLibrary(ExpectedRegistration& expected, const std::wstring& dllPath,
                    const std::wstring& helpFolder) {
    com_ptr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(dllPath.c_str(), REGKIND_NONE, library.put()), S_OK)
        << "no type library in the DLL";
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    const TLIBATTR attr = *attributes;
    library->ReleaseTLibAttr(attributes);
    // The library must describe the platform it was built for.
    EXPECT_EQ(attr.syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);

    unique_bstr docString;
    library->GetDocumentation(-1, nullptr, docString.put(), nullptr, nullptr);
    const std::wstring libraryId = GuidText(attr.guid);
    const std::wstring version =
        std::to_wstring(attr.wMajorVerNum) + L"." + std::to_wstring(attr.wMinorVerNum);
    const std::wstring versionKey = L"TypeLib\\" + libraryId + L"\\" + version;
    const wchar_t* platform = attr.syskind == SYS_WIN64 ? L"win64" : L"win32";

    expected.ownKeys.emplace_back(HKEY_CLASSES_ROOT, L"TypeLib\\" + libraryId);
    expected.values.push_back(Text(versionKey, L"", docString.get() ? docString.get() : L""));
    expected.values.push_back(
        Text(versionKey + L"\\" + Hex(attr.lcid) + L"\\" + platform, L"", dllPath));
    expected.values.push_back(
        Text(versionKey + L"\\FLAGS", L"",
             std::to_wstring(attr.wLibFlags & ~static_cast<unsigned>(LIBFLAG_FHASDISKIMAGE))));
    RegistryEntry helpDir = Text(versionKey + L"\\HELPDIR", L"", helpFolder);
    helpDir.folder = true;
    expected.values.push_back(helpDir);

    // Automation interfaces: dispatch interfaces and dual or oleautomation ones.
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        com_ptr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(index, info.put())))
            continue;
        TYPEATTR* typeAttributes = nullptr;
        if (FAILED(info->GetTypeAttr(&typeAttributes)))
            continue;
        const TYPEATTR type = *typeAttributes;
        info->ReleaseTypeAttr(typeAttributes);
        const bool automation = type.typekind == TKIND_DISPATCH ||
                                (type.typekind == TKIND_INTERFACE &&
                                 (type.wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)));
        if (!automation)
            continue;
        unique_bstr name;
        library->GetDocumentation(static_cast<INT>(index), name.put(), nullptr, nullptr, nullptr);
        const std::wstring key = L"Interface\\" + GuidText(type.guid);
        expected.ownKeys.emplace_back(HKEY_CLASSES_ROOT, key);
        expected.values.push_back(Text(key, L"", name.get()));
        expected.values.push_back(Text(key + L"\\ProxyStubClsid", L"", kAutomationProxy));
        expected.values.push_back(Text(key + L"\\ProxyStubClsid32", L"", kAutomationProxy));
        expected.values.push_back(Text(key + L"\\TypeLib", L"", libraryId));
        expected.values.push_back(Text(key + L"\\TypeLib", L"Version", version));
    }
}

void MoveToUser(HKEY& root, std::wstring& key) {
    if (root == HKEY_CLASSES_ROOT)
        key = L"Software\\Classes\\" + key;
    root = HKEY_CURRENT_USER;
}

} // namespace

ExpectedRegistration ForOneUser(ExpectedRegistration machine) {
    for (RegistryEntry& entry : machine.values)
        MoveToUser(entry.root, entry.key);
    for (auto* keys : {&machine.keys, &machine.ownKeys, &machine.sharedKeys}) {
        for (auto& [root, key] : *keys)
            MoveToUser(root, key);
    }
    return machine;
}

ExpectedRegistration ExpectedRegistrationOf(const std::wstring& dllPath,
                                            const std::wstring& helpFolder) {
    ExpectedRegistration expected;
    AddScript(expected, dllPath);
    AddTypeLibrary(expected, dllPath, helpFolder);
    return expected;
}

} // namespace sw::test
