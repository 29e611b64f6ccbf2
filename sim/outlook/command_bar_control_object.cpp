// Command-bar controls. Every control has Caption, Type, BeginGroup,
// Visible, Enabled, TooltipText, Tag and Delete; a button (type 1) also
// answers _CommandBarButton, has Style, FaceId, Picture and Mask and raises Click
// through its _CommandBarButtonEvents connection point; a popup (type 10)
// answers CommandBarPopup and has the Controls of its submenu.
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/command_bar_part.h"
#include "sim/outlook/connection_point.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"

#include <olectl.h>

namespace sw::sim {

namespace {

constexpr long kHimetricPerInch = 2540;
constexpr long kPixelsPerInch = 96;

class ControlObject : public CommandBarPart {
public:
    ControlObject(HostShare host, std::wstring kind, std::initializer_list<IID> interfaces,
                  std::shared_ptr<CommandBarControl> control)
        : CommandBarPart(std::move(host), std::move(kind), interfaces),
          m_control(std::move(control)) {
        CommandBarControl& c = *m_control;
        AddTextField(L"Caption", c.caption);
        AddLiveProperty(L"Type", [this](Invocation& call) {
            call.ReturnLong(m_control->type());
            return S_OK;
        });
        AddBoolField(L"BeginGroup", c.beginGroup);
        AddBoolField(L"Visible", c.visible);
        AddBoolField(L"Enabled", c.enabled);
        AddTextField(L"TooltipText", c.tooltipText);
        AddTextField(L"Tag", c.tag);
        AddLiveMethod(L"Delete", 0, 1, [this](Invocation&) {
            this->host().mailbox.commandBars().Remove(*m_control);
            return S_OK;
        });
    }

    CommandBarControl& control() const noexcept { return *m_control; }

protected:
    bool removed() const noexcept override { return m_control->removed(); }

    std::shared_ptr<CommandBarControl> m_control;
};

class ButtonObject final : public ControlObject {
public:
    ButtonObject(HostShare host, std::shared_ptr<CommandBarControl> control)
        : ControlObject(std::move(host), L"CommandBarButton",
                        {kIidCommandBarControl, kIidCommandBarButton}, std::move(control)),
          m_events(*this, kind(), hostShare(), kIidCommandBarButtonEvents,
                   m_control->clickSinks()) {
        AddLongField(L"Style", m_control->style);
        AddLongField(L"FaceId", m_control->faceId);
        AddLiveProperty(L"Picture", [this](Invocation& call) {
            call.ReturnObject(m_control->picture());
            return S_OK;
        });
        AddLivePutProperty(L"Picture", [this](Invocation& call) { return PutPicture(call); });
        AddLivePutProperty(L"Mask", [this](Invocation& call) {
            com_ptr<IDispatch> mask;
            if (HRESULT hr = TakePicture(call, mask); FAILED(hr))
                return hr;
            m_control->SetMask(std::move(mask));
            return S_OK;
        });
    }

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** out) noexcept override {
        return m_events.Query(iid, out);
    }

private:
    // The picture object put, itself; anything that is not a picture is refused.
    static HRESULT TakePicture(Invocation& call, com_ptr<IDispatch>& picture) {
        if (HRESULT hr = call.GetDispatch(Invocation::kPutValue, picture); FAILED(hr))
            return hr;
        com_ptr<IPicture> image;
        if (!picture || FAILED(picture.query(IID_IPicture, image)) || !image)
            return E_INVALIDARG;
        return S_OK;
    }

    HRESULT PutPicture(Invocation& call) {
        com_ptr<IDispatch> picture;
        if (HRESULT hr = TakePicture(call, picture); FAILED(hr))
            return hr;
        com_ptr<IPicture> image;
        if (FAILED(picture.query(IID_IPicture, image)) || !image)
            return E_INVALIDARG;
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        if (FAILED(image->get_Width(&width)) || FAILED(image->get_Height(&height)))
            return E_INVALIDARG;
        m_control->SetPicture(std::move(picture), MulDiv(width, kPixelsPerInch, kHimetricPerInch),
                              MulDiv(height, kPixelsPerInch, kHimetricPerInch));
        return S_OK;
    }

    EventContainer m_events;
};

class PopupObject final : public ControlObject {
public:
    PopupObject(HostShare host, std::shared_ptr<CommandBarControl> control)
        : ControlObject(std::move(host), L"CommandBarPopup",
                        {kIidCommandBarControl, kIidCommandBarPopup}, std::move(control)) {
        AddLiveProperty(L"Controls", [this](Invocation& call) {
            call.ReturnObject(MakeCommandBarControls(
                hostShare(),
                std::shared_ptr<CommandBarControls>(m_control, &m_control->controls())));
            return S_OK;
        });
    }
};

} // namespace

com_ptr<IDispatch> MakeCommandBarControl(HostShare host,
                                         std::shared_ptr<CommandBarControl> control) {
    if (control->isButton())
        return MakeDispatch<ButtonObject>(std::move(host), std::move(control));
    if (control->isPopup())
        return MakeDispatch<PopupObject>(std::move(host), std::move(control));
    return MakeDispatch<ControlObject>(std::move(host), L"CommandBarControl",
                                       std::initializer_list<IID>{kIidCommandBarControl},
                                       std::move(control));
}

CommandBarControl* ControlOf(IDispatch* object) noexcept {
    auto control = DispatchObject::From<ControlObject>(object);
    return control ? &control->control() : nullptr;
}

} // namespace sw::sim
