#include "outlook/host_call.h"

#include "outlook/host_error.h"
#include "platform/diagnostics.h"

#include <vector>

namespace sw {
namespace {

// Properties and argument-less methods are read alike, as automation
// clients do: the host's type information decides which one it is.
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

void RequireObject(IDispatch* object) {
    if (!object)
        throw HostError(E_POINTER);
}

// A host call whose failure the caller turns into a default (an empty text,
// 0, a missing object) is recorded with the member's name, at the caller's
// file and line.
HRESULT Recorded(HRESULT hr, const wchar_t* name, const CallSite& where) noexcept {
    if (FAILED(hr))
        detail::LogFailure(where.file, where.line, name, hr, false, L"host call");
    return hr;
}

Dispatch ObjectFrom(const VARIANT& value) {
    Dispatch object;
    if (value.vt == VT_DISPATCH && value.pdispVal)
        object = Dispatch(value.pdispVal);
    else if (value.vt == VT_UNKNOWN && value.punkVal)
        value.punkVal->QueryInterface(IID_IDispatch, object.put_void());
    if (!object)
        throw HostError(E_POINTER);
    return object;
}

// An automation exception's description, owned: its texts are freed with it.
class AutomationException {
public:
    AutomationException() noexcept = default;
    AutomationException(const AutomationException&) = delete;
    AutomationException& operator=(const AutomationException&) = delete;
    ~AutomationException() {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }

    EXCEPINFO* get() noexcept { return &m_info; }
    // The code the host raised, where `hr` says it raised one that has it.
    HRESULT Code(HRESULT hr) noexcept {
        if (hr != DISP_E_EXCEPTION)
            return hr;
        if (m_info.pfnDeferredFillIn)
            static_cast<void>(m_info.pfnDeferredFillIn(&m_info)); // fills in scode or not
        return FAILED(m_info.scode) ? m_info.scode : hr;
    }

private:
    EXCEPINFO m_info = {};
};

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags,
               std::initializer_list<const VARIANT*> args, unique_variant& result,
               EXCEPINFO* exception) {
    RequireObject(object);
    result.reset();
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
        return hr;

    // Automation takes the arguments last to first; the variants stay owned by
    // the caller.
    std::vector<VARIANTARG> reversed(args.size());
    size_t i = args.size();
    for (const VARIANT* arg : args)
        reversed[--i] = *arg;

    DISPPARAMS params = {};
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<UINT>(reversed.size());
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.put(),
                          exception, nullptr);
}

} // namespace

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                     std::initializer_list<const VARIANT*> args, unique_variant& result) {
    return Invoke(object, name, flags, args, result, nullptr);
}

Dispatch GetObject(IDispatch* object, const wchar_t* name, CallSite where) {
    unique_variant result;
    Recorded(InvokeByName(object, name, kGet, {}, result), name, where);
    return ObjectFrom(result.get());
}

Dispatch CallForObject(IDispatch* object, const wchar_t* name,
                       std::initializer_list<const VARIANT*> args, CallSite where) {
    unique_variant result;
    Recorded(InvokeByName(object, name, kGet, args, result), name, where);
    return ObjectFrom(result.get());
}

Dispatch FindObject(IDispatch* object, const wchar_t* name,
                    std::initializer_list<const VARIANT*> args, CallSite where) {
    HRESULT ignored = S_OK; // recorded, and nothing found is all the caller needs
    return FindObject(object, name, args, ignored, where);
}

Dispatch FindObject(IDispatch* object, const wchar_t* name,
                    std::initializer_list<const VARIANT*> args, HRESULT& failure, CallSite where) {
    unique_variant result;
    AutomationException exception;
    failure = Recorded(exception.Code(Invoke(object, name, kGet, args, result, exception.get())),
                       name, where);
    if (FAILED(failure))
        return nullptr;
    failure = S_OK;
    Dispatch found;
    if (result.type() == VT_DISPATCH && V_DISPATCH(&result.get()))
        found = Dispatch(V_DISPATCH(&result.get()));
    return found;
}

Dispatch GetItem(IDispatch* collection, LONG index, CallSite where) {
    const unique_variant position = unique_variant::FromLong(index);
    return CallForObject(collection, L"Item", {&position.get()}, where);
}

std::wstring GetText(IDispatch* object, const wchar_t* name, CallSite where) {
    unique_variant result;
    if (FAILED(Recorded(InvokeByName(object, name, kGet, {}, result), name, where)))
        return {};
    if (result.get().vt == VT_BSTR)
        return BstrText(result.get().bstrVal);
    unique_variant text;
    if (FAILED(VariantChangeType(text.put(), const_cast<VARIANT*>(&result.get()), 0, VT_BSTR)))
        return {};
    return BstrText(text.get().bstrVal);
}

LONG GetLong(IDispatch* object, const wchar_t* name, CallSite where) {
    return FindLong(object, name, where).value_or(0);
}

std::optional<LONG> FindLong(IDispatch* object, const wchar_t* name, CallSite where) {
    unique_variant result;
    if (FAILED(Recorded(InvokeByName(object, name, kGet, {}, result), name, where)))
        return std::nullopt;
    unique_variant number;
    if (FAILED(VariantChangeType(number.put(), const_cast<VARIANT*>(&result.get()), 0, VT_I4)))
        return std::nullopt;
    return number.get().lVal;
}

LONG GetCount(IDispatch* collection, CallSite where) {
    return GetLong(collection, L"Count", where);
}

HRESULT CallMethod(IDispatch* object, const wchar_t* name,
                   std::initializer_list<const VARIANT*> args) {
    unique_variant result;
    return InvokeByName(object, name, DISPATCH_METHOD, args, result);
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, const VARIANT& value) {
    unique_variant result;
    return InvokeByName(object, name, DISPATCH_PROPERTYPUT, {&value}, result);
}

Dispatch QueryDispatch(IDispatch* object, REFIID iid) {
    RequireObject(object);
    Dispatch result;
    if (FAILED(object->QueryInterface(iid, result.put_void())))
        result.reset();
    return result;
}

} // namespace sw
