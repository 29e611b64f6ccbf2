// New mail from senders blocked since Outlook started, as the NewMailEx
// handler moves it, in the simulated Outlook.
#include "commands/block_commands.h"
#include "commands/message_restorer.h"
#include "commands/new_mail.h"
#include "sim/outlook/fault_plan.h"
#include "store/settings.h"
#include "tests/commands/command_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sw {
namespace {

using sim::Item;
using test::BlockCommandTest;
using test::CallsOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class NewMailTest : public BlockCommandTest {
protected:
    // Outlook started with `atStart` on the list; since then the list was
    // written as `now` (by a command or the Options sheet alike).
    void ListSinceStart(const std::wstring& atStart, const std::wstring& now) {
        StoreBlocked(atStart);
        EXPECT_TRUE(WriteProfileList(g_host.Profile(), now, g_host.newBlockedEntries,
                                     g_host.blockedSinceLoad)
                        .ok());
    }
    size_t Deliver(const std::vector<Item*>& items) {
        std::wstring ids;
        for (const Item* item : items)
            ids += (ids.empty() ? L"" : L",") + item->entryId;
        return MoveNewMailFromBlockedSenders(ids);
    }
};

TEST_F(NewMailTest, OnlyMailFromSendersBlockedSinceStartMoves) {
    struct Case {
        const char* what;
        std::wstring atStart, now, safe;
        std::function<Item&(sim::Mailbox&)> arrives;
        bool moves;
    };
    const auto mail = [](const wchar_t* sender) {
        return [=](sim::Mailbox& box) -> Item& {
            return box.AddMail(box.Inbox(), sender, {L"me@corp.example"});
        };
    };
    const std::vector<Case> cases = {
        {"an added address, letter case aside", L"old@x.example;",
         L"old@x.example;Ann@Spam.example;", L"", mail(L"ann@spam.EXAMPLE"), true},
        {"an added domain", L"", L"@spam.example;", L"", mail(L"zed@spam.example"), true},
        {"an added domain, the sender in another letter case", L"", L"@shop.example;", L"",
         mail(L"Ann@Shop.EXAMPLE"), true},
        {"an added domain in another letter case", L"", L"@Shop.EXAMPLE;", L"",
         mail(L"ann@shop.example"), true},
        {"a subdomain is not the domain", L"", L"@spam.example;", L"", mail(L"zed@eu.spam.example"),
         false},
        {"blocked before start: left to Outlook", L"ann@spam.example;",
         L"ann@spam.example;bob@junk.example;", L"", mail(L"ann@spam.example"), false},
        {"a domain blocked before start", L"@spam.example;", L"@spam.example;bob@junk.example;",
         L"", mail(L"ann@spam.example"), false},
        {"a Safe Senders address stays", L"", L"@spam.example;", L"ann@spam.example;",
         mail(L"ann@spam.example"), false},
        {"a Safe Senders domain stays", L"", L"ann@spam.example;", L"@spam.example;",
         mail(L"ann@spam.example"), false},
        {"removed again since", L"", L"", L"", mail(L"ann@spam.example"), false},
        {"a meeting request is no mail", L"", L"ann@spam.example;", L"",
         [](sim::Mailbox& box) -> Item& {
             Item& invite = box.AddItem(box.Inbox(), sim::ItemKind::MeetingRequest, L"invite");
             invite.senderAddress = L"ann@spam.example";
             return invite;
         },
         false},
        {"an Exchange sender by its SMTP address", L"", L"dee@spam.example;", L"",
         [](sim::Mailbox& box) -> Item& {
             return box.AddExchangeMail(box.Inbox(), L"/O=CORP/CN=DEE", L"dee@spam.example", true,
                                        {L"me@corp.example"});
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetAddinState();
        g_host.capabilities = HostCapabilities(12);
        g_host.profileName = L"Command Test";
        g_host.hostApp = m_outlook.Application();
        StoreSafe(c.safe);
        // "Removed again since": added by one write, taken off by the next.
        if (c.now.empty())
            ListSinceStart(L"", L"ann@spam.example;");
        ListSinceStart(c.atStart, c.now);
        Item& item = c.arrives(box());
        EXPECT_EQ(Deliver({&item}), c.moves ? 1u : 0u);
        EXPECT_EQ(InJunk(item), c.moves);
        EXPECT_EQ(StoredBlocked(), c.now) << "the list is only read";
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(NewMailTest, ACollectionIsHandledIdByIdAndRecordedAsOneRestorableRun) {
    StoreBlocked(L"keep@old.example;");
    Item& first = Mail(L"ann@spam.example");
    box().Select({&first});
    BlockSelectedSenders(); // the command's own addition counts
    ListSinceStart(L"keep@old.example;ann@spam.example;",
                   L"keep@old.example;ann@spam.example;@junk.example;"); // the page's
    ASSERT_EQ(LoadHistory().size(), 1u);

    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@junk.example");
    Item& friendly = Mail(L"friend@other.example");
    Item& already = box().AddMail(box().JunkEmail(), L"cid@junk.example", {L"me@corp.example"});
    Item& report = box().AddItem(box().Inbox(), sim::ItemKind::Report, L"report");
    report.senderAddress = L"ann@spam.example";
    // Outlook 2003's form: ids separated by commas, with ids that find
    // nothing (moved by a rule already) among them.
    const std::wstring ids = ann.entryId + L", 00DEAD00," + report.entryId + L",," +
                             friendly.entryId + L"," + already.entryId + L"," + bob.entryId;
    m_outlook.calls().Clear();
    EXPECT_EQ(MoveNewMailFromBlockedSenders(ids), 2u);
    EXPECT_TRUE(InJunk(ann));
    EXPECT_TRUE(InJunk(bob));
    EXPECT_FALSE(InJunk(friendly));
    EXPECT_FALSE(InJunk(report));
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Move"), 2u) << "nothing moved twice";
    EXPECT_THAT(m_messages.texts(), IsEmpty());

    const std::vector<HistoryAction> history = LoadHistory();
    ASSERT_EQ(history.size(), 2u);
    const HistoryAction& run = history.back();
    EXPECT_EQ(run.command, kNewMailCommand);
    EXPECT_THAT(run.entries, ElementsAre(L"ann@spam.example", L"@junk.example"));
    ASSERT_EQ(run.messages.size(), 2u);
    EXPECT_EQ(run.messages[0].folderId, box().Inbox().entryId());

    const RestoreReport restored = HostMessageRestorer().Restore({run});
    EXPECT_EQ(restored.restored, 2u);
    EXPECT_FALSE(InJunk(ann));
    EXPECT_FALSE(InJunk(bob));
}

TEST_F(NewMailTest, HostCallsStayWithinTheItemAndItsSender) {
    Item& ann = Mail(L"ann@spam.example");
    std::wstring ids;
    for (int i = 0; i < 1000; ++i)
        ids += (i ? L"," : L"") + Mail(L"someone" + std::to_wstring(i) + L"@ok.example").entryId;

    // Nothing added since start: not one host call, whatever arrives.
    StoreBlocked(L"ann@spam.example;");
    m_outlook.calls().Clear();
    EXPECT_EQ(MoveNewMailFromBlockedSenders(ids + L"," + ann.entryId), 0u);
    EXPECT_EQ(m_outlook.calls().size(), 0u);

    // The setting off: none either.
    ListSinceStart(L"", L"ann@spam.example;");
    g_settings.moveNewMail = false;
    EXPECT_EQ(MoveNewMailFromBlockedSenders(ann.entryId), 0u);
    EXPECT_EQ(m_outlook.calls().size(), 0u);
    EXPECT_FALSE(InJunk(ann));

    // A thousand ids, none blocked: the namespace once, then per id the item
    // and its sender, and nothing else.
    g_settings.moveNewMail = true;
    EXPECT_EQ(MoveNewMailFromBlockedSenders(ids), 0u);
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"GetNamespace"), 1u);
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"GetItemFromID"), 1000u);
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Parent"), 0u);
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"GetDefaultFolder"), 0u);
    EXPECT_LE(m_outlook.calls().size(), 1u + 1000u * 4u);
    EXPECT_TRUE(LoadHistory().empty());
}

