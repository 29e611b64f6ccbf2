// Where Block Senders sends a message of each kind of store, on each host
// version that differs: the Junk E-mail folder of the message's own store
// where the host can name it, the default store's where it cannot, and
// nowhere for mail of public folders and of other people's mailboxes; and
// what the run's message says of those that stayed.
#include "commands/block_commands.h"
#include "sim/outlook/fault_plan.h"
#include "sim/outlook/mailbox.h"
#include "sim/outlook/outlook_ids.h"
#include "sim/outlook/outlook_session.h"
#include "tests/commands/command_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace sw {
namespace {

using sim::Folder;
using sim::Item;
using sim::Store;
using sim::StoreType;
using test::BlockCommandTest;

// Where a message ends up.
enum class Goes {
    DefaultJunk, // the default store's Junk E-mail
    OwnJunk,     // the Junk E-mail of its own store
    Stays,       // where it was
};

struct StoreCase {
    const char* name;
    StoreType type;
    bool junkFolder;            // the store has a Junk E-mail folder of its own
    bool openedShared;          // opened as another user's folder: Folder.Store is null
    bool fromOwnJunk;           // in the Junk E-mail of the store of the case before
    Goes on12, on14;            // Outlook 2007; Outlook 2010 and later alike
    bool closesHalfway = false; // Outlook refuses to move its second message
};

constexpr StoreCase kCases[] = {
    {"default mailbox", StoreType::PrimaryMailbox, true, false, false, Goes::DefaultJunk,
     Goes::DefaultJunk},
    {"second Exchange mailbox", StoreType::AdditionalMailbox, true, false, false, Goes::DefaultJunk,
     Goes::OwnJunk},
    // Closed during the run: what is left of it stays, and the run goes on.
    {"store closed halfway", StoreType::NotExchange, true, false, false, Goes::DefaultJunk,
     Goes::OwnJunk, true},
    {"Outlook.com or IMAP", StoreType::NotExchange, true, false, false, Goes::DefaultJunk,
     Goes::OwnJunk},
    {"already in its Junk E-mail", StoreType::NotExchange, true, false, true, Goes::DefaultJunk,
     Goes::Stays},
    {"POP .pst", StoreType::NotExchange, true, false, false, Goes::DefaultJunk, Goes::OwnJunk},
    // The user's own .pst without a Junk folder: the default store's, as
    // ever; no folder is created in it.
    {".pst without Junk E-mail", StoreType::NotExchange, false, false, false, Goes::DefaultJunk,
     Goes::DefaultJunk},
    // Another user's mailbox keeps its mail: in its own Junk E-mail, or where
    // it is when that cannot be had.
    {"delegate mailbox", StoreType::DelegateMailbox, true, false, false, Goes::Stays,
     Goes::OwnJunk},
    {"delegate mailbox without Junk E-mail", StoreType::DelegateMailbox, false, false, false,
     Goes::Stays, Goes::Stays},
    {"public folder", StoreType::PublicFolders, false, false, false, Goes::Stays, Goes::Stays},
    {"shared folder without a Store", StoreType::DelegateMailbox, true, true, false,
     Goes::DefaultJunk, Goes::DefaultJunk},
};

// Calls on objects of `kind`, of `member` ("" for any).
size_t CallsOn(const sim::CallLog& log, const wchar_t* kind, const std::wstring& member = {}) {
    size_t count = 0;
    for (const sim::CallRecord& record : log.records())
        count += record.object == kind && (member.empty() || record.member == member) ? 1 : 0;
    return count;
}

TEST_F(BlockCommandTest, EachMessageGoesToTheJunkEmailOfItsOwnStoreOrStaysInOthersStores) {
    for (const int major : {12, 14, 16}) {
        SCOPED_TRACE(major);
        sim::OutlookSession outlook(std::to_wstring(major) + L".0.0.1000");
        sim::Mailbox& box = outlook.mailbox();
        UseHost(outlook, major);

        // Two messages of one sender per store, one store per case.
        std::vector<Item*> selection;
        std::vector<Folder*> from;
        std::set<const Store*> stores;
        unsigned moves = 0; // Move calls before the case's messages
        for (const StoreCase& c : kCases) {
            if (c.closesHalfway)
                outlook.faults().Add(sim::Fault::Fail(L"Move", sim::kErrorNotFound)
                                         .On(L"MailItem")
                                         .OnCall(moves + 2));
            moves += (major < 14 ? c.on12 : c.on14) == Goes::Stays ? 0 : 2;
            Store& store = c.type == StoreType::PrimaryMailbox ? box.defaultStore()
                           : c.fromOwnJunk                     ? from.back()->store()
                                           : box.AddStore(L"store", c.type, c.junkFolder);
            Folder& folder = c.type == StoreType::PublicFolders ? box.AddFolder(store, L"Sales")
                             : c.fromOwnJunk ? *store.DefaultFolder(sim::default_folder::Junk)
                                             : *store.DefaultFolder(sim::default_folder::Inbox);
            if (c.openedShared)
                box.OpenShared(folder);
            const std::wstring sender = L"s" + std::to_wstring(from.size()) + L"@spam.example";
            for (int i = 0; i < 2; ++i)
                selection.push_back(&box.AddMail(folder, sender, {L"me@corp.example"}));
            from.push_back(&folder);
            if (!c.openedShared)
                stores.insert(&store);
        }
        box.Select(selection);
        outlook.calls().Clear();
        m_messages.clear();

        BlockSelectedSenders();

        for (size_t i = 0; i < std::size(kCases); ++i) {
            const StoreCase& c = kCases[i];
            SCOPED_TRACE(c.name);
            const Goes expected = major < 14 ? c.on12 : c.on14;
            Folder* ownJunk = from[i]->store().DefaultFolder(sim::default_folder::Junk);
            Folder* wanted = expected == Goes::DefaultJunk ? &box.JunkEmail()
                             : expected == Goes::OwnJunk   ? ownJunk
                                                           : from[i];
            for (const Item* item : {selection[2 * i], selection[2 * i + 1]}) {
                if (c.closesHalfway && item == selection[2 * i + 1])
                    wanted = from[i];
                EXPECT_EQ(&item->folder(), wanted)
                    << "in "
                    << std::string(item->folder().name().begin(), item->folder().name().end());
                EXPECT_LE(item->moveCalls, expected == Goes::Stays ? 0u : 1u);
            }
        }
        // The senders are blocked wherever their messages are, and the run
        // says, in its one message, how many stayed and why.
        EXPECT_EQ(g_host.blockedSinceLoad.size(), std::size(kCases));
        const std::wstring refused = L" 1 message stayed where it is: Outlook could not move it "
                                     L"to Junk E-mail. Its sender is blocked.";
        EXPECT_THAT(m_messages.texts(),
                    ::testing::ElementsAre(
                        major < 14 ? L"2 messages in public folders stayed where they are; their "
                                     L"senders are blocked. 4 messages in other people's mailboxes "
                                     L"stayed where they are; their senders are blocked." +
                                         refused
                                   : L"2 messages in public folders stayed where they are; their "
                                     L"senders are blocked. 2 messages in other people's mailboxes "
                                     L"stayed where they are; their senders are blocked." +
                                         refused));

        // Each folder's store is asked for once, and each store for its
        // type and Junk E-mail once, however many messages it holds.
        // The shared folder's store is never reached; the default store is
        // known by its StoreID.
        const sim::CallLog& log = outlook.calls();
        const size_t otherStores = stores.size() - 1;
        EXPECT_EQ(CallsOn(log, L"Folder", L"Store"), std::size(kCases));
        EXPECT_EQ(CallsOn(log, L"Store", L"StoreID"), std::size(kCases) - 1);
        EXPECT_EQ(CallsOn(log, L"Store", L"ExchangeStoreType"), otherStores);
        EXPECT_EQ(CallsOn(log, L"Store", L"GetDefaultFolder"),
                  major < 14 ? 0u : otherStores - 1 /* not the public folders' */);
        EXPECT_EQ(CallsOn(log, L"Store"), CallsOn(log, L"Store", L"StoreID") +
                                              CallsOn(log, L"Store", L"ExchangeStoreType") +
                                              CallsOn(log, L"Store", L"GetDefaultFolder"));
        g_host.hostApp = nullptr;
    }
}

} // namespace
} // namespace sw
