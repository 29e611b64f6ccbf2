// CommandBarControls: the controls of a bar or of a popup, by 1-based index,
// and Add.
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/command_bar_part.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

namespace sw::sim {

namespace {

class ControlsObject final : public CommandBarPart {
public:
    ControlsObject(HostShare host, std::shared_ptr<CommandBarControls> controls)
        : CommandBarPart(std::move(host), L"CommandBarControls", {kIidCommandBarControls}),
          m_controls(std::move(controls)) {
        AddLiveProperty(L"Count", [this](Invocation& call) {
            call.ReturnLong(static_cast<long>(m_controls->size()));
            return S_OK;
        });
        AddLiveMethod(L"Item", 1, 1, [this](Invocation& call) {
            long index = 0;
            if (HRESULT hr = call.GetLong(0, index); FAILED(hr))
                return hr;
            if (index < 1 || static_cast<size_t>(index) > m_controls->size())
                return E_INVALIDARG;
            call.ReturnObject(Wrap((*m_controls)[static_cast<size_t>(index) - 1]));
            return S_OK;
        });
        AddLiveMethod(L"Add", 0, 5, [this](Invocation& call) { return Add(call); });
    }

protected:
    bool removed() const noexcept override { return !m_controls->live(); }

private:
    // Add(Type, Id, Parameter, Before, Temporary), every argument optional:
    // a button, last, not temporary. Before is the 1-based place the new
    // control takes, from 1 to Count + 1.
    HRESULT Add(Invocation& call) {
        long type = control_type::Button;
        long id = 1;
        std::wstring parameter;
        long before = static_cast<long>(m_controls->size()) + 1;
        bool temporary = false;
        HRESULT hr = S_OK;
        if ((call.has(0) && FAILED(hr = call.GetLong(0, type))) ||
            (call.has(1) && FAILED(hr = call.GetLong(1, id))) ||
            (call.has(2) && FAILED(hr = call.GetText(2, parameter))) ||
            (call.has(3) && FAILED(hr = call.GetLong(3, before))) ||
            (call.has(4) && FAILED(hr = call.GetBool(4, temporary))))
            return hr;
        if (!IsControlType(type))
            return E_INVALIDARG;
        if (before < 1 || static_cast<size_t>(before) > m_controls->size() + 1)
            return E_INVALIDARG;
        CommandBarControl& control =
            m_controls->Add(type, {}, temporary, static_cast<size_t>(before) - 1);
        control.id = id;
        control.parameter = std::move(parameter);
        call.ReturnObject(Wrap(control));
        return S_OK;
    }

    com_ptr<IDispatch> Wrap(CommandBarControl& control) const {
        return MakeCommandBarControl(hostShare(), control.shared_from_this());
    }

    std::shared_ptr<CommandBarControls> m_controls;
};

} // namespace

com_ptr<IDispatch> MakeCommandBarControls(HostShare host,
                                          std::shared_ptr<CommandBarControls> controls) {
    return MakeDispatch<ControlsObject>(std::move(host), std::move(controls));
}

} // namespace sw::sim
