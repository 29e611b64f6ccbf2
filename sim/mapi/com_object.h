// Reference counting and the interface query of a simulated MAPI object
// that answers one interface besides IUnknown.
#pragma once

#include <windows.h>

namespace sw::simmapi {

template <class Interface> class ComObject : public Interface {
public:
    explicit ComObject(const IID& iid) noexcept : m_iid(iid) {}
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    STDMETHODIMP QueryInterface(REFIID iid, LPVOID* object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, m_iid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return refs;
    }

private:
    const IID& m_iid;
    LONG m_refs = 1;
};

} // namespace sw::simmapi
