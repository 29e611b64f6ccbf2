// Application: the object the host hands to add-ins.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class Application final : public DispatchObject {
public:
    explicit Application(HostShare host)
        : DispatchObject(std::move(host), L"Application", {kIidApplication}) {
        AddProperty(L"Version", [this](Invocation& call) {
            call.ReturnText(this->host().version);
            return S_OK;
        });
        AddMethod(L"ActiveExplorer", 0, 0, [this](Invocation& call) {
            // Without an explorer window Outlook answers Nothing.
            call.ReturnObject(this->host().mailbox.explorerOpen() ? MakeExplorer(hostShare())
                                                                  : nullptr);
            return S_OK;
        });
        AddMethod(L"GetNamespace", 1, 1, [this](Invocation& call) {
            std::wstring type;
            if (HRESULT hr = call.GetText(0, type); FAILED(hr))
                return hr;
            if (!SameName(type, L"MAPI"))
                return E_INVALIDARG;
            call.ReturnObject(MakeNamespace(hostShare()));
            return S_OK;
        });
    }
};

} // namespace

com_ptr<IDispatch> MakeApplication(HostShare host) {
    return MakeDispatch<Application>(std::move(host));
}

} // namespace sw::sim
