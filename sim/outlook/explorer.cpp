// Explorer: the window that shows a folder and the user's selection in it,
// and its command bars.
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class Explorer final : public DispatchObject {
public:
    explicit Explorer(HostShare host)
        : DispatchObject(std::move(host), L"Explorer", {kIidExplorer}) {
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
};

} // namespace

com_ptr<IDispatch> MakeExplorer(HostShare host) {
    return MakeDispatch<Explorer>(std::move(host));
}

} // namespace sw::sim
