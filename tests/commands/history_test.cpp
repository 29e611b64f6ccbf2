// The history of blocking runs as the commands write it, and "Unblock and
// Restore" moving the messages back, in the simulated Outlook.
#include "commands/block_commands.h"
#include "commands/message_restorer.h"
#include "sim/outlook/fault_plan.h"
#include "store/settings.h"
#include "tests/commands/command_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace sw {
namespace {

using sim::Fault;
using sim::Folder;
using sim::Item;
using test::BlockCommandTest;
using test::ProgressProbe;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// An id or name as the history file and gtest's messages hold it.
std::string Ascii(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class HistoryTest : public BlockCommandTest {
protected:
    // Where each message of the action now is, in the action's order.
    static std::vector<std::wstring> EntryIds(const HistoryAction& action) {
        std::vector<std::wstring> ids;
        for (const MovedMessage& message : action.messages)
            ids.push_back(message.entryId);
        return ids;
    }
};

TEST_F(HistoryTest, ARunIsNotedWithItsEntriesAndWhereEachMessageWentAndCameFrom) {
    box().SetNewIdOnMove(true); // as when Junk E-mail is in another store
    StoreBlocked(L"bob@junk.example;");
    Folder& deals = box().AddFolder(L"Deals");
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@junk.example");
    Item& report = box().AddItem(box().Inbox(), sim::ItemKind::Report, L"report");
    box().Select({&ann, &bob, &report});
    const std::wstring annBefore = ann.entryId;
    BlockSelectedSenders();

    box().ShowFolder(deals);
    Item& cid = box().AddMail(deals, L"cid@other.example", {L"me@corp.example"});
    box().Select({&cid});
    BlockSelectedDomains();

    const std::vector<HistoryAction> history = LoadHistory();
    ASSERT_EQ(history.size(), 2u);
    const HistoryAction& first = history[0];
    EXPECT_EQ(first.command, L"Block Senders");
    EXPECT_THAT(first.entries, ElementsAre(L"ann@spam.example")) << "bob was blocked already";
    EXPECT_THAT(EntryIds(first), ElementsAre(ann.entryId, bob.entryId));
    EXPECT_NE(ann.entryId, annBefore) << "the id after the move";
    for (const MovedMessage& message : first.messages) {
        EXPECT_EQ(message.storeId, box().storeId());
        EXPECT_EQ(message.folderId, box().Inbox().entryId());
    }
    EXPECT_FALSE(first.undone);
    EXPECT_EQ(history[1].command, L"Block Domains");
    EXPECT_THAT(history[1].entries, ElementsAre(L"@other.example"));
    ASSERT_EQ(history[1].messages.size(), 1u);
    EXPECT_EQ(history[1].messages[0].folderId, deals.entryId());
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(HistoryTest, RunsThatChangeNothingAreNotNoted) {
    StoreSafe(L"boss@corp.example;");
    Item& boss = Mail(L"boss@corp.example");
    BlockSelectedSenders(); // nothing selected
    box().Select({&boss});
    BlockSelectedSenders();
    EXPECT_THAT(LoadHistory(), IsEmpty());
}

TEST_F(HistoryTest, EarlierMessagesAreNotedWithTheRunAndACancelledRunWithWhatItDid) {
    g_settings.moveEarlier = true;
    Item& earlier = Mail(L"ann@spam.example");
    Item& ann = Mail(L"ann@spam.example");
    box().Select({&ann});
    BlockSelectedSenders();

    const ProgressFactory previous = SetProgressFactory(&ProgressProbe::Make);
    std::vector<Item*> sixty;
    for (int i = 0; i < 60; ++i)
        sixty.push_back(&Mail(L"s" + std::to_wstring(i) + L"@sixty.example"));
    box().Select(sixty);
    ProgressProbe::stopAt = 3;
    BlockSelectedSenders();
    ProgressProbe::stopAt = 0;
    SetProgressFactory(previous);

    const std::vector<HistoryAction> history = LoadHistory();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_THAT(EntryIds(history[0]), ElementsAre(ann.entryId, earlier.entryId));
    EXPECT_EQ(history[1].entries.size(), 3u);
    EXPECT_EQ(history[1].messages.size(), 3u);
}

TEST_F(HistoryTest, AHistoryThatCannotBeWrittenNeverStopsACommand) {
    // The history's folder is a file: nothing can be written there.
    const std::wstring blocker = test::ScratchPath(L"history-blocker");
    test::WriteBytes(blocker, "not a folder");
    SetHistoryFolder(blocker);
    Item& ann = Mail(L"ann@spam.example");
    box().Select({&ann});
    BlockSelectedSenders();
    EXPECT_TRUE(InJunk(ann));
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    SetHistoryFolder(m_historyFolder);
    DeleteFileW(blocker.c_str());
}

class RestoreTest : public BlockCommandTest {
protected:
    // A Block Senders run on `items`, answered as the history noted it.
    HistoryAction Block(std::vector<Item*> items) {
        box().Select(std::move(items));
        BlockSelectedSenders();
        const std::vector<HistoryAction> history = LoadHistory();
        return history.empty() ? HistoryAction() : history.back();
    }
};

TEST_F(RestoreTest, MessagesGoBackOnlyFromJunkEmailToAFolderThatIsStillThere) {
    Folder& deals = box().AddFolder(L"Deals");
    Folder& archive = box().AddFolder(L"Archive");
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@spam.example");
    Item& cid = Mail(L"cid@spam.example");
    const HistoryAction inbox = Block({&ann, &bob, &cid});
    box().ShowFolder(deals);
    Item& dee = box().AddMail(deals, L"dee@spam.example", {L"me@corp.example"});
    const HistoryAction fromDeals = Block({&dee});
    ASSERT_EQ(inbox.messages.size(), 3u);
    ASSERT_EQ(fromDeals.messages.size(), 1u);

    box().Move(bob, archive);  // the user filed it meanwhile
    box().RemoveFolder(deals); // and deleted the folder dee came from
    HistoryAction unknown;
    unknown.messages.push_back({L"00FF", box().storeId(), box().Inbox().entryId()});
    unknown.messages.push_back({ann.entryId, L"0123", box().Inbox().entryId()});

    m_outlook.calls().Clear();
    const RestoreReport report = HostMessageRestorer().Restore({inbox, fromDeals, unknown});
    // Each reason counted apart: bob filed, and the two ids nothing has
    // (any more) are no longer in Junk E-mail; dee's folder is gone.
    EXPECT_EQ(report.restored, 2u); // ann and cid
    EXPECT_EQ(report.notInJunk, 3u);
    EXPECT_EQ(report.folderGone, 1u);
    EXPECT_EQ(report.notMoved, 0u);
    EXPECT_TRUE(box().Inbox().contains(ann));
    EXPECT_TRUE(box().Inbox().contains(cid));
    EXPECT_TRUE(archive.contains(bob)) << "never moved unless in Junk E-mail";
    EXPECT_TRUE(InJunk(dee)) << "its folder is gone: it stays";
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

// A folder of each kind of store a run took messages from, and what
// "Unblock and Restore" then finds of it.
struct StoreCase {
    const char* name;
    sim::StoreType type; // PrimaryMailbox: the default store
    bool junkFolder;     // the store has a Junk E-mail folder of its own
    bool folderGone;     // the user deleted the folder meanwhile
};
constexpr StoreCase kStoreCases[] = {
    {"default mailbox", sim::StoreType::PrimaryMailbox, true, false},
    {"second Exchange mailbox", sim::StoreType::AdditionalMailbox, true, false},
    {"Outlook.com", sim::StoreType::NotExchange, true, false},
    // Its messages went to the default store's Junk E-mail: back across.
    {".pst without Junk E-mail", sim::StoreType::NotExchange, false, false},
    {"delegate mailbox", sim::StoreType::DelegateMailbox, true, false},
    {"Outlook.com, folder deleted", sim::StoreType::NotExchange, true, true},
};

TEST_F(RestoreTest, UndoOfARunOverSeveralStoresPutsEachMessageBackInItsOwnFolder) {
    for (const int major : {12, 14, 16}) {
        SCOPED_TRACE(major);
        std::filesystem::remove_all(std::filesystem::path(m_historyFolder)); // one run each
        sim::OutlookSession outlook(std::to_wstring(major) + L".0.0.1000");
        UseHost(outlook, major);
        sim::Mailbox& mail = outlook.mailbox();

        // Two messages of one sender in a folder of each store.
        std::vector<Folder*> from;
        std::vector<Item*> selection;
        for (const StoreCase& c : kStoreCases) {
            sim::Store& store = c.type == sim::StoreType::PrimaryMailbox
                                    ? mail.defaultStore()
                                    : mail.AddStore(L"store", c.type, c.junkFolder);
            from.push_back(&mail.AddFolder(store, L"Projects"));
            const std::wstring sender = L"s" + std::to_wstring(from.size()) + L"@spam.example";
            for (int i = 0; i < 2; ++i)
                selection.push_back(&mail.AddMail(*from.back(), sender, {L"me@corp.example"}));
        }
        mail.Select(selection);
        BlockSelectedSenders();
        const std::vector<HistoryAction> history = LoadHistory();
        ASSERT_EQ(history.size(), 1u);

        size_t moved = 0, gone = 0, ownJunk = 0;
        for (size_t i = 0; i < std::size(kStoreCases); ++i) {
            const StoreCase& c = kStoreCases[i];
            // Another user's mailbox keeps its mail where Outlook 2007 cannot
            // name its Junk E-mail.
            const bool stays = major < 14 && c.type == sim::StoreType::DelegateMailbox;
            EXPECT_EQ(selection[2 * i]->folder().defaultNumber() == sim::default_folder::Junk,
                      !stays)
                << c.name;
            if (stays)
                continue;
            moved += 2;
            gone += c.folderGone ? 2 : 0;
            ownJunk += &selection[2 * i]->folder().store() != &mail.defaultStore() ? 1 : 0;
            if (c.folderGone)
                mail.RemoveFolder(*from[i]);
        }
        ASSERT_EQ(history[0].messages.size(), moved);

        outlook.calls().Clear();
        const RestoreReport report = HostMessageRestorer().Restore(history);
        EXPECT_EQ(report.restored, moved - gone);
        EXPECT_EQ(report.folderGone, gone);
        EXPECT_EQ(report.Total(), moved);
        for (size_t i = 0; i < std::size(kStoreCases); ++i) {
            const StoreCase& c = kStoreCases[i];
            const Folder& junk = selection[2 * i]->folder();
            for (const Item* item : {selection[2 * i], selection[2 * i + 1]}) {
                if (c.folderGone)
                    EXPECT_EQ(item->folder().defaultNumber(), sim::default_folder::Junk) << c.name;
                else
                    EXPECT_EQ(&item->folder(), from[i]) << c.name;
                EXPECT_EQ(&junk.store(), &item->folder().store()) << c.name;
            }
        }
        // Each other store's Junk E-mail is asked for once, not per message.
        EXPECT_EQ(test::CallsOf(outlook.calls(), L"Store"), ownJunk);
        g_host.hostApp = nullptr;
    }
    // Only Outlook 2007's run leaves the delegate's messages, and says so.
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"2 messages in other people's mailboxes stayed "
                                                L"where they are; their senders are blocked."));
}

TEST_F(RestoreTest, AHistoryOfTheVersionBeforeStillRestores) {
    Item& ann = Mail(L"ann@spam.example");
    box().Move(ann, box().JunkEmail());
    // As the version before wrote a run: no store the message came from.
    std::filesystem::create_directories(std::filesystem::path(m_historyFolder));
    test::WriteBytes(HistoryFilePath(),
                     "Spamwarden history 1\n1\t2024-05-01T10:00:00.000\tdone\tBlock Senders\t"
                     "ann@spam.example\t" +
                         Ascii(ann.entryId) + "/0/0\t" + Ascii(box().storeId()) + "\t" +
                         Ascii(box().Inbox().entryId()) + "\n");
    const std::vector<HistoryAction> history = LoadHistory();
    ASSERT_EQ(history.size(), 1u);
    ASSERT_EQ(history[0].messages.size(), 1u);
    EXPECT_THAT(history[0].messages[0].originStoreId, IsEmpty());
    const RestoreReport report = HostMessageRestorer().Restore(history);
    EXPECT_EQ(report.restored, 1u);
    EXPECT_TRUE(box().Inbox().contains(ann));
}

TEST_F(RestoreTest, ARunInJunkEmailNotesNoMoveAndNothingIsRestoredIntoJunkEmail) {
    box().ShowFolder(box().JunkEmail());
    Item& ann = box().AddMail(box().JunkEmail(), L"ann@spam.example", {L"me@corp.example"});
    m_outlook.calls().Clear();
    const HistoryAction run = Block({&ann});
    EXPECT_THAT(run.entries, ElementsAre(L"ann@spam.example")) << "the entry is still added";
    EXPECT_THAT(run.messages, IsEmpty()) << "a message that stayed where it was is no move";
    EXPECT_EQ(test::CallsOf(m_outlook.calls(), L"Move"), 0u);

    // An older history noting such a "move" restores nothing.
    HistoryAction noted;
    noted.messages.push_back({ann.entryId, box().storeId(), box().JunkEmail().entryId()});
    const RestoreReport report = HostMessageRestorer().Restore({noted});
    EXPECT_EQ(report.restored, 0u);
    EXPECT_EQ(report.notMoved, 1u);
    EXPECT_EQ(report.Total(), 1u);
    EXPECT_TRUE(InJunk(ann));
    EXPECT_EQ(test::CallsOf(m_outlook.calls(), L"Move"), 0u);
}

TEST_F(RestoreTest, HostFailuresLeaveTheMessagesInJunkEmailWithoutAWord) {
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@spam.example");
    const HistoryAction action = Block({&ann, &bob});
    ASSERT_EQ(action.messages.size(), 2u);

    m_outlook.faults().Add(Fault::Fail(L"GetNamespace", RPC_E_DISCONNECTED));
    RestoreReport report = HostMessageRestorer().Restore({action});
    EXPECT_EQ(report.notMoved, 2u);
    EXPECT_EQ(report.Total(), 2u);

    // A lookup the host fails is no message or folder gone.
    for (const wchar_t* lookup : {L"GetItemFromID", L"GetFolderFromID"}) {
        for (const HRESULT hr : {E_FAIL, RPC_E_DISCONNECTED}) {
            m_outlook.faults().Clear();
            m_outlook.faults().Add(Fault::Fail(lookup, hr));
            report = HostMessageRestorer().Restore({action});
            EXPECT_EQ(report.notMoved, 2u) << Ascii(lookup);
            EXPECT_EQ(report.Total(), 2u);
        }
    }

    m_outlook.faults().Clear();
    m_outlook.faults().Add(Fault::Fail(L"Move", E_FAIL).OnCall(1));
    report = HostMessageRestorer().Restore({action});
    EXPECT_EQ(report.restored, 1u);
    EXPECT_EQ(report.notMoved, 1u) << "refused, not gone";
    EXPECT_EQ(report.Total(), 2u);
    EXPECT_TRUE(InJunk(ann));
    EXPECT_TRUE(box().Inbox().contains(bob));

    g_host.hostApp = nullptr;
    report = HostMessageRestorer().Restore({action});
    EXPECT_EQ(report.notMoved, 2u);
    EXPECT_EQ(report.Total(), 2u);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(RestoreTest, ALongRestoreShowsProgressAndCancelLeavesTheRest) {
    const ProgressFactory previous = SetProgressFactory(&ProgressProbe::Make);
    std::vector<Item*> items;
    for (int i = 0; i < 60; ++i)
        items.push_back(&Mail(L"s" + std::to_wstring(i) + L"@sixty.example"));
    const HistoryAction action = Block(items);
    ASSERT_EQ(action.messages.size(), 60u);

    ProgressProbe::shown = 0;
    ProgressProbe::stopAt = 10;
    const RestoreReport report = HostMessageRestorer().Restore({action});
    ProgressProbe::stopAt = 0;
    SetProgressFactory(previous);
    EXPECT_EQ(ProgressProbe::shown, 1u);
    EXPECT_EQ(report.restored, 10u);
    EXPECT_EQ(report.notMoved, 50u);
    EXPECT_EQ(report.Total(), 60u);
    EXPECT_EQ(box().JunkEmail().items().size(), 50u);
}

} // namespace
} // namespace sw
