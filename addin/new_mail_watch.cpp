#include "addin/new_mail_watch.h"

#include "commands/new_mail.h"
#include "outlook/event_connection.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/settings.h"
#include "store/state.h"

#include <string_view>
#include <utility>

namespace sw {

// Receives ApplicationEvents_11 and acts on NewMailEx alone. It keeps the
// module loaded while anyone holds it, and takes no event once its watch
// has ended the subscription or gone.
class NewMailWatch::Sink final : public SubscriberSink {
public:
    Sink() noexcept : SubscriberSink(kIidApplicationEvents11) {}

private:
    void OnEvent(DISPID id, const DISPPARAMS* params) noexcept override {
        if (id == kDispidNewMailEx)
            MoveNewMailFromBlockedSenders(EntryIds(params));
    }

    // NewMailEx's one argument, EntryIDCollection, as text, also when the
    // host passes it by reference; empty when it is missing or no text.
    static std::wstring_view EntryIds(const DISPPARAMS* params) noexcept {
        const VARIANT* value = EventArgument(params, 0);
        BSTR text = nullptr;
        if (value && V_VT(value) == VT_BSTR)
            text = V_BSTR(value);
        else if (value && V_VT(value) == (VT_BYREF | VT_BSTR) && V_BSTRREF(value))
            text = *V_BSTRREF(value);
        return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
    }
};

NewMailWatch::NewMailWatch() = default;

NewMailWatch::~NewMailWatch() {
    Stop();
}

void NewMailWatch::Follow(IDispatch* application) noexcept {
    const bool wanted = g_settings.moveNewMail && application && g_host.capabilities.newMailEx;
    if (!wanted) {
        Stop();
        return;
    }
    if (subscribed())
        return;
    Sink* sink = nullptr;
    try {
        sink = new Sink;
    } catch (...) {
        SW_LOG_CAUGHT();
        return;
    }
    DWORD cookie = 0;
    if (FAILED(SW_LOG_IF_FAILED(AdviseEvents(application, kIidApplicationEvents11,
                                             static_cast<IDispatch*>(sink), cookie)))) {
        sink->Release();
        return;
    }
    sink->Enable(true);
    m_sink = sink;
    m_source = com_ptr<IDispatch>(application);
    m_cookie = cookie;
}

void NewMailWatch::Stop() noexcept {
    if (!m_sink)
        return;
    // A host that goes on delivering after Unadvise reaches nothing.
    m_sink->Enable(false);
    SW_LOG_IF_FAILED(UnadviseEvents(m_source.get(), kIidApplicationEvents11, m_cookie));
    std::exchange(m_sink, nullptr)->Release();
    m_cookie = 0;
    m_source = nullptr;
}

} // namespace sw
