// Calls into any IDispatch the way an automation client does: by name or
// DISPID, arguments passed as VARIANTs. Test, demo and event-firing code use
// it to drive simulated objects and the add-in's sinks.
#pragma once

#include "platform/automation.h"
#include "platform/com_ptr.h"

#include <oaidl.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace sw::sim {

// One argument value (copyable: copies the VARIANT).
class DispArg {
public:
    DispArg(long value);
    DispArg(int value) : DispArg(static_cast<long>(value)) {}
    DispArg(short value); // VT_I2
    DispArg(const wchar_t* text);
    DispArg(IDispatch* object);
    // VT_BYREF to the caller's VARIANT, which must outlive the call.
    static DispArg ByRef(VARIANT* target);
    // An optional argument left out (VT_ERROR DISP_E_PARAMNOTFOUND).
    static DispArg Missing();

    DispArg(const DispArg& other);
    DispArg& operator=(const DispArg& other);
    const VARIANT& get() const noexcept { return m_value.get(); }

private:
    DispArg() = default;
    unique_variant m_value;
};

struct DispatchResult {
    HRESULT hr = E_FAIL;    // what Invoke (or GetIDsOfNames) returned
    HRESULT error = E_FAIL; // hr, or EXCEPINFO::scode when hr is DISP_E_EXCEPTION
    unique_variant value;

    bool ok() const noexcept { return SUCCEEDED(hr); }
    // The result as an object (null unless VT_DISPATCH or VT_UNKNOWN with IDispatch).
    com_ptr<IDispatch> object() const;
    // The result coerced to text or to a 32-bit integer (empty / 0 if it cannot be).
    std::wstring text() const;
    long number() const;
};

DispatchResult InvokeId(IDispatch* object, DISPID id, WORD flags, const std::vector<DispArg>& args);
DispatchResult InvokeName(IDispatch* object, const wchar_t* name, WORD flags,
                          const std::vector<DispArg>& args);
// DISPATCH_PROPERTYGET of a property.
DispatchResult GetProperty(IDispatch* object, const wchar_t* name);
// DISPATCH_METHOD of a method, arguments in their declared order.
DispatchResult CallMethod(IDispatch* object, const wchar_t* name,
                          std::initializer_list<DispArg> args = {});

} // namespace sw::sim
