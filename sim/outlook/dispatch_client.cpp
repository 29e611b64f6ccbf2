#include "sim/outlook/dispatch_client.h"

namespace sw::sim {

namespace {

// The variant functions take their source by non-const pointer but do not change it.
VARIANT* Source(const VARIANT& v) noexcept {
    return const_cast<VARIANT*>(&v);
}

} // namespace

DispArg::DispArg(long value) {
    V_VT(&m_value.get()) = VT_I4;
    V_I4(&m_value.get()) = value;
}

DispArg::DispArg(short value) {
    V_VT(&m_value.get()) = VT_I2;
    V_I2(&m_value.get()) = value;
}

DispArg::DispArg(const wchar_t* text) {
    V_VT(&m_value.get()) = VT_BSTR;
    V_BSTR(&m_value.get()) = SysAllocString(text);
}

DispArg::DispArg(IDispatch* object) {
    V_VT(&m_value.get()) = VT_DISPATCH;
    V_DISPATCH(&m_value.get()) = object;
    if (object)
        object->AddRef();
}

DispArg DispArg::ByRef(VARIANT* target) {
    DispArg arg;
    V_VT(&arg.m_value.get()) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&arg.m_value.get()) = target;
    return arg;
}

DispArg DispArg::Missing() {
    DispArg arg;
    V_VT(&arg.m_value.get()) = VT_ERROR;
    V_ERROR(&arg.m_value.get()) = DISP_E_PARAMNOTFOUND;
    return arg;
}

DispArg::DispArg(const DispArg& other) {
    VariantCopy(&m_value.get(), Source(other.m_value.get()));
}

DispArg& DispArg::operator=(const DispArg& other) {
    if (this != &other)
        VariantCopy(m_value.put(), Source(other.m_value.get()));
    return *this;
}

com_ptr<IDispatch> DispatchResult::object() const {
    const VARIANT& v = value.get();
    if (V_VT(&v) == VT_DISPATCH)
        return com_ptr<IDispatch>(V_DISPATCH(&v));
    com_ptr<IDispatch> result;
    if (V_VT(&v) == VT_UNKNOWN && V_UNKNOWN(&v))
        V_UNKNOWN(&v)->QueryInterface(IID_IDispatch, result.put_void());
    return result;
}

std::wstring DispatchResult::text() const {
    unique_variant converted;
    if (FAILED(VariantChangeType(converted.put(), Source(value.get()), 0, VT_BSTR)))
        return {};
    BSTR b = V_BSTR(&converted.get());
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

long DispatchResult::number() const {
    unique_variant converted;
    if (FAILED(VariantChangeType(converted.put(), Source(value.get()), 0, VT_I4)))
        return 0;
    return V_I4(&converted.get());
}

DispatchResult InvokeId(IDispatch* object, DISPID id, WORD flags,
                        const std::vector<DispArg>& args) {
    DispatchResult result;
    if (!object) {
        result.hr = result.error = E_POINTER;
        return result;
    }
    // rgvarg holds the arguments last first; the values stay owned by `args`.
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(it->get());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &putId;
    }
    EXCEPINFO excep{};
    UINT argError = 0;
    result.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               result.value.put(), &excep, &argError);
    result.error = result.hr;
    if (result.hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn)
            excep.pfnDeferredFillIn(&excep);
        result.error = excep.scode ? excep.scode : HRESULT(0x80040200 + excep.wCode);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
    return result;
}

DispatchResult InvokeName(IDispatch* object, const wchar_t* name, WORD flags,
                          const std::vector<DispArg>& args) {
    DispatchResult result;
    if (!object) {
        result.hr = result.error = E_POINTER;
        return result;
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    result.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    result.error = result.hr;
    if (FAILED(result.hr))
        return result;
    return InvokeId(object, id, flags, args);
}

DispatchResult GetProperty(IDispatch* object, const wchar_t* name) {
    return InvokeName(object, name, DISPATCH_PROPERTYGET, {});
}

DispatchResult CallMethod(IDispatch* object, const wchar_t* name,
                          std::initializer_list<DispArg> args) {
    return InvokeName(object, name, DISPATCH_METHOD, std::vector<DispArg>(args));
}

} // namespace sw::sim
