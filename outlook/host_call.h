// Late-bound calls into the host's automation objects, by member name.
//
// A call that must yield an object and yields none throws HostError(E_POINTER);
// other failures yield nothing: a failed text reads as empty, a failed count
// as 0, and a failed method call is returned to the caller, who checks it.
// The calls that turn a failure into a default record it with the file and
// line of their caller (`where`, filled in by the compiler).
#pragma once

#include "platform/automation.h"
#include "platform/com_ptr.h"
#include "platform/diagnostics.h"

#include <oaidl.h>

#include <initializer_list>
#include <optional>
#include <string>

namespace sw {

using Dispatch = com_ptr<IDispatch>;

// Invokes `name` with `args` (in call order). The result goes to `result`.
[[nodiscard]] HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                                   std::initializer_list<const VARIANT*> args,
                                   unique_variant& result);

// Property or method result that must be an object.
Dispatch GetObject(IDispatch* object, const wchar_t* name, CallSite where = CallSite::Here());
Dispatch CallForObject(IDispatch* object, const wchar_t* name,
                       std::initializer_list<const VARIANT*> args,
                       CallSite where = CallSite::Here());
// The object a property or method yields, or null when the call fails (the
// failure is recorded) or yields none: for objects the caller can do without.
Dispatch FindObject(IDispatch* object, const wchar_t* name,
                    std::initializer_list<const VARIANT*> args = {},
                    CallSite where = CallSite::Here());
// FindObject that also tells why it found nothing: `failure` is S_OK when
// the call succeeded (whether or not it yielded an object), else the host's
// own code, which an automation exception carries in its EXCEPINFO, or the
// call's HRESULT. For callers that tell "not there" from a failing host.
Dispatch FindObject(IDispatch* object, const wchar_t* name,
                    std::initializer_list<const VARIANT*> args, HRESULT& failure,
                    CallSite where = CallSite::Here());
// A collection's element at a 1-based index, passed as a 32-bit integer.
Dispatch GetItem(IDispatch* collection, LONG index, CallSite where = CallSite::Here());

std::wstring GetText(IDispatch* object, const wchar_t* name, CallSite where = CallSite::Here());
LONG GetLong(IDispatch* object, const wchar_t* name, CallSite where = CallSite::Here());
// A number property, or nothing when the call fails (the failure is
// recorded) or yields no number: for numbers where 0 means something.
std::optional<LONG> FindLong(IDispatch* object, const wchar_t* name,
                             CallSite where = CallSite::Here());
// A collection's Count.
LONG GetCount(IDispatch* collection, CallSite where = CallSite::Here());

[[nodiscard]] HRESULT CallMethod(IDispatch* object, const wchar_t* name,
                                 std::initializer_list<const VARIANT*> args);
[[nodiscard]] HRESULT PutProperty(IDispatch* object, const wchar_t* name, const VARIANT& value);

// The object's interface `iid` as a dispatch interface, or null when it has none.
Dispatch QueryDispatch(IDispatch* object, REFIID iid);

} // namespace sw
