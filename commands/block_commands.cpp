#include "commands/block_commands.h"

#include "commands/capacity_warning.h"
#include "commands/earlier_messages.h"
#include "commands/junk_mover.h"
#include "commands/run_progress.h"
#include "commands/sender_address.h"
#include "commands/stayed_messages.h"
#include "commands/smtp_address.h"
#include "outlook/host_call.h"
#include "outlook/host_error.h"
#include "outlook/office_ids.h"
#include "platform/diagnostics.h"
#include "platform/text_format.h"
#include "platform/user_message.h"
#include "store/list_index.h"
#include "store/history.h"
#include "store/list_text.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"

#include <memory>
#include <optional>
#include <span>
#include <unordered_set>
#include <vector>
#include <string>

namespace sw {
namespace {

enum class BlockMode { Senders, Domains };

// The command's name, as the progress window, the log and the history give it.
const wchar_t* CommandName(BlockMode mode) noexcept {
    return mode == BlockMode::Senders ? L"Block Senders" : L"Block Domains";
}

// Whether the message's only recipient is its own sender address.
bool SentToItself(IDispatch* mail, const std::wstring& sender) {
    Dispatch recipients = GetObject(mail, L"Recipients");
    if (GetCount(recipients.get()) != 1)
        return false;
    Dispatch recipient = GetItem(recipients.get(), 1);
    return EqualsIgnoringAsciiCase(RecipientSmtpAddress(recipient.get()), sender);
}

// The entry that blocks `sender`, or empty when the item is to be left alone.
// `safeDomains` is the safe-domain setting in terminator form, null while the
// exception is off.
std::wstring EntryFor(BlockMode mode, IDispatch* mail, const CListIndex& safe,
                      const CListIndex* safeDomains) {
    // An Exchange sender's X.500 path never reaches the list: its SMTP address does.
    std::wstring sender = SenderSmtpAddress(mail);
    if (mode == BlockMode::Senders && SentToItself(mail, sender))
        return {};
    std::wstring domain = DomainOfAddress(sender);
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

// What one run did, for the diagnostics log's summary and the history.
struct RunSummary {
    LONG items = 0;
    LONG moved = 0;
    size_t added = 0;
    size_t earlier = 0;    // earlier messages moved after the selection
    size_t firstAdded = 0; // where the run's entries start in g_host.blockedSinceLoad
    StayedMessages stayed; // left where they are: other people's mail, or refused
    std::vector<MovedMessage> movedMessages;
};

// The items, in the folder shown, of the collapsed conversations the
// selection holds (Outlook 2010 and later: Explorer.Selection itself holds
// none of them). Failing hosts give what was had until then, without a word.
std::vector<Dispatch> ConversationItems(IDispatch* selection) {
    std::vector<Dispatch> items;
    if (!g_host.capabilities.conversations)
        return items;
    try {
        const unique_variant kind = unique_variant::FromLong(kConversationHeaders);
        const Dispatch headers = CallForObject(selection, L"GetSelection", {&kind.get()});
        const LONG count = GetCount(headers.get());
        for (LONG h = 1; h <= count; ++h) {
            const Dispatch header = GetItem(headers.get(), h);
            const Dispatch members = CallForObject(header.get(), L"GetItems", {});
            const LONG size = GetCount(members.get());
            for (LONG i = 1; i <= size; ++i)
                items.push_back(GetItem(members.get(), i));
        }
    } catch (const HostError&) {
        SW_LOG_CAUGHT();
    }
    return items;
}

void RunBlockCommand(BlockMode mode, RunSummary& summary) {
    Dispatch explorer = GetObject(HostApp(), L"ActiveExplorer");
    Dispatch folder = GetObject(explorer.get(), L"CurrentFolder");
    if (GetLong(folder.get(), L"DefaultItemType") != kMailItemType) {
        ShowUserMessage(L"Please select the emails first.");
        return;
    }

    const MailProfile profile = g_host.Profile();
    std::wstring stored;
    // Without the stored list nothing may be written: it would be replaced by
    // this run's additions alone.
    if (const Outcome read = ReadProfileList(profile, ProfileListKind::Blocked, stored); !read) {
        ShowOutcome(read);
        return;
    }
    // Indexed once: every item's test then costs the same however long the list.
    CListIndex blocked(std::move(stored));
    blocked.AppendMissing(g_host.blockedSinceLoad);
    // Without the Safe Senders list the run goes on with none, after telling
    // the user.
    std::wstring safeText;
    const Outcome safeRead = ReadProfileList(profile, ProfileListKind::Safe, safeText);
    ShowOutcome(safeRead);
    // Who is protected is decided without regard to ASCII case.
    const CListIndex safe(std::move(safeText), ListMatch::IgnoringAsciiCase);
    std::optional<CListIndex> safeDomains;
    if (mode == BlockMode::Domains && g_settings.hasSafeDomains)
        safeDomains.emplace(g_settings.safeDomains + L";", ListMatch::IgnoringAsciiCase);

    const JunkFolder folders = FindJunkFolder();
    // What stayed reaches the summary however the run ends, so that the
    // host failure that ends it can tell it too.
    JunkMover mover(folders.junk.get(), summary.movedMessages, summary.stayed);

    Dispatch selection = GetObject(explorer.get(), L"Selection");
    const LONG count = GetCount(selection.get());
    const std::vector<Dispatch> conversations = ConversationItems(selection.get());
    summary.items = count + static_cast<LONG>(conversations.size());
    const size_t startLength = blocked.Text().size();

    // A message both selected and inside a selected conversation is acted on
    // once: known by its EntryID, asked for only when conversations are in.
    // Two objects for one message need not be one COM object, so without an
    // id nothing tells them apart reliably: a conversation's message whose id
    // cannot be read is left out, and so is every conversation's message
    // once a selected message's id could not be read (the selection itself
    // is acted on). The mover's test for Junk E-mail is no help when the
    // message cannot say where it is either.
    std::unordered_set<std::wstring> seen;
    bool selectedUnknown = false; // a selected message whose id could not be read
    const auto process = [&](IDispatch* item, bool inConversation) {
        Dispatch mail = QueryDispatch(item, kIidMailItem);
        if (!mail)
            return;
        if (!conversations.empty()) {
            std::wstring id = GetText(mail.get(), L"EntryID");
            if (inConversation && (id.empty() || selectedUnknown)) {
                SW_LOG_FAILURE(L"a conversation's message left out: no EntryID to tell it by",
                               E_UNEXPECTED);
                return;
            }
            if (id.empty())
                selectedUnknown = true;
            else if (!seen.insert(std::move(id)).second)
                return;
        }
        std::wstring entry =
            EntryFor(mode, mail.get(), safe, safeDomains ? &*safeDomains : nullptr);
        if (entry.empty())
            return;
        if (!blocked.Contains(entry)) {
            blocked.Append(entry);
            g_host.blockedSinceLoad.push_back(std::move(entry));
            ++summary.added;
        }
        // A message that does not move leaves the run going; it is recorded.
        if (mover.Move(mail.get()))
            ++summary.moved;
    };
    // A long run shows its progress; Cancel stops it after the item at hand,
    // and what was done until then is written as for a complete run.
    RunProgress progress(CommandName(mode), static_cast<size_t>(count) + conversations.size());
    bool cancelled = false;
    for (LONG i = 1; i <= count && !cancelled; ++i) {
        process(GetItem(selection.get(), i).get(), false);
        cancelled = !progress.Step();
    }
    for (size_t i = 0; i < conversations.size() && !cancelled; ++i) {
        process(conversations[i].get(), true);
        cancelled = !progress.Step();
    }

    // A failed write is told, and then no capacity warning follows.
    bool written = false;
    bool told = !safeRead;
    if (blocked.Text().size() != startLength) {
        const Outcome write = WriteProfileList(profile, blocked.Text(), g_host.newBlockedEntries,
                                               g_host.blockedSinceLoad);
        ShowOutcome(write);
        written = write.ok();
        told = told || !written;
    }
    // The entries are stored before the host is asked for earlier messages:
    // whatever that costs or fails, they stay.
    if (g_settings.moveEarlier && !cancelled &&
        g_host.blockedSinceLoad.size() > summary.firstAdded) {
        const EarlierSweep sweep{
            folder.get(), &mover,
            std::span<const std::wstring>(g_host.blockedSinceLoad).subspan(summary.firstAdded),
            &safe};
        summary.earlier = MoveEarlierMessages(sweep, progress);
    }
    progress.Close();
    // A command shows at most one message: the capacity warning only when
    // the run has told nothing else, and what stayed where it was below it
    // or on its own. After a list that could not be read or written, what
    // stayed is in the log's summary alone.
    const std::wstring stayed = StayedText(summary.stayed);
    if (told || (written && WarnAboutCapacity(blocked.Text(), safe.Text(), stayed)))
        return;
    if (!stayed.empty())
        ShowUserMessage(stayed);
}

// The host failure that ended a run, with what stayed where it was until then.
void ShowRunFailure(HRESULT code, const StayedMessages& stayed) noexcept {
    try {
        if (const std::wstring more = StayedText(stayed); !more.empty()) {
            ShowUserMessage(HostErrorText(code) + L"\n\n" + more);
            return;
        }
    } catch (...) {
        SW_LOG_CAUGHT();
    }
    ShowHostError(code);
}

void LogSummary(BlockMode mode, const RunSummary& summary, ULONGLONG started) noexcept {
    if (CurrentLogLevel() != LogLevel::Commands)
        return;
    try {
        LogCommandSummary(FormatText(
            L"%ls: %ld items, %ld moved, %zu entries added, %zu earlier moved, %zu left in "
            L"public folders, %zu left in other people's mailboxes, %zu not moved, %llu ms",
            CommandName(mode), summary.items, summary.moved, summary.added, summary.earlier,
            summary.stayed.publicFolders, summary.stayed.othersMailbox, summary.stayed.notMoved,
            GetTickCount64() - started));
    } catch (...) {
        // Out of memory while composing the summary: it goes unrecorded.
    }
}

// Notes the run in the history when it changed anything, however it ended.
void RecordRun(BlockMode mode, RunSummary& summary) noexcept {
    if (summary.moved == 0 && g_host.blockedSinceLoad.size() <= summary.firstAdded)
        return;
    try {
        HistoryAction action;
        action.command = CommandName(mode);
        action.entries.assign(g_host.blockedSinceLoad.begin() +
                                  static_cast<std::ptrdiff_t>(summary.firstAdded),
                              g_host.blockedSinceLoad.end());
        action.messages = std::move(summary.movedMessages);
        // A failure is in the diagnostics log; the run itself stands.
        static_cast<void>(RecordHistoryAction(std::move(action)));
    } catch (...) {
        // Out of memory while gathering the action: it goes unrecorded.
        SW_LOG_CAUGHT();
    }
}

void RunGuarded(BlockMode mode) noexcept {
    const ULONGLONG started = GetTickCount64();
    RunSummary summary;
    summary.firstAdded = g_host.blockedSinceLoad.size();
    try {
        RunBlockCommand(mode, summary);
    } catch (const HostError& error) {
        SW_LOG_CAUGHT();
        ShowRunFailure(error.code(), summary.stayed);
    } catch (...) {
        // Anything else ends the run without a message; it must never reach
        // the host.
        SW_LOG_CAUGHT();
    }
    RecordRun(mode, summary);
    LogSummary(mode, summary, started);
}

} // namespace

void BlockSelectedSenders() noexcept {
    RunGuarded(BlockMode::Senders);
}

void BlockSelectedDomains() noexcept {
    RunGuarded(BlockMode::Domains);
}

} // namespace sw
