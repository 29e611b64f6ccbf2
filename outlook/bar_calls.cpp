#include "outlook/bar_calls.h"

#include "outlook/host_error.h"

namespace sw {
namespace {

constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

void Require(HRESULT hr) {
    if (FAILED(hr))
        throw HostError(hr);
}

} // namespace

unique_variant OmittedArgument() noexcept {
    unique_variant value;
    V_VT(&value.get()) = VT_ERROR;
    V_ERROR(&value.get()) = DISP_E_PARAMNOTFOUND;
    return value;
}

unique_variant ShortArgument(SHORT number) noexcept {
    unique_variant value;
    V_VT(&value.get()) = VT_I2;
    V_I2(&value.get()) = number;
    return value;
}

unique_variant BoolArgument(bool flag) noexcept {
    unique_variant value;
    V_VT(&value.get()) = VT_BOOL;
    V_BOOL(&value.get()) = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

Dispatch RequireObjectCall(IDispatch* object, const wchar_t* name,
                           std::initializer_list<const VARIANT*> args) {
    unique_variant result;
    Require(InvokeByName(object, name, kGet, args, result));
    const VARIANT& value = result.get();
    Dispatch answer;
    if (V_VT(&value) == VT_DISPATCH && V_DISPATCH(&value))
        answer = Dispatch(V_DISPATCH(&value));
    else if (V_VT(&value) == VT_UNKNOWN && V_UNKNOWN(&value))
        V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, answer.put_void());
    if (!answer)
        throw HostError(E_POINTER);
    return answer;
}

std::wstring RequireText(IDispatch* object, const wchar_t* name) {
    unique_variant result;
    Require(InvokeByName(object, name, kGet, {}, result));
    if (result.type() == VT_BSTR)
        return BstrText(V_BSTR(&result.get()));
    unique_variant text;
    Require(VariantChangeType(text.put(), &result.get(), 0, VT_BSTR));
    return BstrText(V_BSTR(&text.get()));
}

LONG RequireLong(IDispatch* object, const wchar_t* name) {
    unique_variant result;
    Require(InvokeByName(object, name, kGet, {}, result));
    unique_variant number;
    Require(VariantChangeType(number.put(), &result.get(), 0, VT_I4));
    return V_I4(&number.get());
}

void RequirePut(IDispatch* object, const wchar_t* name, const VARIANT& value) {
    Require(PutProperty(object, name, value));
}

Dispatch AddTemporaryControl(IDispatch* controls, LONG type, LONG before) {
    const unique_variant kind = unique_variant::FromLong(type);
    const unique_variant omitted = OmittedArgument();
    const unique_variant place = before > 0 ? unique_variant::FromLong(before) : OmittedArgument();
    const unique_variant temporary = ShortArgument(-1);
    return RequireObjectCall(
        controls, L"Add",
        {&kind.get(), &omitted.get(), &omitted.get(), &place.get(), &temporary.get()});
}

} // namespace sw
