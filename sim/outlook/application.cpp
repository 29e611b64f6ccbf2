// Application: the object the host hands to add-ins, and the source of the
// ApplicationEvents_11 events.
#include "sim/outlook/connection_point.h"
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class Application final : public DispatchObject {
public:
    explicit Application(HostShare host)
        : DispatchObject(std::move(host), L"Application", {kIidApplication}),
          m_events(*this, kind(), hostShare(), kIidApplicationEvents11,
                   this->host().mailbox.commandBars().applicationSinks()) {
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
        AddProperty(L"Explorers", [this](Invocation& call) {
            call.ReturnObject(MakeExplorers(hostShare()));
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

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** out) noexcept override {
        return m_events.Query(iid, out);
    }

private:
    EventContainer m_events;
};

} // namespace

com_ptr<IDispatch> MakeApplication(HostShare host) {
    return MakeDispatch<Application>(std::move(host));
}

} // namespace sw::sim