TEST_F(NewMailTest, AMessageTheHostFailsOnIsLeftAloneAndTheOthersAreHandled) {
    ListSinceStart(L"", L"@spam.example;");
    Item& first = Mail(L"ann@spam.example");
    Item& second = Mail(L"bob@spam.example");
    Item& third = Mail(L"cid@spam.example");
    m_outlook.faults().Add(sim::Fault::Fail(L"Move", E_FAIL).OnCall(1));
    m_outlook.faults().Add(sim::Fault::Fail(L"SenderEmailAddress", DISP_E_EXCEPTION).OnCall(2));
    EXPECT_EQ(Deliver({&first, &second, &third}), 1u);
    EXPECT_FALSE(InJunk(first));
    EXPECT_FALSE(InJunk(second));
    EXPECT_TRUE(InJunk(third));
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    ASSERT_EQ(LoadHistory().size(), 1u);
    EXPECT_EQ(LoadHistory()[0].messages.size(), 1u);
}

// New mail in each kind of store, on each host that differs: found in its
// own store where the host lists the stores, moved to the Junk E-mail the
// commands would choose, with the store that answered asked first for the
// next message; mail in Junk E-mail already and ids nothing has stay quiet.
TEST_F(NewMailTest, NewMailIsFoundInTheStoreItArrivedInAndGoesToItsJunkEmail) {
    enum class Goes { DefaultJunk, OwnJunk, Stays };
    struct Case {
        const char* what;
        sim::StoreType type; // PrimaryMailbox: the default store
        Goes on11, on12, on14;
    };
    using enum sim::StoreType;
    const Case cases[] = {
        {"default mailbox", PrimaryMailbox, Goes::DefaultJunk, Goes::DefaultJunk,
         Goes::DefaultJunk},
        {"second Exchange mailbox", AdditionalMailbox, Goes::Stays, Goes::DefaultJunk,
         Goes::OwnJunk},
        {"Outlook.com-like account", NotExchange, Goes::Stays, Goes::DefaultJunk, Goes::OwnJunk},
        {"POP .pst", NotExchange, Goes::Stays, Goes::DefaultJunk, Goes::OwnJunk},
        {"public folder", PublicFolders, Goes::Stays, Goes::Stays, Goes::Stays},
    };
    size_t runs = 0; // the history's, of every host
    for (const int major : {11, 12, 14, 16}) {
        SCOPED_TRACE(major);
        sim::OutlookSession outlook(std::to_wstring(major) + L".0.0.1000");
        sim::Mailbox& box = outlook.mailbox();
        ResetAddinState();
        g_host.capabilities = HostCapabilities(major);
        g_host.profileName = L"Command Test";
        g_host.hostApp = outlook.Application();
        test::RegistrySandbox::CreateKey(ListKey());
        ListSinceStart(L"", L"@spam.example;");
        const sim::CallLog& log = outlook.calls();
        std::wstring stayingIds = L"00DEAD00";
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            sim::Store& store = c.type == PrimaryMailbox ? box.defaultStore()
                                                         : box.AddStore(L"store", c.type, true);
            sim::Folder& inbox = c.type == PublicFolders
                                     ? box.AddFolder(store, L"Sales")
                                     : *store.DefaultFolder(sim::default_folder::Inbox);
            // Another store's Junk E-mail is known for what it is from 2010 on.
            sim::Folder* junk = store.DefaultFolder(sim::default_folder::Junk);
            if (junk && (c.type == PrimaryMailbox || major >= 14))
                stayingIds += L"," + box.AddMail(*junk, L"old@spam.example", {}).entryId;
            const Goes goes = major < 12 ? c.on11 : major < 14 ? c.on12 : c.on14;
            sim::Folder* wanted = goes == Goes::DefaultJunk ? &box.JunkEmail()
                                  : goes == Goes::OwnJunk
                                      ? store.DefaultFolder(sim::default_folder::Junk)
                                      : &inbox;
            for (const bool second : {false, true}) {
                SCOPED_TRACE(second ? "the second message" : "the first message");
                Item& mail = box.AddMail(inbox, L"ann@spam.example", {L"me@corp.example"});
                outlook.calls().Clear();
                EXPECT_EQ(MoveNewMailFromBlockedSenders(mail.entryId),
                          goes == Goes::Stays ? 0u : 1u);
                EXPECT_EQ(&mail.folder(), wanted);
                runs += goes == Goes::Stays ? 0 : 1;
                // The stores are listed once at most, and each asked once.
                EXPECT_LE(CallsOf(log, L"Stores"), major < 12 ? 0u : 1u);
                EXPECT_LE(CallsOf(log, L"GetItemFromID"), 2 + box.stores().size());
                // Where the last message was found is asked first, and alone.
                if (second && goes != Goes::Stays) {
                    EXPECT_EQ(CallsOf(log, L"GetItemFromID"), 1u);
                    EXPECT_EQ(CallsOf(log, L"Stores"), 0u);
                }
            }
        }
        // Mail in its store's Junk E-mail already, and an id nothing has:
        // nothing moves, nothing is noted, nothing is shown.
        outlook.calls().Clear();
        EXPECT_EQ(MoveNewMailFromBlockedSenders(stayingIds), 0u);
        EXPECT_EQ(CallsOf(log, L"Move"), 0u);
        EXPECT_EQ(CallsOf(log, L"Stores"), major < 12 ? 0u : 1u) << "once for the whole event";
        EXPECT_EQ(LoadHistory().size(), runs);
        g_host.hostApp = nullptr;
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

} // namespace
} // namespace sw
