#include "sim/outlook/connection_point.h"

#include "platform/com_ptr.h"

#include <olectl.h>

#include <new>
#include <optional>

namespace sw::sim {

namespace {

constexpr wchar_t kConnectionPointKind[] = L"ConnectionPoint";

// Outcome of the fault plan for a call through a plain COM interface.
struct Entry {
    std::optional<HRESULT> failure; // return this code, do nothing
    bool answerNothing = false;     // do the work, hand back no result
};

Entry Enter(HostState& host, const std::wstring& kind, const wchar_t* member) {
    host.calls.RecordInvoke(kind, member);
    Entry entry;
    if (auto fault = host.faults.OnInvoke(kind, member)) {
        if (fault->action() == FaultAction::Fail)
            entry.failure = FAILED(fault->hr()) ? fault->hr() : E_FAIL;
        else
            entry.answerNothing = true;
    }
    return entry;
}

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(std::shared_ptr<HostState> host, IConnectionPointContainer* container,
                    const IID& eventIid, EventSinks& sinks)
        : m_host(std::move(host)), m_container(container), m_eventIid(eventIid), m_sinks(sinks) {
        m_host->refs.Created(kConnectionPointKind);
    }
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        try {
            m_host->calls.RecordQuery(kConnectionPointKind, iid);
            if (auto hr = m_host->faults.OnQuery(kConnectionPointKind, iid))
                return FAILED(*hr) ? *hr : E_NOINTERFACE;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        if (iid != IID_IUnknown && iid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        m_host->refs.AddedRef(kConnectionPointKind);
        return ++m_refs;
    }

    ULONG STDMETHODCALLTYPE Release() noexcept override {
        m_host->refs.Released(kConnectionPointKind);
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
        return Guarded(L"GetConnectionInterface", [&](const Entry&) {
            if (!iid)
                return E_POINTER;
            *iid = m_eventIid;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) noexcept override {
        return Guarded(L"GetConnectionPointContainer", [&](const Entry& entry) {
            if (!out)
                return E_POINTER;
            *out = nullptr;
            if (!entry.answerNothing) {
                *out = m_container.get();
                m_container->AddRef();
            }
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override {
        if (cookie)
            *cookie = 0;
        return Guarded(L"Advise", [&](const Entry& entry) {
            if (!sink || !cookie)
                return E_POINTER;
            // The sink must answer the dispinterface it is advised for.
            IDispatch* events = nullptr;
            if (FAILED(sink->QueryInterface(m_eventIid, reinterpret_cast<void**>(&events))) ||
                !events)
                return CONNECT_E_CANNOTCONNECT;
            DWORD given = m_sinks.Advise(com_ptr<IDispatch>::attach(events));
            m_host->refs.AddedRef(kAdvisedSinkKind);
            *cookie = entry.answerNothing ? 0 : given;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override {
        return Guarded(L"Unadvise", [&](const Entry&) {
            if (!m_sinks.Unadvise(cookie))
                return CONNECT_E_NOCONNECTION;
            m_host->refs.Released(kAdvisedSinkKind);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) noexcept override {
        return Guarded(L"EnumConnections", [&](const Entry&) {
            if (out)
                *out = nullptr;
            return E_NOTIMPL;
        });
    }

private:
    ~ConnectionPoint() { m_host->refs.Destroyed(kConnectionPointKind); }

    template <class Work> HRESULT Guarded(const wchar_t* member, Work work) noexcept {
        try {
            const Entry entry = Enter(*m_host, kConnectionPointKind, member);
            if (entry.failure)
                return *entry.failure;
            // Keep the connection point alive whatever the sinks release.
            com_ptr<IConnectionPoint> self(this);
            return work(entry);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

    std::shared_ptr<HostState> m_host;
    com_ptr<IConnectionPointContainer> m_container;
    IID m_eventIid;
    EventSinks& m_sinks;
    ULONG m_refs = 0;
};

} // namespace

EventContainer::EventContainer(IDispatch& owner, std::wstring ownerKind,
                               std::shared_ptr<HostState> host, const IID& eventIid,
                               EventSinks& sinks)
    : m_owner(owner), m_ownerKind(std::move(ownerKind)), m_host(std::move(host)),
      m_eventIid(eventIid), m_sinks(sinks) {}

HRESULT EventContainer::QueryInterface(REFIID iid, void** out) noexcept {
    return m_owner.QueryInterface(iid, out);
}

ULONG EventContainer::AddRef() noexcept {
    return m_owner.AddRef();
}

ULONG EventContainer::Release() noexcept {
    return m_owner.Release();
}

HRESULT EventContainer::Query(REFIID iid, void** out) noexcept {
    if (iid != IID_IConnectionPointContainer)
        return E_NOINTERFACE;
    *out = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
}

HRESULT EventContainer::EnumConnectionPoints(IEnumConnectionPoints** out) noexcept {
    if (out)
        *out = nullptr;
    try {
        const Entry entry = Enter(*m_host, m_ownerKind, L"EnumConnectionPoints");
        return entry.failure ? *entry.failure : E_NOTIMPL;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT EventContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** out) noexcept {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    try {
        const Entry entry = Enter(*m_host, m_ownerKind, L"FindConnectionPoint");
        if (entry.failure)
            return *entry.failure;
        if (iid != m_eventIid)
            return CONNECT_E_NOCONNECTION;
        if (entry.answerNothing)
            return S_OK;
        auto* point = new ConnectionPoint(m_host, this, m_eventIid, m_sinks);
        point->AddRef();
        *out = point;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace sw::sim
