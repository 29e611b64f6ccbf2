#include "commands/block_commands.h"

#include "commands/sender_address.h"
#include "host/host_app.h"
#include "host/host_call.h"
#include "host/host_error.h"
#include "host/user_message.h"
#include "store/list_index.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <optional>
#include <string>

namespace sw {
namespace {

// IID of Outlook's _MailItem: only mail messages answer it.
constexpr IID kMailItemIid = {0x00063034, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr LONG kMailItemType = 0;
constexpr LONG kJunkFolder = 23;

enum class BlockMode { Senders, Domains };

// Whether the message's only recipient is its own sender address.
bool SentToItself(IDispatch* mail, const std::wstring& sender) {
    Dispatch recipients = GetObject(mail, L"Recipients");
    if (GetCount(recipients.get()) != 1)
        return false;
    Dispatch recipient = GetItem(recipients.get(), 1);
    return EqualsIgnoringAsciiCase(GetText(recipient.get(), L"Address"), sender);
}

// The entry that blocks `sender`, or empty when the item is to be left alone.
// `safeDomains` is the safe-domain setting in terminator form, null while the
// exception is off.
std::wstring EntryFor(BlockMode mode, IDispatch* mail, const CListIndex& safe,
                      const CListIndex* safeDomains) {
    const std::wstring sender = GetText(mail, L"SenderEmailAddress");
    if (mode == BlockMode::Senders && SentToItself(mail, sender))
        return {};
    const std::wstring domain = DomainOfAddress(sender);
    if (sender.empty() || domain.empty() || !IsListableAddress(sender))
        return {};
    if (safe.Contains(sender) || safe.Contains(domain))
        return {};
    if (mode == BlockMode::Senders)
        return sender;
    // Shared mail domains are never blocked whole: block the sender alone.
    if (safeDomains && safeDomains->Contains(domain))
        return sender;
    return domain;
}

void RunBlockCommand(BlockMode mode) {
    Dispatch explorer = GetObject(HostApp(), L"ActiveExplorer");
    Dispatch folder = GetObject(explorer.get(), L"CurrentFolder");
    if (GetLong(folder.get(), L"DefaultItemType") != kMailItemType) {
        ShowUserMessage(L"Please select the emails first.");
        return;
    }

    std::wstring stored;
    // Without the stored list nothing may be written: it would be replaced by
    // this run's additions alone. The store has told the user already.
    if (!ReadProfileList(stored, ProfileListKind::Blocked))
        return;
    // Indexed once: every item's test then costs the same however long the list.
    CListIndex blocked(std::move(stored));
    blocked.AppendMissing(g_blockedSinceLoad);
    std::wstring safeText;
    ReadProfileList(safeText, ProfileListKind::Safe);
    const CListIndex safe(std::move(safeText));
    std::optional<CListIndex> safeDomains;
    if (mode == BlockMode::Domains && g_hasSafeDomains)
        safeDomains.emplace(g_safeDomains + L";");

    const unique_variant mapi = unique_variant::FromText(L"MAPI");
    Dispatch ns = CallForObject(HostApp(), L"GetNamespace", {&mapi.get()});
    const unique_variant junkKind = unique_variant::FromLong(kJunkFolder);
    Dispatch junk = CallForObject(ns.get(), L"GetDefaultFolder", {&junkKind.get()});
    const unique_variant junkArg = unique_variant::FromDispatch(junk.get());

    Dispatch selection = GetObject(explorer.get(), L"Selection");
    const LONG count = GetCount(selection.get());
    const size_t startLength = blocked.Text().size();

    for (LONG i = 1; i <= count; ++i) {
        Dispatch item = GetItem(selection.get(), i);
        Dispatch mail = QueryDispatch(item.get(), kMailItemIid);
        if (!mail)
            continue;
        std::wstring entry =
            EntryFor(mode, mail.get(), safe, safeDomains ? &*safeDomains : nullptr);
        if (entry.empty())
            continue;
        if (!blocked.Contains(entry)) {
            blocked.Append(entry);
            g_blockedSinceLoad.push_back(std::move(entry));
        }
        CallMethod(mail.get(), L"Move", {&junkArg.get()}); // outcome not examined
    }

    if (blocked.Text().size() != startLength)
        WriteProfileList(blocked.Text(), ProfileListKind::Blocked);
}

void RunGuarded(BlockMode mode) noexcept {
    try {
        RunBlockCommand(mode);
    } catch (const HostError& error) {
        ShowHostError(error.code());
    } catch (...) {
        // Anything else ends the run silently; it must never reach the host.
    }
}

} // namespace

void BlockSelectedSenders() noexcept {
    RunGuarded(BlockMode::Senders);
}

void BlockSelectedDomains() noexcept {
    RunGuarded(BlockMode::Domains);
}

} // namespace sw
