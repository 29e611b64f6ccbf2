// The "MAPI" namespace: the way to the mailbox's default folders.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class Namespace final : public DispatchObject {
public:
    explicit Namespace(HostShare host)
        : DispatchObject(std::move(host), L"Namespace", {kIidNamespace}) {
        AddMethod(L"GetDefaultFolder", 1, 1, [this](Invocation& call) {
            long number = 0;
            if (HRESULT hr = call.GetLong(0, number); FAILED(hr))
                return hr;
            Folder* folder = this->host().mailbox.DefaultFolder(number);
            if (!folder)
                return HRESULT(kErrorNotFound);
            call.ReturnObject(MakeFolder(hostShare(), *folder));
            return S_OK;
        });
    }
};

} // namespace

com_ptr<IDispatch> MakeNamespace(HostShare host) {
    return MakeDispatch<Namespace>(std::move(host));
}

} // namespace sw::sim
