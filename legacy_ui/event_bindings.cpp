#include "legacy_ui/event_bindings.h"

#include "legacy_ui/legacy_ui.h"
#include "outlook/event_connection.h"
#include "outlook/office_ids.h"
#include "platform/com_ptr.h"
#include "platform/diagnostics.h"

#include <iterator>
#include <type_traits>
#include <variant>

namespace sw {

// The handler's signature tells how the event's arguments are unpacked.
using ClickHandler = void (LegacyUi::*)(IDispatch* control, VARIANT_BOOL* cancelDefault);
using MenuDisplayHandler = void (LegacyUi::*)(IDispatch* commandBar, IDispatch* selection);
using PlainHandler = void (LegacyUi::*)();

struct EventBindings::Row {
    int sink;
    const IID* events;
    DISPID id;
    std::variant<ClickHandler, MenuDisplayHandler, PlainHandler> handler;
};

namespace {

IDispatch* DispatchArgument(const DISPPARAMS* params, UINT index) noexcept {
    const VARIANT* value = EventArgument(params, index);
    if (!value)
        return nullptr;
    if (V_VT(value) == VT_DISPATCH)
        return V_DISPATCH(value);
    if (V_VT(value) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(value))
        return *V_DISPATCHREF(value);
    return nullptr;
}

VARIANT_BOOL* BoolReferenceArgument(const DISPPARAMS* params, UINT index) noexcept {
    const VARIANT* value = EventArgument(params, index);
    return value && V_VT(value) == (VT_BYREF | VT_BOOL) ? V_BOOLREF(value) : nullptr;
}

} // namespace

const EventBindings::Row* EventBindings::Rows(size_t& count) noexcept {
    static const Row rows[] = {
        {kSinkBlockSendersButton, &kIidCommandBarButtonEvents, kDispidClick,
         &LegacyUi::OnClickBlockSenders},
        {kSinkBlockDomainsButton, &kIidCommandBarButtonEvents, kDispidClick,
         &LegacyUi::OnClickBlockDomains},
        {kSinkOptionsButton, &kIidCommandBarButtonEvents, kDispidClick, &LegacyUi::OnClickOptions},
        {kSinkSupportButton, &kIidCommandBarButtonEvents, kDispidClick, &LegacyUi::OnClickSupport},
        {kSinkHelpButton, &kIidCommandBarButtonEvents, kDispidClick, &LegacyUi::OnClickHelp},
        {kSinkApplication, &kIidApplicationEvents11, kDispidItemContextMenuDisplay,
         &LegacyUi::AddContextMenuItems},
        {kSinkBlockSenderDomainItem, &kIidCommandBarButtonEvents, kDispidClick,
         &LegacyUi::OnClickBlockSenderDomain},
        {kSinkBlockSendersItem, &kIidCommandBarButtonEvents, kDispidClick,
         &LegacyUi::OnClickBlockSenders},
        {kSinkBlockDomainsItem, &kIidCommandBarButtonEvents, kDispidClick,
         &LegacyUi::OnClickBlockDomains},
        {kSinkCommandBars, &kIidCommandBarsEvents, kDispidOnUpdate, &LegacyUi::OnCommandBarsUpdate},
    };
    count = std::size(rows);
    return rows;
}

const IID& EventBindings::EventsOf(int number) noexcept {
    size_t count = 0;
    const Row* rows = Rows(count);
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].sink == number)
            return *rows[i].events;
    }
    return IID_NULL;
}

void EventBindings::Route(LegacyUi& owner, int sink, const IID& events, DISPID id,
                          const DISPPARAMS* params) noexcept {
    size_t count = 0;
    const Row* rows = Rows(count);
    for (size_t i = 0; i < count; ++i) {
        const Row& binding = rows[i];
        if (binding.sink != sink || *binding.events != events || binding.id != id)
            continue;
        // A handler may show a modal window, during which the host may let go
        // of the add-in: the object stays until the handler has returned.
        com_ptr<IUnknown> keepAlive(&owner.m_lifetime);
        try {
            std::visit(
                [&](auto handler) {
                    using Handler = decltype(handler);
                    if constexpr (std::is_same_v<Handler, ClickHandler>)
                        (owner.*handler)(DispatchArgument(params, 0),
                                         BoolReferenceArgument(params, 1));
                    else if constexpr (std::is_same_v<Handler, MenuDisplayHandler>)
                        (owner.*handler)(DispatchArgument(params, 0), DispatchArgument(params, 1));
                    else
                        (owner.*handler)();
                },
                binding.handler);
        } catch (...) {
            // Handlers catch their own failures; nothing may reach the host.
            SW_LOG_CAUGHT();
        }
        return;
    }
}

} // namespace sw
