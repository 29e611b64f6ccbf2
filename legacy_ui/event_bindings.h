// The event binding table: which handler of the legacy surface an event
// reaches, by the sink that received it, the sink's source dispinterface and
// the event's DISPID, and how the event's arguments are handed over.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

namespace sw {

class LegacyUi;

// The sinks, by their row number.
inline constexpr int kSinkBlockSendersButton = 1;
inline constexpr int kSinkBlockDomainsButton = 2;
inline constexpr int kSinkOptionsButton = 3;
inline constexpr int kSinkSupportButton = 4;
inline constexpr int kSinkHelpButton = 5;
inline constexpr int kSinkApplication = 6;
inline constexpr int kSinkBlockSenderDomainItem = 7;
inline constexpr int kSinkBlockSendersItem = 8;
inline constexpr int kSinkBlockDomainsItem = 9;
inline constexpr int kSinkCommandBars = 10;
inline constexpr int kSinkCount = 10;

class EventBindings {
public:
    // The dispinterface sink `number` is bound to.
    static const IID& EventsOf(int number) noexcept;

    // Calls the handler bound to (sink, events, id) with the event's
    // arguments; an event without a binding is dropped. The add-in object
    // is kept alive while the handler runs. Handlers raise nothing.
    static void Route(LegacyUi& owner, int sink, const IID& events, DISPID id,
                      const DISPPARAMS* params) noexcept;

private:
    struct Row;
    // The table, one row per subscription; `count` receives its length.
    static const Row* Rows(size_t& count) noexcept;
};

} // namespace sw
