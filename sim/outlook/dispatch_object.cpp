#include "sim/outlook/dispatch_object.h"

#include <algorithm>
#include <new>

namespace sw::sim {

namespace {

// Answers the simulated object itself; only this library asks for it.
// {0C26E7F9-8B60-41ED-9434-55D876C5F305}
constexpr IID kSimObjectIid = {
    0x0c26e7f9, 0x8b60, 0x41ed, {0x94, 0x34, 0x55, 0xd8, 0x76, 0xc5, 0xf3, 0x05}};

constexpr DISPID kFirstDispid = 1;

// Failures that concern the call itself rather than the host's work.
bool IsArgumentError(HRESULT hr) noexcept {
    switch (hr) {
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_BADVARTYPE:
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_NONAMEDARGS:
    case DISP_E_OVERFLOW:
    case DISP_E_PARAMNOTFOUND:
    case DISP_E_PARAMNOTOPTIONAL:
    case DISP_E_TYPEMISMATCH:
    case DISP_E_UNKNOWNINTERFACE:
        return true;
    default:
        return false;
    }
}

HRESULT ReportHostFailure(HRESULT hr, EXCEPINFO* excepInfo) noexcept {
    if (!excepInfo)
        return hr;
    *excepInfo = EXCEPINFO{};
    excepInfo->bstrSource = SysAllocString(L"Microsoft Outlook");
    excepInfo->scode = hr;
    return DISP_E_EXCEPTION;
}

} // namespace

DispatchObject::DispatchObject(std::shared_ptr<HostState> host, std::wstring kind,
                               std::initializer_list<IID> interfaces)
    : m_host(std::move(host)), m_kind(std::move(kind)), m_interfaces(interfaces) {
    m_host->refs.Created(m_kind);
}

DispatchObject::~DispatchObject() {
    m_host->refs.Destroyed(m_kind);
}

HRESULT DispatchObject::QueryInterface(REFIID iid, void** out) noexcept {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        if (iid == kSimObjectIid) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        m_host->calls.RecordQuery(m_kind, iid);
        if (auto hr = m_host->faults.OnQuery(m_kind, iid))
            return FAILED(*hr) ? *hr : E_NOINTERFACE;
        if (iid == IID_IUnknown || iid == IID_IDispatch ||
            std::find(m_interfaces.begin(), m_interfaces.end(), iid) != m_interfaces.end()) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return QueryOtherInterface(iid, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT DispatchObject::QueryOtherInterface(REFIID, void**) noexcept {
    return E_NOINTERFACE;
}

ULONG DispatchObject::AddRef() noexcept {
    m_host->refs.AddedRef(m_kind);
    return ++m_refs;
}

ULONG DispatchObject::Release() noexcept {
    m_host->refs.Released(m_kind);
    ULONG refs = --m_refs;
    if (refs == 0)
        delete this;
    return refs;
}

com_ptr<DispatchObject> DispatchObject::FromUnknown(IUnknown* object) noexcept {
    com_ptr<DispatchObject> result;
    if (object) {
        IDispatch* self = nullptr;
        if (SUCCEEDED(object->QueryInterface(kSimObjectIid, reinterpret_cast<void**>(&self))))
            result = com_ptr<DispatchObject>::attach(static_cast<DispatchObject*>(self));
    }
    return result;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) noexcept {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                      DISPID* ids) noexcept {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    try {
        // Names after the first would be parameter names; no member takes named arguments.
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (!names[0])
            return DISP_E_UNKNOWNNAME;
        const std::wstring wanted = names[0];
        for (const Member& member : m_members) {
            if (SameName(member.name, wanted)) {
                ids[0] = member.id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        }
        return DISP_E_UNKNOWNNAME;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

const DispatchObject::Member* DispatchObject::FindMember(DISPID id, WORD flags) const noexcept {
    // A method answers DISPATCH_METHOD and a property get DISPATCH_PROPERTYGET,
    // as a type library's Invoke does; callers may pass both flags.
    for (WORD kind :
         {WORD(DISPATCH_METHOD), WORD(DISPATCH_PROPERTYGET), WORD(DISPATCH_PROPERTYPUT)}) {
        WORD wanted = kind == DISPATCH_PROPERTYPUT
                          ? WORD(DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)
                          : kind;
        if (!(flags & wanted))
            continue;
        for (const Member& member : m_members) {
            if (member.id == id && member.kind == kind)
                return &member;
        }
    }
    return nullptr;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excepInfo, UINT* argError) noexcept {
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (result)
        VariantInit(result);
    DISPPARAMS none{};
    if (!params)
        params = &none;
    if (params->cArgs < params->cNamedArgs || (params->cArgs && !params->rgvarg) ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    const Member* member = FindMember(id, flags);
    if (!member)
        return DISP_E_MEMBERNOTFOUND;
    try {
        return InvokeMember(*member, *params, result, excepInfo, argError);
    } catch (const std::bad_alloc&) {
        return ReportHostFailure(E_OUTOFMEMORY, excepInfo);
    } catch (...) {
        return ReportHostFailure(E_UNEXPECTED, excepInfo);
    }
}

HRESULT DispatchObject::InvokeMember(const Member& member, DISPPARAMS& params, VARIANT* result,
                                     EXCEPINFO* excepInfo, UINT* argError) {
    const bool isPut = member.kind == DISPATCH_PROPERTYPUT;
    if (isPut) {
        if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
    } else if (params.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }

    m_host->calls.RecordInvoke(m_kind, member.name);
    const auto fault = m_host->faults.OnInvoke(m_kind, member.name);
    if (fault && fault->action() == FaultAction::Fail) {
        HRESULT hr = FAILED(fault->hr()) ? fault->hr() : E_FAIL;
        return IsArgumentError(hr) ? hr : ReportHostFailure(hr, excepInfo);
    }

    Invocation call(params, isPut);
    if (call.count() < member.minArgs || call.count() > member.maxArgs)
        return DISP_E_BADPARAMCOUNT;
    // Keep the object alive while its member runs, whatever the member releases.
    com_ptr<IDispatch> self(this);
    HRESULT hr = member.handler(call);
    if (FAILED(hr)) {
        if (!IsArgumentError(hr))
            return ReportHostFailure(hr, excepInfo);
        if (argError)
            *argError = call.argError();
        return hr;
    }
    if (fault) {
        call.result().reset();
        if (fault->action() == FaultAction::ReturnNullObject) {
            V_VT(&call.result().get()) = VT_DISPATCH;
            V_DISPATCH(&call.result().get()) = nullptr;
        }
    }
    if (result)
        call.result().release_to(result);
    return S_OK;
}

void DispatchObject::AddMember(std::wstring name, WORD kind, size_t minArgs, size_t maxArgs,
                               Handler handler) {
    DISPID id = kFirstDispid + static_cast<DISPID>(m_members.size());
    for (const Member& member : m_members) {
        if (SameName(member.name, name))
            id = member.id; // a get and a put of one property share their DISPID
    }
    m_members.push_back({std::move(name), id, kind, minArgs, maxArgs, std::move(handler)});
}

void DispatchObject::AddProperty(std::wstring name, Handler get) {
    AddMember(std::move(name), DISPATCH_PROPERTYGET, 0, 0, std::move(get));
}

void DispatchObject::AddPutProperty(std::wstring name, Handler put) {
    AddMember(std::move(name), DISPATCH_PROPERTYPUT, 0, 0, std::move(put));
}

void DispatchObject::AddMethod(std::wstring name, size_t minArgs, size_t maxArgs, Handler call) {
    AddMember(std::move(name), DISPATCH_METHOD, minArgs, maxArgs, std::move(call));
}

} // namespace sw::sim
