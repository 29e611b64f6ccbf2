#include "platform/module.h"

namespace sw {

HINSTANCE AddinModule() noexcept {
    // Set once, and the same for the module's whole life.
    static HINSTANCE module = [] {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&AddinModule), &self);
        return static_cast<HINSTANCE>(self);
    }();
    return module;
}

} // namespace sw
