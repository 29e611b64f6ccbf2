// Version 6 of the common controls for the Options sheet, also when the
// code lives in a DLL inside a host that did not ask for it: an activation
// context made from the add-in module's manifest resource is active for the
// lifetime of a CommonControls object, and comctl32 is loaded inside it.
#pragma once

#include <windows.h>
#include <prsht.h>

namespace sw {

class CommonControls {
public:
    CommonControls() noexcept;
    ~CommonControls();
    CommonControls(const CommonControls&) = delete;
    CommonControls& operator=(const CommonControls&) = delete;

    // Whether comctl32 could be loaded; without it no sheet can be shown.
    explicit operator bool() const noexcept { return m_propertySheet != nullptr; }

    INT_PTR PropertySheet(const PROPSHEETHEADERW& header) const noexcept;

private:
    using PropertySheetFunction = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERW);

    HANDLE m_context = INVALID_HANDLE_VALUE;
    ULONG_PTR m_cookie = 0;
    bool m_activated = false;
    HMODULE m_comctl32 = nullptr;
    PropertySheetFunction m_propertySheet = nullptr;
};

} // namespace sw
