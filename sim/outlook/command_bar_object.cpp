// CommandBar: one bar, its name, visibility and controls.
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/command_bar_part.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class CommandBarObject final : public CommandBarPart {
public:
    CommandBarObject(HostShare host, std::shared_ptr<CommandBar> bar)
        : CommandBarPart(std::move(host), L"CommandBar", {kIidCommandBar}), m_bar(std::move(bar)) {
        AddLiveProperty(L"Name", [this](Invocation& call) {
            call.ReturnText(m_bar->name());
            return S_OK;
        });
        AddBoolField(L"Visible", m_bar->visible);
        AddLiveProperty(L"Controls", [this](Invocation& call) {
            call.ReturnObject(MakeCommandBarControls(
                hostShare(), std::shared_ptr<CommandBarControls>(m_bar, &m_bar->controls())));
            return S_OK;
        });
    }

    CommandBar& bar() const noexcept { return *m_bar; }

protected:
    bool removed() const noexcept override { return m_bar->removed(); }

private:
    std::shared_ptr<CommandBar> m_bar;
};

} // namespace

com_ptr<IDispatch> MakeCommandBar(HostShare host, std::shared_ptr<CommandBar> bar) {
    return MakeDispatch<CommandBarObject>(std::move(host), std::move(bar));
}

CommandBar* CommandBarOf(IDispatch* object) noexcept {
    auto bar = DispatchObject::From<CommandBarObject>(object);
    return bar ? &bar->bar() : nullptr;
}

} // namespace sw::sim
