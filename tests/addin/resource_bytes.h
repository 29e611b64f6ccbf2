// Raw bytes of a resource linked into the test executable.
#pragma once

#include "platform/module.h"

#include <windows.h>

#include <string_view>

namespace sw::test {

// Empty when the module has no such resource.
inline std::string_view ResourceBytes(LPCWSTR type, WORD id) {
    HINSTANCE module = AddinModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string_view(bytes, SizeofResource(module, info)) : std::string_view();
}

} // namespace sw::test
