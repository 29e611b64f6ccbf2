#include "sim/outlook/invocation.h"

#include <new>

namespace sw::sim {

namespace {

bool IsMissing(const VARIANT& v) noexcept {
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

} // namespace

Invocation::Invocation(const DISPPARAMS& params, bool isPut) noexcept
    : m_params(params), m_isPut(isPut), m_positional(params.cArgs - params.cNamedArgs) {}

const VARIANT* Invocation::Find(size_t index) const noexcept {
    if (index == kPutValue)
        return m_isPut && m_params.cNamedArgs > 0 ? &m_params.rgvarg[0] : nullptr;
    if (index >= m_positional)
        return nullptr;
    // Positional arguments follow the named ones, last argument first.
    return &m_params.rgvarg[m_params.cArgs - 1 - index];
}

bool Invocation::has(size_t index) const noexcept {
    const VARIANT* v = Find(index);
    return v && !IsMissing(*v);
}

HRESULT Invocation::Coerce(size_t index, VARTYPE type, unique_variant& out) {
    const VARIANT* v = Find(index);
    m_argError = index == kPutValue ? 0 : static_cast<UINT>(m_params.cArgs - 1 - index);
    if (!v || IsMissing(*v))
        return DISP_E_PARAMNOTFOUND;
    unique_variant direct;
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(v))))
        return DISP_E_TYPEMISMATCH;
    if (FAILED(VariantChangeType(out.put(), &direct.get(), 0, type)))
        return DISP_E_TYPEMISMATCH;
    return S_OK;
}

HRESULT Invocation::GetLong(size_t index, long& out) {
    unique_variant v;
    HRESULT hr = Coerce(index, VT_I4, v);
    if (SUCCEEDED(hr))
        out = V_I4(&v.get());
    return hr;
}

HRESULT Invocation::GetText(size_t index, std::wstring& out) {
    unique_variant v;
    HRESULT hr = Coerce(index, VT_BSTR, v);
    if (SUCCEEDED(hr)) {
        BSTR b = V_BSTR(&v.get());
        out.assign(b ? b : L"", b ? SysStringLen(b) : 0);
    }
    return hr;
}

HRESULT Invocation::GetBool(size_t index, bool& out) {
    unique_variant v;
    HRESULT hr = Coerce(index, VT_BOOL, v);
    if (SUCCEEDED(hr))
        out = V_BOOL(&v.get()) != VARIANT_FALSE;
    return hr;
}

HRESULT Invocation::GetDispatch(size_t index, com_ptr<IDispatch>& out) {
    out.reset();
    const VARIANT* v = Find(index);
    m_argError = index == kPutValue ? 0 : static_cast<UINT>(m_params.cArgs - 1 - index);
    if (!v || IsMissing(*v))
        return DISP_E_PARAMNOTFOUND;
    unique_variant direct;
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(v))))
        return DISP_E_TYPEMISMATCH;
    switch (direct.type()) {
    case VT_EMPTY:
    case VT_NULL:
        return S_OK;
    case VT_DISPATCH:
        out = com_ptr<IDispatch>(V_DISPATCH(&direct.get()));
        return S_OK;
    case VT_UNKNOWN:
        if (!V_UNKNOWN(&direct.get()))
            return S_OK;
        return SUCCEEDED(V_UNKNOWN(&direct.get())->QueryInterface(IID_IDispatch, out.put_void()))
                   ? S_OK
                   : DISP_E_TYPEMISMATCH;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

void Invocation::ReturnLong(long value) {
    VARIANT* v = m_result.put();
    V_VT(v) = VT_I4;
    V_I4(v) = value;
}

void Invocation::ReturnText(std::wstring_view text) {
    unique_bstr b(text);
    if (!b.get())
        throw std::bad_alloc();
    VARIANT* v = m_result.put();
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = b.release();
}

void Invocation::ReturnBool(bool value) {
    VARIANT* v = m_result.put();
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void Invocation::ReturnObject(com_ptr<IDispatch> object) {
    VARIANT* v = m_result.put();
    V_VT(v) = VT_DISPATCH;
    V_DISPATCH(v) = object.detach();
}

} // namespace sw::sim
