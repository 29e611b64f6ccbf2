// One IDispatch::Invoke call as a simulated member sees it: the caller's
// arguments with automation coercion, and the result being built.
#pragma once

#include "platform/automation.h"
#include "platform/com_ptr.h"

#include <oleauto.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace sw::sim {

class Invocation {
public:
    // Index of the assigned value of a property put.
    static constexpr size_t kPutValue = static_cast<size_t>(-1);

    Invocation(const DISPPARAMS& params, bool isPut) noexcept;
    Invocation(const Invocation&) = delete;
    Invocation& operator=(const Invocation&) = delete;

    // Positional arguments, in the caller's order (0 = first).
    size_t count() const noexcept { return m_positional; }
    // False for an argument not passed or passed as missing (VT_ERROR
    // DISP_E_PARAMNOTFOUND).
    bool has(size_t index) const noexcept;

    // Coerce the argument (VT_BYREF followed) and report DISP_E_TYPEMISMATCH
    // or DISP_E_PARAMNOTFOUND, remembering the argument for puArgErr.
    HRESULT GetLong(size_t index, long& out);
    HRESULT GetText(size_t index, std::wstring& out);
    HRESULT GetBool(size_t index, bool& out);
    // VT_DISPATCH or VT_UNKNOWN, by value or by reference; VT_EMPTY and
    // VT_NULL give a null pointer.
    HRESULT GetDispatch(size_t index, com_ptr<IDispatch>& out);

    void ReturnLong(long value);
    void ReturnText(std::wstring_view text);
    void ReturnBool(bool value);
    // A null `object` answers a null VT_DISPATCH, as Outlook's "Nothing".
    void ReturnObject(com_ptr<IDispatch> object);
    unique_variant& result() noexcept { return m_result; }

    // The rgvarg index of the argument that failed coercion.
    UINT argError() const noexcept { return m_argError; }

private:
    const VARIANT* Find(size_t index) const noexcept;
    HRESULT Coerce(size_t index, VARTYPE type, unique_variant& out);

    const DISPPARAMS& m_params;
    bool m_isPut;
    size_t m_positional;
    unique_variant m_result;
    UINT m_argError = 0;
};

} // namespace sw::sim
