// Explorer: the window that shows a folder and the user's selection in it,
// its command bars and its events (Activate); and the Explorers collection,
// whose events say when a window opens (NewExplorer).
#include "sim/outlook/connection_point.h"
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class Explorer final : public DispatchObject {
public:
    explicit Explorer(HostShare host)
        : DispatchObject(std::move(host), L"Explorer", {kIidExplorer}),
          m_events(*this, kind(), hostShare(), kIidExplorerEvents10,
                   this->host().mailbox.commandBars().explorerSinks()) {
        AddProperty(L"CurrentFolder", [this](Invocation& call) {
            call.ReturnObject(MakeFolder(hostShare(), this->host().mailbox.currentFolder()));
            return S_OK;
        });
        AddProperty(L"Selection", [this](Invocation& call) {
            const Mailbox& box = this->host().mailbox;
            call.ReturnObject(
                MakeSelection(hostShare(), box.selection(), box.selectedConversations()));
            return S_OK;
        });
        AddProperty(L"CommandBars", [this](Invocation& call) {
            call.ReturnObject(MakeCommandBars(hostShare()));
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

// The add-in asks it for nothing but its events.
class Explorers final : public DispatchObject {
public:
    explicit Explorers(HostShare host)
        : DispatchObject(std::move(host), L"Explorers", {kIidExplorers}),
          m_events(*this, kind(), hostShare(), kIidExplorersEvents,
                   this->host().mailbox.commandBars().explorersSinks()) {}

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** out) noexcept override {
        return m_events.Query(iid, out);
    }

private:
    EventContainer m_events;
};

} // namespace

com_ptr<IDispatch> MakeExplorer(HostShare host) {
    return MakeDispatch<Explorer>(std::move(host));
}

com_ptr<IDispatch> MakeExplorers(HostShare host) {
    return MakeDispatch<Explorers>(std::move(host));
}

} // namespace sw::sim
