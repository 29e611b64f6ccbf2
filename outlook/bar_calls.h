// Host calls of the command-bar surface that must succeed: a failure of the
// host is raised as HostError with the host's own code, and a call that must
// yield an object and yields none raises E_POINTER.
#pragma once

#include "outlook/host_call.h"
#include "platform/automation.h"

#include <initializer_list>
#include <string>

namespace sw {

// Argument values as the command-bar interfaces take them.
unique_variant OmittedArgument() noexcept;          // VT_ERROR DISP_E_PARAMNOTFOUND
unique_variant ShortArgument(SHORT value) noexcept; // VT_I2
unique_variant BoolArgument(bool value) noexcept;   // VT_BOOL

// Invokes `name` (a property read or a method) and answers the object it yields.
Dispatch RequireObjectCall(IDispatch* object, const wchar_t* name,
                           std::initializer_list<const VARIANT*> args = {});
// Reads a property that must be read.
std::wstring RequireText(IDispatch* object, const wchar_t* name);
LONG RequireLong(IDispatch* object, const wchar_t* name);
// Sets a property that must be set.
void RequirePut(IDispatch* object, const wchar_t* name, const VARIANT& value);

// Controls.Add(type, omitted id, omitted parameter, before, temporary := true):
// `before` 0 leaves the position out, so the control comes last.
Dispatch AddTemporaryControl(IDispatch* controls, LONG type, LONG before = 0);

} // namespace sw
