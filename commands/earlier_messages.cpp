#include "commands/earlier_messages.h"

#include "commands/sender_filter.h"
#include "commands/smtp_address.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "store/list_text.h"

namespace sw {
namespace {

// Whether the host's match is one to move: a mail message, from a sender the
// entry blocks (the host's filter is not trusted further than that), who is
// not a safe sender.
bool ShouldMove(IDispatch* mail, const std::wstring& entry, const CListIndex& safe) {
    const std::wstring sender = SenderSmtpAddress(mail);
    if (!EntryCoversSender(entry, sender))
        return false;
    return !safe.Contains(sender) && !safe.Contains(DomainOfAddress(sender));
}

} // namespace

size_t MoveEarlierMessages(const EarlierSweep& sweep, RunProgress& progress) {
    size_t moved = 0;
    try {
        if (!sweep.mover->MovesFrom(sweep.folder))
            return 0;
        const Dispatch items = GetObject(sweep.folder, L"Items");
        for (const std::wstring& entry : sweep.added) {
            std::optional<std::wstring> filter = SenderFilter(entry);
            // An address no filter carries, such as one with a quoted local
            // part ("john doe"@b.example): the filters Outlook is known to
            // take hold no double quote. Its domain's filter finds every
            // sender there, of whom ShouldMove keeps the address alone.
            if (!filter && entry.front() != L'@')
                filter = SenderFilter(DomainOfAddress(entry));
            if (!filter) {
                SW_LOG_FAILURE(L"no sender filter for a blocked entry", E_INVALIDARG);
                continue;
            }
            const unique_variant condition = unique_variant::FromText(*filter);
            const Dispatch matches = CallForObject(items.get(), L"Restrict", {&condition.get()});
            const LONG count = GetCount(matches.get());
            progress.Extend(static_cast<size_t>(count));
            // From the last: a message that moves leaves the matches, and
            // one item at a time is open on the server.
            for (LONG i = count; i >= 1; --i) {
                const Dispatch item = GetItem(matches.get(), i);
                if (const Dispatch mail = QueryDispatch(item.get(), kIidMailItem);
                    mail && ShouldMove(mail.get(), entry, *sweep.safe) &&
                    sweep.mover->Move(mail.get()))
                    ++moved;
                if (!progress.Step())
                    return moved;
            }
        }
    } catch (const HostError&) {
        // The selection's own work is done; the rest stays in the folder.
        SW_LOG_CAUGHT();
    }
    return moved;
}

} // namespace sw
