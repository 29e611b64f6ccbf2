// BuildToolbar and AddToolbarButton: the toolbar with its five icon buttons.
#include "legacy_ui/toolbar.h"

#include "legacy_ui/legacy_ui.h"
#include "outlook/bar_calls.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "platform/image_picture.h"
#include "platform/resource_ids.h"
#include "platform/text_format.h"
#include "platform/user_message.h"
#include "store/state.h"

#include <string>

namespace sw {

namespace {

// The step the toolbar's building has reached, which the message of a
// toolbar that could not be built ends with so that support can tell where
// it stopped; the numbers are the ones users have always been shown.
enum ToolbarStep : int {
    kStepCommandBars = 219, // the explorer's command bars
    kStepFindToolbar = 225, // the toolbar of an earlier run, else a new one
    kStepAddButton = 241,   // its controls, a new button
    kStepButtonStyle = 290, // the button's look
    kStepButtonImage = 293, // its picture or face
    kStepButtonEvents = 337 // its Click event
};

// Tags are composed in a buffer of 260 UTF-16 units.
constexpr size_t kMaxTagLength = 259;

std::wstring TagOf(const wchar_t* text) {
    std::wstring tag;
    for (const wchar_t* c = text; *c && tag.size() < kMaxTagLength; ++c) {
        if (*c != L' ')
            tag += *c;
    }
    return tag;
}

} // namespace

void LegacyUi::BuildToolbar() noexcept {
    IDispatch* explorer = m_explorer.get();
    if (!explorer || !g_host.capabilities.toolbar)
        return;
    try {
        try {
            g_host.toolbarStep = kStepCommandBars;
            Dispatch bars = RequireObjectCall(explorer, L"CommandBars");

            g_host.toolbarStep = kStepFindToolbar;
            m_toolbar = nullptr;
            const unique_variant name = unique_variant::FromText(kToolbarName);
            unique_variant found;
            if (SUCCEEDED(InvokeByName(bars.get(), L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                       {&name.get()}, found))) {
                if (found.type() == VT_DISPATCH && V_DISPATCH(&found.get()))
                    m_toolbar = Dispatch(V_DISPATCH(&found.get()));
            } else {
                // A bar left from an earlier run is reused; otherwise a new
                // one is added that stays between runs of the host.
                const unique_variant omitted = OmittedArgument();
                const unique_variant temporary = ShortArgument(0);
                m_toolbar = RequireObjectCall(
                    bars.get(), L"Add",
                    {&name.get(), &omitted.get(), &omitted.get(), &temporary.get()});
            }

            g_host.toolbarStep = kStepAddButton;
            if (!m_toolbar)
                throw HostError(E_POINTER);
            Dispatch controls = RequireObjectCall(m_toolbar.get(), L"Controls");

            AddToolbarButton(controls.get(), L"Block Senders", IDB_BLOCK_SENDERS_16, 0,
                             m_btnBlockSenders, Sink(kSinkBlockSendersButton), false);
            AddToolbarButton(controls.get(), L"Block Domains", IDB_BLOCK_DOMAINS_16, 0,
                             m_btnBlockDomains, Sink(kSinkBlockDomainsButton), false);
            AddToolbarButton(controls.get(), L"Options", 0, kOptionsFaceId, m_btnOptions,
                             Sink(kSinkOptionsButton), false);
            AddToolbarButton(controls.get(), L"Support", 0, kSupportFaceId, m_btnSupport,
                             Sink(kSinkSupportButton), false);
            AddToolbarButton(controls.get(), L"Help", 0, kHelpFaceId, m_btnHelp,
                             Sink(kSinkHelpButton), true);

            SW_LOG_IF_FAILED(PutProperty(m_toolbar.get(), L"Visible", BoolArgument(true).get()));
        } catch (const HostError& error) {
            ShowUserMessage(FormatText(L"Failed to add the toolbar: %ls: %d",
                                       HostErrorText(error.code()).c_str(), g_host.toolbarStep));
        } catch (...) {
            SW_LOG_CAUGHT();
            ShowUserMessage(FormatText(L"Unknown fatal error raised: %d.", g_host.toolbarStep));
        }
    } catch (...) {
        // Not even the message could be composed.
        SW_LOG_CAUGHT();
    }
}

void LegacyUi::AddToolbarButton(IDispatch* controls, const wchar_t* text, WORD imageId, LONG faceId,
                                com_ptr<IDispatch>& buttonField, EventSink& sink,
                                bool beginsGroup) {
    g_host.toolbarStep = kStepAddButton;
    if (!controls)
        throw HostError(E_POINTER);
    Dispatch control = AddTemporaryControl(controls, kControlButton);
    // A sink follows its newest button; it is never connected to two.
    if (buttonField && sink.connected())
        SW_LOG_IF_FAILED(sink.DisconnectFrom(buttonField.get()));
    buttonField = nullptr;
    if (HRESULT hr = control.query(kIidCommandBarButton, buttonField); FAILED(hr) || !buttonField)
        throw HostError(FAILED(hr) ? hr : E_POINTER);
    IDispatch* button = buttonField.get();

    // Only the failures above stop the build; what the host answers to the
    // properties below does not.
    g_host.toolbarStep = kStepButtonStyle;
    SW_LOG_IF_FAILED(
        PutProperty(button, L"Style", unique_variant::FromLong(kButtonStyleIcon).get()));

    g_host.toolbarStep = kStepButtonImage;
    if (imageId > 0) {
        const bool senders = &sink == &Sink(kSinkBlockSendersButton);
        com_ptr<IPictureDisp>& picture = senders ? m_picBlockSenders : m_picBlockDomains;
        com_ptr<IPictureDisp>& mask = senders ? m_maskBlockSenders : m_maskBlockDomains;
        picture = nullptr;
        mask = nullptr;
        // Command bars before the ribbon, the only ones that get this toolbar,
        // draw no alpha: the image goes onto the button face colour, and the
        // mask, set after the picture, makes the rest transparent.
        if (LoadImagePictureAndMask(imageId, GetSysColor(COLOR_BTNFACE), picture.put(),
                                    mask.put()) == S_OK &&
            picture && mask) {
            SW_LOG_IF_FAILED(
                PutProperty(button, L"Picture", unique_variant::FromDispatch(picture.get()).get()));
            SW_LOG_IF_FAILED(
                PutProperty(button, L"Mask", unique_variant::FromDispatch(mask.get()).get()));
        }
    } else {
        SW_LOG_IF_FAILED(PutProperty(button, L"FaceId", unique_variant::FromLong(faceId).get()));
    }

    SW_LOG_IF_FAILED(PutProperty(button, L"Visible", BoolArgument(true).get()));
    SW_LOG_IF_FAILED(PutProperty(button, L"Enabled", BoolArgument(true).get()));
    if (beginsGroup)
        SW_LOG_IF_FAILED(PutProperty(button, L"BeginGroup", BoolArgument(true).get()));
    SW_LOG_IF_FAILED(PutProperty(button, L"TooltipText", unique_variant::FromText(text).get()));
    SW_LOG_IF_FAILED(PutProperty(button, L"Tag", unique_variant::FromText(TagOf(text)).get()));

    g_host.toolbarStep = kStepButtonEvents;
    SW_LOG_IF_FAILED(sink.ConnectTo(button));
}

} // namespace sw
