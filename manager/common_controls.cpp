#include "manager/common_controls.h"

#include "manager/resource.h"
#include "platform/module.h"

#include <commctrl.h>

namespace sw {
namespace {

template <class Function> Function ProcAddress(HMODULE module, const char* name) noexcept {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

CommonControls::CommonControls() noexcept {
    wchar_t path[MAX_PATH] = {};
    const HINSTANCE module = AddinModule();
    GetModuleFileNameW(module, path, MAX_PATH);

    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path;
    request.hModule = module;
    request.lpResourceName = MAKEINTRESOURCEW(IDR_MANAGER_MANIFEST);
    // Without the manifest the sheet still works, in the classic look.
    m_context = CreateActCtxW(&request);
    if (m_context != INVALID_HANDLE_VALUE)
        m_activated = ActivateActCtx(m_context, &m_cookie) != FALSE;

    // Loaded inside the context, the name resolves to version 6.
    m_comctl32 = LoadLibraryW(L"comctl32.dll");
    if (!m_comctl32)
        return;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = ProcAddress<InitFunction>(m_comctl32, "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
        init(&classes);
    }
    m_propertySheet = ProcAddress<PropertySheetFunction>(m_comctl32, "PropertySheetW");
}

CommonControls::~CommonControls() {
    if (m_comctl32)
        FreeLibrary(m_comctl32);
    if (m_activated)
        DeactivateActCtx(0, m_cookie);
    if (m_context != INVALID_HANDLE_VALUE)
        ReleaseActCtx(m_context);
}

INT_PTR CommonControls::PropertySheet(const PROPSHEETHEADERW& header) const noexcept {
    return m_propertySheet ? m_propertySheet(&header) : -1;
}

} // namespace sw
