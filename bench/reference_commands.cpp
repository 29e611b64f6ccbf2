#include "bench/reference_commands.h"

#include "commands/sender_address.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/user_message.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <string>

namespace sw::bench {
namespace {

enum class BlockMode { Senders, Domains };

bool SentToItself(IDispatch* mail, const std::wstring& sender) {
    Dispatch recipients = GetObject(mail, L"Recipients");
    if (GetCount(recipients.get()) != 1)
        return false;
    Dispatch recipient = GetItem(recipients.get(), 1);
    return EqualsIgnoringAsciiCase(GetText(recipient.get(), L"Address"), sender);
}

std::wstring EntryFor(BlockMode mode, IDispatch* mail, const std::wstring& safe) {
    const std::wstring sender = GetText(mail, L"SenderEmailAddress");
    if (mode == BlockMode::Senders && SentToItself(mail, sender))
        return {};
    const std::wstring domain = DomainOfAddress(sender);
    if (sender.empty() || domain.empty() || !IsListableAddress(sender))
        return {};
    if (ListContains(sender, safe) || ListContains(domain, safe))
        return {};
    if (mode == BlockMode::Senders)
        return sender;
    if (g_settings.hasSafeDomains && ListContains(domain, g_settings.safeDomains + L";"))
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

    std::wstring blocked;
    if (!ReadProfileList(g_host.Profile(), ProfileListKind::Blocked, blocked).ok())
        return;
    AppendMissing(blocked, g_host.blockedSinceLoad);
    std::wstring safe;
    static_cast<void>(ReadProfileList(g_host.Profile(), ProfileListKind::Safe, safe).ok());

    const unique_variant mapi = unique_variant::FromText(L"MAPI");
    Dispatch ns = CallForObject(HostApp(), L"GetNamespace", {&mapi.get()});
    const unique_variant junkKind = unique_variant::FromLong(kJunkFolder);
    Dispatch junk = CallForObject(ns.get(), L"GetDefaultFolder", {&junkKind.get()});
    const unique_variant junkArg = unique_variant::FromDispatch(junk.get());

    Dispatch selection = GetObject(explorer.get(), L"Selection");
    const LONG count = GetCount(selection.get());
    const size_t startLength = blocked.size();

    for (LONG i = 1; i <= count; ++i) {
        Dispatch item = GetItem(selection.get(), i);
        Dispatch mail = QueryDispatch(item.get(), kIidMailItem);
        if (!mail)
            continue;
        std::wstring entry = EntryFor(mode, mail.get(), safe);
        if (entry.empty())
            continue;
        if (!ListContains(entry, blocked)) {
            blocked.append(entry).push_back(L';');
            g_host.blockedSinceLoad.push_back(std::move(entry));
        }
        static_cast<void>(CallMethod(mail.get(), L"Move", {&junkArg.get()}));
    }

    if (blocked.size() != startLength)
        static_cast<void>(WriteProfileList(g_host.Profile(), blocked, g_host.newBlockedEntries,
                                           g_host.blockedSinceLoad)
                              .ok());
}

void RunGuarded(BlockMode mode) noexcept {
    try {
        RunBlockCommand(mode);
    } catch (const HostError& error) {
        ShowHostError(error.code());
    } catch (...) {
    }
}

} // namespace

void ReferenceBlockSelectedSenders() noexcept {
    RunGuarded(BlockMode::Senders);
}

void ReferenceBlockSelectedDomains() noexcept {
    RunGuarded(BlockMode::Domains);
}

void ReferenceReapplyBlockedAdditions() {
    std::wstring blocked;
    if (!ReadProfileList(g_host.Profile(), ProfileListKind::Blocked, blocked).ok())
        return;
    if (AppendMissing(blocked, g_host.blockedSinceLoad))
        static_cast<void>(WriteProfileList(g_host.Profile(), blocked, g_host.newBlockedEntries,
                                           g_host.blockedSinceLoad)
                              .ok());
}

} // namespace sw::bench
