// Base of every simulated host object: a COM object reached only through
// IDispatch, with a table of named members (name -> DISPID -> handler).
// Names resolve without regard to case, as in Outlook. Every Invoke and
// interface query is recorded in the host's call log and passes the host's
// fault plan; every object counts in the host's reference tracker.
//
// A member that fails reports its HRESULT the way Outlook does: Invoke
// returns DISP_E_EXCEPTION with the code in EXCEPINFO::scode, or the code
// itself when the caller passed no EXCEPINFO. Argument errors
// (DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH, ...) are returned directly.
#pragma once

#include "platform/com_ptr.h"
#include "sim/outlook/host_state.h"
#include "sim/outlook/invocation.h"

#include <oaidl.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace sw::sim {

class DispatchObject : public IDispatch {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid,
                                          ITypeInfo** info) noexcept override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) noexcept override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argError) noexcept override;

    // The kind the call log and the reference tracker know the object by.
    const std::wstring& kind() const noexcept { return m_kind; }

    // The simulated object behind `object` if it is one of this host's
    // kind T, else null. Neither recorded nor subject to faults.
    template <class T> static com_ptr<T> From(IUnknown* object) noexcept {
        com_ptr<DispatchObject> base = FromUnknown(object);
        return com_ptr<T>(dynamic_cast<T*>(base.get()));
    }

protected:
    using Handler = std::function<HRESULT(Invocation&)>;

    // `interfaces`: further IIDs that answer with this IDispatch (the
    // object's own dispatch interface, such as _Application).
    DispatchObject(std::shared_ptr<HostState> host, std::wstring kind,
                   std::initializer_list<IID> interfaces = {});
    virtual ~DispatchObject();

    // Members: a property get takes no argument; a method takes from
    // `minArgs` to `maxArgs` positional arguments (missing ones included).
    void AddProperty(std::wstring name, Handler get);
    void AddPutProperty(std::wstring name, Handler put);
    void AddMethod(std::wstring name, size_t minArgs, size_t maxArgs, Handler call);

    // Interfaces beyond IUnknown, IDispatch and the constructor's list (a
    // connection-point container, for instance). Called after the query was
    // recorded and passed the fault plan.
    virtual HRESULT QueryOtherInterface(REFIID iid, void** out) noexcept;

    HostState& host() const noexcept { return *m_host; }
    const std::shared_ptr<HostState>& hostShare() const noexcept { return m_host; }

private:
    struct Member {
        std::wstring name;
        DISPID id;
        WORD kind; // DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT or DISPATCH_METHOD
        size_t minArgs;
        size_t maxArgs;
        Handler handler;
    };

    static com_ptr<DispatchObject> FromUnknown(IUnknown* object) noexcept;
    void AddMember(std::wstring name, WORD kind, size_t minArgs, size_t maxArgs, Handler handler);
    const Member* FindMember(DISPID id, WORD flags) const noexcept;
    HRESULT InvokeMember(const Member& member, DISPPARAMS& params, VARIANT* result,
                         EXCEPINFO* excepInfo, UINT* argError);

    std::shared_ptr<HostState> m_host;
    std::wstring m_kind;
    std::vector<IID> m_interfaces;
    std::vector<Member> m_members;
    ULONG m_refs = 0;
};

// Creates a simulated object with one reference for the caller.
template <class T, class... Args> com_ptr<IDispatch> MakeDispatch(Args&&... args) {
    return com_ptr<IDispatch>(new T(std::forward<Args>(args)...));
}

} // namespace sw::sim
