#include "dll/class_factory.h"

#include "dll/add_in_object.h"
#include "platform/module_lock.h"

#include <atomic>

namespace sw {
namespace {

class ConnectFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The object itself is never freed, but its code is the module's: every
    // reference the host holds keeps the module loaded.
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        LockModule();
        return ++m_refs + 1;
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG refs = --m_refs;
        UnlockModule();
        return refs + 1;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                             void** object) noexcept override {
        return CreateAddInObject(outer, iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
        if (lock)
            LockModule();
        else
            UnlockModule();
        return S_OK;
    }

private:
    std::atomic<ULONG> m_refs{0};
};

} // namespace

IClassFactory* ConnectClassFactory() noexcept {
    // Stateless and never freed: COM may hold it while the module is loaded.
    static ConnectFactory factory;
    return &factory;
}

} // namespace sw
