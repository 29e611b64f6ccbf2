// Host failures travel inside the add-in as exceptions that carry an HRESULT.
#pragma once

#include "platform/diagnostics.h"

#include <windows.h>

#include <string>

namespace sw {

class HostError : public CodedError {
public:
    explicit HostError(HRESULT code) noexcept : CodedError(code) {}
    const char* what() const noexcept override { return "host operation failed"; }
};

// The text shown to the user for a host failure: the system's message for the
// code without its final line break; else "IDispatch error #n" for the
// interface-defined range 0x80040200-0x8004FFFF; else "Unknown error 0x...".
std::wstring HostErrorText(HRESULT code);

// Shows HostErrorText(code) in the add-in's message box.
void ShowHostError(HRESULT code) noexcept;

} // namespace sw
