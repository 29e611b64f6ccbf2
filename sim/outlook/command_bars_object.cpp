// CommandBars: the explorer's command bars, by 1-based index or by name,
// Add, and the _CommandBarsEvents (OnUpdate) connection point.
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/connection_point.h"
#include "sim/outlook/dispatch_object.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class CommandBarsObject final : public DispatchObject {
public:
    explicit CommandBarsObject(HostShare host)
        : DispatchObject(std::move(host), L"CommandBars", {kIidCommandBars}),
          m_events(*this, kind(), hostShare(), kIidCommandBarsEvents, bars().updateSinks()) {
        AddProperty(L"Count", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(bars().size()));
            return S_OK;
        });
        AddMethod(L"Item", 1, 1, [this](Invocation& call) { return Item(call); });
        AddMethod(L"Add", 0, 4, [this](Invocation& call) { return Add(call); });
    }

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** out) noexcept override {
        return m_events.Query(iid, out);
    }

private:
    CommandBarSet& bars() const noexcept { return host().mailbox.commandBars(); }

    // A number is a 1-based index; a text that is not one is a bar's name.
    HRESULT Item(Invocation& call) {
        long index = 0;
        HRESULT hr = call.GetLong(0, index);
        if (SUCCEEDED(hr)) {
            if (index < 1 || static_cast<size_t>(index) > bars().size())
                return E_INVALIDARG;
            call.ReturnObject(Wrap(bars()[static_cast<size_t>(index) - 1]));
            return S_OK;
        }
        if (hr != DISP_E_TYPEMISMATCH)
            return hr;
        std::wstring name;
        if (HRESULT textHr = call.GetText(0, name); FAILED(textHr))
            return textHr;
        CommandBar* bar = bars().Find(name);
        if (!bar)
            return E_INVALIDARG;
        call.ReturnObject(Wrap(*bar));
        return S_OK;
    }

    // Add(Name, Position, MenuBar, Temporary), every argument optional. A
    // name some bar already has is refused, as the host refuses it.
    HRESULT Add(Invocation& call) {
        std::wstring name;
        long position = bar_position::Top;
        bool menuBar = false;
        bool temporary = false;
        HRESULT hr = S_OK;
        if ((call.has(0) && FAILED(hr = call.GetText(0, name))) ||
            (call.has(1) && FAILED(hr = call.GetLong(1, position))) ||
            (call.has(2) && FAILED(hr = call.GetBool(2, menuBar))) ||
            (call.has(3) && FAILED(hr = call.GetBool(3, temporary))))
            return hr;
        if (!call.has(0))
            name = bars().UnusedName();
        if (name.empty() || bars().Find(name))
            return E_INVALIDARG;
        if (position < bar_position::Left || position > bar_position::MenuBar)
            return E_INVALIDARG;
        CommandBar& bar = bars().Add(std::move(name), temporary);
        bar.position = position;
        bar.menuBar = menuBar;
        call.ReturnObject(Wrap(bar));
        return S_OK;
    }

    com_ptr<IDispatch> Wrap(CommandBar& bar) const {
        return MakeCommandBar(hostShare(), bar.shared_from_this());
    }

    EventContainer m_events;
};

} // namespace

com_ptr<IDispatch> MakeCommandBars(HostShare host) {
    return MakeDispatch<CommandBarsObject>(std::move(host));
}

} // namespace sw::sim
