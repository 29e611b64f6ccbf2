#include "addin/server.h"

#include "addin/idl/spamwarden.h"
#include "addin/idl/typelib_version.h"
#include "addin/registrar.h"
#include "addin/resource_text.h"
#include "addin/resources/server_ids.h"
#include "platform/com_ptr.h"
#include "platform/diagnostics.h"
#include "platform/module.h"

#include <oleauto.h>

#include <stdexcept>
#include <vector>

namespace sw {
namespace {

std::wstring LoadScript() {
    HMODULE module = AddinModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_REGISTRATION_SCRIPT), L"REGISTRY");
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!bytes || size == 0)
        return {};
    std::wstring text;
    // Bytes that are not UTF-8 leave the script empty, which is refused.
    SW_LOG_IF_FAILED(DecodeUtf8Resource(std::string_view(bytes, size), text));
    return text;
}

std::vector<ScriptRoot> Script() {
    const std::wstring text = LoadScript();
    if (text.empty())
        throw std::invalid_argument("registration script missing");
    return ParseRegistrationScript(text, ScriptReplacements(ModulePath()));
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

HRESULT RegisterTypeLibrary() {
    const std::wstring path = ModulePath();
    com_ptr<ITypeLib> library;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
    if (FAILED(hr)) {
        // A type library file beside the module, with the module's base name.
        std::wstring tlb = path;
        const size_t dot = tlb.find_last_of(L'.');
        const size_t slash = tlb.find_last_of(L"\\/");
        if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
            tlb.resize(dot);
        tlb += L".tlb";
        hr = LoadTypeLibEx(tlb.c_str(), REGKIND_NONE, library.put());
        if (FAILED(hr))
            return hr;
    }
    std::wstring folder = FolderOf(path);
    return RegisterTypeLib(library.get(), const_cast<LPOLESTR>(path.c_str()),
                           folder.empty() ? nullptr : folder.data());
}

void UnregisterTypeLibrary() {
    using UnRegisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    auto unregister = oleaut ? reinterpret_cast<UnRegisterFn>(reinterpret_cast<void*>(
                                   GetProcAddress(oleaut, "UnRegisterTypeLib")))
                             : nullptr;
    if (!unregister)
        return;
    const HRESULT hr = unregister(LIBID_SPAMWARDENLib, SW_TYPELIB_MAJOR, SW_TYPELIB_MINOR,
                                  SW_TYPELIB_LCID, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    // A library that is not registered answers one of these: nothing to remove.
    if (hr != E_INVALIDARG && hr != TYPE_E_LIBNOTREGISTERED && hr != TYPE_E_REGISTRYACCESS)
        SW_LOG_IF_FAILED(hr);
}

} // namespace

std::vector<std::pair<std::wstring, std::wstring>>
ScriptReplacements(const std::wstring& modulePath) {
    return {{L"MODULE", modulePath},
            {L"CLSID", GuidText(CLSID_Connect)},
            {L"LIBID", GuidText(LIBID_SPAMWARDENLib)}};
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(AddinModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT RegisterServer() noexcept {
    try {
        SW_RETURN_IF_FAILED(RegisterScript(Script()));
        return SW_LOG_IF_FAILED(RegisterTypeLibrary());
    }
    SW_CATCH_RETURN()
}

HRESULT UnregisterServer() noexcept {
    // Each half removes what it can, whatever the other found.
    try {
        UnregisterScript(Script());
    }
    SW_CATCH_LOG()
    try {
        UnregisterTypeLibrary();
    }
    SW_CATCH_LOG()
    return S_OK;
}

} // namespace sw
