#include "addin/ribbon.h"

#include "addin/resource_text.h"
#include "platform/automation.h"
#include "platform/module.h"
#include "platform/resource_ids.h"

#include <climits>
#include <string_view>

namespace sw {

namespace {

constexpr std::wstring_view kExplorerRibbon = L"Microsoft.Outlook.Explorer";

bool IsExplorerRibbon(BSTR ribbonId) noexcept {
    // Embedded NULs count: "Microsoft.Outlook.Explorer\0x" is another id.
    return ribbonId &&
           CompareStringOrdinal(ribbonId, static_cast<int>(SysStringLen(ribbonId)),
                                kExplorerRibbon.data(), static_cast<int>(kExplorerRibbon.size()),
                                TRUE) == CSTR_EQUAL;
}

HRESULT LastErrorResult() noexcept {
    DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace

HRESULT GetRibbonDocument(BSTR ribbonId, BSTR* xml) noexcept {
    if (!xml)
        return E_POINTER;
    if (!IsExplorerRibbon(ribbonId))
        return E_POINTER;

    // The document is an RCDATA resource without a terminator: its size is
    // the length of the text.
    HINSTANCE module = AddinModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(IDR_RIBBON_XML), RT_RCDATA);
    if (!info)
        return LastErrorResult();
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text || size == 0 || size > INT_MAX)
        return E_FAIL;

    try {
        std::wstring decoded;
        if (const HRESULT hr = DecodeUtf8Resource(std::string_view(text, size), decoded);
            FAILED(hr))
            return hr;
        unique_bstr document;
        *document.put() = SysAllocStringLen(decoded.data(), static_cast<UINT>(decoded.size()));
        if (!document.get())
            return E_OUTOFMEMORY;
        *xml = document.release();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY; // the decoded copy
    }
}

} // namespace sw
