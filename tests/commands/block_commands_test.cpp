// Block Senders and Block Domains end to end: the simulated Outlook, the
// real (Wine) registry and the add-in's message boxes.
#include "commands/block_commands.h"
#include "commands/capacity_warning.h"
#include "commands/new_mail.h"
#include "outlook/host_error.h"
#include "platform/command_progress.h"
#include "platform/diagnostics.h"
#include "sim/outlook/fault_plan.h"
#include "tests/commands/command_fixture.h"
#include "sim/outlook/outlook_session.h"
#include "store/profile_store.h"
#include "store/list_text.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/import_patch.h"
#include "tests/harness/message_recorder.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sw {
namespace {

using sim::Fault;
using sim::Folder;
using sim::Item;
using sim::ItemKind;
using test::BlockCommandTest;
using test::CallsOf;
using test::ImportPatch;
using test::MessageRecorder;
using test::ProgressProbe;
using test::RegistrySandbox;
using test::WriteCounter;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

TEST_F(BlockCommandTest, OtherFolderKindsAskForEmailsAndTouchNothing) {
    for (Folder* folder : {&box().Calendar(), &box().Contacts()}) {
        box().ShowFolder(*folder);
        RegistrySandbox::DeleteKey(ListKey()); // any read would now report a failure
        BlockSelectedSenders();
        BlockSelectedDomains();
    }
    EXPECT_THAT(m_messages.texts(),
                ElementsAre(L"Please select the emails first.", L"Please select the emails first.",
                            L"Please select the emails first.",
                            L"Please select the emails first."));
    EXPECT_EQ(m_messages.messages()[0].caption, L"Spamwarden");
    EXPECT_EQ(m_messages.messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(WriteCounter::writes, 0);
}

TEST_F(BlockCommandTest, NothingSelectedDoesNothing) {
    BlockSelectedSenders();
    EXPECT_EQ(WriteCounter::writes, 0);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, TwoMessagesFromOneSenderGiveOneEntryAndOneWrite) {
    Item& one = Mail(L"ann@example.org");
    Item& two = Mail(L"ann@example.org");
    Item& note = box().AddItem(box().Inbox(), ItemKind::Report, L"delivery report");
    box().Select({&one, &note, &two});

    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"ann@example.org;");
    EXPECT_THAT(g_host.blockedSinceLoad, ElementsAre(L"ann@example.org"));
    EXPECT_TRUE(InJunk(one));
    EXPECT_TRUE(InJunk(two));
    EXPECT_FALSE(InJunk(note)) << "not a mail message";
    EXPECT_EQ(WriteCounter::writes, 1);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, AlreadyBlockedSenderIsMovedWithoutAWrite) {
    StoreBlocked(L"ANN@example.org;bob@example.net;");
    Item& one = Mail(L"ann@example.org");
    Item& two = Mail(L"bob@example.net");
    box().Select({&one, &two});
    BlockSelectedSenders();
    EXPECT_TRUE(InJunk(one));
    EXPECT_TRUE(InJunk(two));
    EXPECT_EQ(WriteCounter::writes, 0);
    EXPECT_THAT(g_host.blockedSinceLoad, IsEmpty());
}

TEST_F(BlockCommandTest, NeverBlockListAndUnusableSendersLeaveMessagesAlone) {
    StoreSafe(L"boss@example.com;@partner.example;");
    Item& boss = Mail(L"boss@example.com");
    Item& partner = Mail(L"sales@partner.example");
    Item& internal = Mail(L"/O=CORP/OU=EXCHANGE/CN=RECIPIENTS/CN=ANN");
    Item& empty = Mail(L"");
    box().Select({&boss, &partner, &internal, &empty});
    BlockSelectedSenders();
    BlockSelectedDomains();
    for (Item* item : {&boss, &partner, &internal, &empty})
        EXPECT_FALSE(InJunk(*item));
    EXPECT_EQ(WriteCounter::writes, 0);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, MessageToItselfIsSkippedBySendersOnly) {
    Item& self = Mail(L"Ann@Example.org", {L"ann@example.ORG"});
    Item& copied = Mail(L"bob@example.net", {L"bob@example.net", L"me@corp.example"});
    box().Select({&self, &copied});
    BlockSelectedSenders();
    EXPECT_FALSE(InJunk(self));
    EXPECT_TRUE(InJunk(copied));
    EXPECT_EQ(StoredBlocked(), L"bob@example.net;");

    box().ShowFolder(box().Inbox());
    box().Select({&self});
    BlockSelectedDomains();
    EXPECT_TRUE(InJunk(self));
    EXPECT_EQ(StoredBlocked(), L"bob@example.net;@Example.org;");
}

TEST_F(BlockCommandTest, DomainsUseTheSafeDomainException) {
    g_settings.safeDomains = L"@example.net;@example.org";
    Item& ann = Mail(L"ann@example.org");
    Item& bob = Mail(L"bob@example.net");
    Item& cid = Mail(L"cid@spam.example");
    Item& dee = Mail(L"dee@spam.example");
    box().Select({&ann, &bob, &cid, &dee});
    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"ann@example.org;bob@example.net;@spam.example;");
    EXPECT_THAT(g_host.blockedSinceLoad,
                ElementsAre(L"ann@example.org", L"bob@example.net", L"@spam.example"));
    EXPECT_EQ(WriteCounter::writes, 1);
    for (Item* item : {&ann, &bob, &cid, &dee})
        EXPECT_TRUE(InJunk(*item));
}

TEST_F(BlockCommandTest, DomainsWithTheExceptionOffOrASingleSafeEntry) {
    g_settings.safeDomains = L"@example.net;@example.org";
    g_settings.hasSafeDomains = false;
    Item& ann = Mail(L"ann@example.org");
    Item& bob = Mail(L"bob@example.net");
    box().Select({&ann, &bob});
    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"@example.org;@example.net;");

    StoreBlocked(L"");
    g_host.blockedSinceLoad.clear();
    g_settings.hasSafeDomains = true;
    g_settings.safeDomains = L"@example.org";
    Item& again = Mail(L"ann@example.org");
    Item& bare = Mail(L"ann@");
    box().Select({&again, &bare});
    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"ann@example.org;@;");
}

// Whom the Safe Senders list and the safe domains protect is decided without
// regard to ASCII case, wherever the entry stands in its list, on every path
// that moves mail: the two commands, new mail and the sweep of earlier mail.
TEST_F(BlockCommandTest, ProtectionsIgnoreLetterCaseForEveryEntry) {
    enum class Protection { SafeAddress, SafeDomain, SafeDomainSetting };
    enum class Path { BlockSenders, BlockDomains, NewMail, Sweep };
    struct Case {
        const char* what;
        Protection protection;
        Path path;
    };
    const Case cases[] = {
        {"Block Senders, a Safe Senders address", Protection::SafeAddress, Path::BlockSenders},
        {"Block Senders, a Safe Senders domain", Protection::SafeDomain, Path::BlockSenders},
        {"Block Domains, a Safe Senders address", Protection::SafeAddress, Path::BlockDomains},
        {"Block Domains, a Safe Senders domain", Protection::SafeDomain, Path::BlockDomains},
        {"Block Domains, a safe domain", Protection::SafeDomainSetting, Path::BlockDomains},
        {"new mail, a Safe Senders address", Protection::SafeAddress, Path::NewMail},
        {"new mail, a Safe Senders domain", Protection::SafeDomain, Path::NewMail},
        // A domain the list protects is never blocked, so only an address
        // is left for the sweep to spare.
        {"the sweep, a Safe Senders address", Protection::SafeAddress, Path::Sweep},
    };
    struct Spelling {
        const wchar_t* entry;
        const wchar_t* sender;
    };
    const Spelling spellings[] = {{L"Friend@Mail.EXAMPLE", L"friend@mail.example"},
                                  {L"friend@mail.example", L"FRIEND@MAIL.Example"},
                                  {L"fRiEnD@mAiL.eXaMpLe", L"Friend@Mail.Example"}};
    for (const Case& c : cases) {
        for (const Spelling& spelling : spellings) {
            for (size_t position = 0; position < 3; ++position) {
                SCOPED_TRACE(testing::Message()
                             << c.what << ", " << spelling.entry << " at " << position);
                ResetAddinState();
                g_host.capabilities = HostCapabilities(12);
                g_host.profileName = L"Command Test";
                g_host.hostApp = m_outlook.Application();
                g_settings.moveEarlier = c.path == Path::Sweep;
                const std::wstring entry = c.protection == Protection::SafeAddress
                                               ? std::wstring(spelling.entry)
                                               : DomainOfAddress(spelling.entry);
                std::vector<std::wstring> list = {L"one@other.example", L"@two.example"};
                list.insert(list.begin() + static_cast<std::ptrdiff_t>(position), entry);
                std::wstring terminated, separated;
                for (const std::wstring& e : list) {
                    terminated += e + L";";
                    separated += (separated.empty() ? L"" : L";") + e;
                }
                StoreSafe(c.protection == Protection::SafeDomainSetting ? L"" : terminated);
                g_settings.safeDomains =
                    c.protection == Protection::SafeDomainSetting ? separated : L"@two.example";
                StoreBlocked(L"");
                box().ShowFolder(box().Inbox());
                Item& mail = Mail(spelling.sender);

                switch (c.path) {
                case Path::BlockSenders:
                case Path::BlockDomains:
                    box().Select({&mail});
                    c.path == Path::BlockSenders ? BlockSelectedSenders() : BlockSelectedDomains();
                    if (c.protection == Protection::SafeDomainSetting) {
                        EXPECT_EQ(StoredBlocked(), std::wstring(spelling.sender) + L";")
                            << "the sender alone, never the safe domain";
                    } else {
                        EXPECT_FALSE(InJunk(mail));
                        EXPECT_EQ(StoredBlocked(), L"");
                    }
                    break;
                case Path::NewMail:
                    EXPECT_TRUE(WriteProfileList(g_host.Profile(), L"@mail.example;",
                                                 g_host.newBlockedEntries, g_host.blockedSinceLoad)
                                    .ok());
                    EXPECT_EQ(MoveNewMailFromBlockedSenders(mail.entryId), 0u);
                    EXPECT_FALSE(InJunk(mail));
                    break;
                case Path::Sweep: {
                    Item& other = Mail(L"other@mail.example");
                    Item& spam = Mail(L"spam@mail.example");
                    box().Select({&spam});
                    BlockSelectedDomains();
                    EXPECT_TRUE(InJunk(other)) << "the sweep ran";
                    EXPECT_FALSE(InJunk(mail));
                    break;
                }
                }
            }
        }
    }
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, AddressEntryDoesNotBlockItsDomain) {
    StoreBlocked(L"ann@example.org;");
    Item& ann = Mail(L"ann@example.org");
    box().Select({&ann});
    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"ann@example.org;@example.org;");
}

TEST_F(BlockCommandTest, SendersThatWouldSplitIntoSeveralEntriesAreNeverListed) {
    Item& quoted = Mail(L"\"x;@gmail.com;\"@evil.example");
    Item& nul = Mail(std::wstring(L"a@b.example\0@gmail.com", 22));
    Item& tab = Mail(L"a\t@evil.example");
    box().Select({&quoted, &nul, &tab});
    BlockSelectedSenders();
    BlockSelectedDomains();
    for (Item* item : {&quoted, &nul, &tab})
        EXPECT_FALSE(InJunk(*item));
    EXPECT_EQ(WriteCounter::writes, 0);
    EXPECT_THAT(g_host.blockedSinceLoad, IsEmpty());
}

TEST_F(BlockCommandTest, FailedReadOfTheBlockedListEndsTheRun) {
    RegistrySandbox::DeleteKey(ListKey());
    Item& ann = Mail(L"ann@example.org");
    box().Select({&ann});
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"RegOpenKeyEx Failed: 2."));
    EXPECT_FALSE(InJunk(ann));
    EXPECT_THAT(g_host.blockedSinceLoad, IsEmpty());
    EXPECT_EQ(WriteCounter::writes, 0);
}

TEST_F(BlockCommandTest, AMessageThatDoesNotMoveIsRecordedAndToldAtTheEnd) {
    const std::wstring folder = test::ScratchPath(L"command-log");
    const std::wstring previous = SetLogFolder(folder);
    RegistrySandbox::SetDword(kProductSettingsKey, kLogLevelValue, 2);
    WriteCounter::writes = 0;

    Item& ann = Mail(L"ann@example.org");
    box().Select({&ann});
    m_outlook.faults().Add(Fault::Fail(L"Move", E_ACCESSDENIED));
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(),
                ElementsAre(L"1 message stayed where it is: Outlook could not move it to Junk "
                            L"E-mail. Its sender is blocked."))
        << "the run goes on and says so at its end";
    EXPECT_EQ(StoredBlocked(), L"ann@example.org;");
    EXPECT_FALSE(InJunk(ann));

    const std::string log = test::ReadBytes(LogFilePath());
    DeleteFileW(LogFilePath().c_str());
    RemoveDirectoryW(folder.c_str());
    SetLogFolder(previous);
    EXPECT_THAT(log, HasSubstr("\"Move\""));
    EXPECT_THAT(log, HasSubstr("0x80070005 at commands/junk_mover.cpp:"));
    EXPECT_THAT(log, HasSubstr("Block Senders: 1 items, 0 moved, 1 entries added, "));
    EXPECT_THAT(log, HasSubstr(" 1 not moved, "));
}

constexpr wchar_t kAnnX500[] =
    L"/O=CORP/OU=EXCHANGE ADMINISTRATIVE GROUP (FYDIBOHF23SPDLT)/CN=RECIPIENTS/CN=ANN";
constexpr wchar_t kBobX500[] =
    L"/O=CORP/OU=EXCHANGE ADMINISTRATIVE GROUP (FYDIBOHF23SPDLT)/CN=RECIPIENTS/CN=BOB";

TEST_F(BlockCommandTest, ExchangeSendersAreBlockedByTheirSmtpAddressNeverTheirX500Path) {
    // PR_SENDER_SMTP_ADDRESS on the message; the Exchange user only; neither.
    Item& byProperty = box().AddExchangeMail(box().Inbox(), kAnnX500, L"ann@spam.example", true,
                                             {L"me@corp.example", L"you@corp.example"});
    Item& byDirectory = box().AddExchangeMail(box().Inbox(), kBobX500, L"Bob@Other.example", false,
                                              {L"me@corp.example", L"you@corp.example"});
    Item& unknown = box().AddExchangeMail(box().Inbox(), L"/O=CORP/CN=GHOST", L"", false,
                                          {L"me@corp.example", L"you@corp.example"});
    box().Select({&byProperty, &byDirectory, &unknown});
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;Bob@Other.example;");
    EXPECT_TRUE(InJunk(byProperty));
    EXPECT_TRUE(InJunk(byDirectory));
    EXPECT_FALSE(InJunk(unknown)) << "no SMTP address: left alone as today";
    EXPECT_THAT(m_messages.texts(), IsEmpty());

    // Block Domains takes the domain of the SMTP address.
    Item& domain = box().AddExchangeMail(box().Inbox(), kAnnX500, L"carl@junk.example", true,
                                         {L"me@corp.example", L"you@corp.example"});
    box().Select({&domain});
    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;Bob@Other.example;@junk.example;");
    EXPECT_EQ(StoredBlocked().find(L"/O="), std::wstring::npos);
}

TEST_F(BlockCommandTest, AnExchangeUserWritingToItselfIsNotBlocked) {
    Item& self =
        box().AddExchangeMail(box().Inbox(), kAnnX500, L"ann@corp.example", true, {L"placeholder"});
    self.recipients[0] = {L"Ann", kAnnX500, L"EX", L"ANN@corp.example"};
    // An Exchange recipient whose directory entry has no SMTP address is
    // nobody's own address.
    Item& other =
        box().AddExchangeMail(box().Inbox(), kBobX500, L"bob@corp.example", true, {L"placeholder"});
    other.recipients[0] = {L"Ghost", L"/O=CORP/CN=GHOST", L"EX", L""};
    box().Select({&self, &other});
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"bob@corp.example;");
    EXPECT_FALSE(InJunk(self));
    EXPECT_TRUE(InJunk(other));
}

TEST_F(BlockCommandTest, LongRunsShowProgressAndCancelKeepsWhatWasDone) {
    const ProgressFactory previous = SetProgressFactory(&ProgressProbe::Make);
    ProgressProbe::shown = 0;
    ProgressProbe::steps.clear();
    std::vector<Item*> fifty;
    for (int i = 0; i < 50; ++i)
        fifty.push_back(&Mail(L"s" + std::to_wstring(i) + L"@fifty.example"));
    box().Select(fifty);
    BlockSelectedSenders();
    EXPECT_EQ(ProgressProbe::shown, 0u) << "50 items show nothing new";
    EXPECT_TRUE(InJunk(*fifty.back()));

    std::vector<Item*> sixty;
    for (int i = 0; i < 60; ++i)
        sixty.push_back(&Mail(L"s" + std::to_wstring(i) + L"@sixty.example"));
    box().Select(sixty);
    ProgressProbe::stopAt = 20;
    WriteCounter::writes = 0;
    BlockSelectedSenders();
    ProgressProbe::stopAt = 0;
    SetProgressFactory(previous);
    EXPECT_EQ(ProgressProbe::shown, 1u);
    EXPECT_EQ(ProgressProbe::total, 60u);
    EXPECT_EQ(ProgressProbe::steps.size(), 20u) << "stopped after the item at hand";
    EXPECT_TRUE(InJunk(*sixty[19]));
    EXPECT_FALSE(InJunk(*sixty[20]));
    EXPECT_EQ(WriteCounter::writes, 1) << "written once, as a complete run";
    const std::wstring stored = StoredBlocked();
    EXPECT_NE(stored.find(L"s19@sixty.example;"), std::wstring::npos);
    EXPECT_EQ(stored.find(L"s20@sixty.example;"), std::wstring::npos);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, CollapsedConversationsJoinTheRunAndNoMessageIsActedOnTwice) {
    m_outlook.SetVersion(L"14.0.0.4760");
    g_host.capabilities = HostCapabilities(14);
    Item& ann = Mail(L"ann@spam.example");
    Item& annAgain = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@junk.example");
    Item& cid = Mail(L"cid@other.example");
    // The user's own reply lies in another folder: not in this run.
    Item& reply = box().AddMail(*box().DefaultFolder(sim::default_folder::SentMail),
                                L"me@corp.example", {L"ann@spam.example"});
    // cid and bob selected; ann's conversation and bob's collapsed.
    box().SelectWithConversations({&cid, &bob}, {{&ann, &annAgain, &reply}, {&bob}});
    m_outlook.calls().Clear();
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"cid@other.example;bob@junk.example;ann@spam.example;");
    EXPECT_TRUE(InJunk(ann));
    EXPECT_TRUE(InJunk(annAgain));
    EXPECT_TRUE(InJunk(bob));
    EXPECT_TRUE(InJunk(cid));
    EXPECT_FALSE(InJunk(reply));
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Move"), 4u) << "bob once";
    EXPECT_EQ(WriteCounter::writes, 1);
    EXPECT_THAT(m_messages.texts(), IsEmpty());

    // Only a collapsed conversation selected: Explorer.Selection is empty.
    Item& dee = Mail(L"dee@spam.example");
    box().SelectWithConversations({}, {{&dee}});
    BlockSelectedDomains();
    EXPECT_TRUE(InJunk(dee));
    EXPECT_EQ(StoredBlocked(),
              L"cid@other.example;bob@junk.example;ann@spam.example;@spam.example;");
}

TEST_F(BlockCommandTest, AMessageWhoseIdCannotBeReadIsNeverMovedTwice) {
    // ann is selected and inside a selected conversation with gus. Parent
    // failing too, the mover cannot see that a copy is in Junk E-mail already.
    m_outlook.SetVersion(L"14.0.0.4760");
    g_host.capabilities = HostCapabilities(14);
    struct Case {
        const char* name;
        std::vector<Fault> faults;
        size_t moves; // Move calls: ann's once, and gus's unless left out
        bool gusMoved;
    };
    const Fault noParent = Fault::Fail(L"Parent", E_FAIL).On(L"MailItem");
    const Case cases[] = {
        {"every id read", {}, 2, true},
        {"the selected copy's id unreadable",
         {Fault::Fail(L"EntryID", E_FAIL).On(L"MailItem").OnCall(1), noParent},
         1,
         false},
        {"the conversation's copy's id unreadable",
         {Fault::Fail(L"EntryID", E_FAIL).On(L"MailItem").OnCall(2), noParent},
         2,
         true},
        {"no id readable",
         {Fault::Fail(L"EntryID", RPC_E_DISCONNECTED).On(L"MailItem"), noParent},
         1,
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        m_outlook.faults().Clear();
        StoreBlocked(L"");
        g_host.blockedSinceLoad.clear();
        Item& ann = Mail(L"ann@spam.example");
        Item& gus = Mail(L"gus@spam.example");
        box().SelectWithConversations({&ann}, {{&ann, &gus}});
        for (const Fault& fault : test.faults)
            m_outlook.faults().Add(fault);
        m_outlook.calls().Clear();
        BlockSelectedSenders();
        EXPECT_EQ(CallsOf(m_outlook.calls(), L"Move"), test.moves);
        EXPECT_TRUE(InJunk(ann));
        EXPECT_EQ(InJunk(gus), test.gusMoved);
        EXPECT_THAT(m_messages.texts(), IsEmpty());
    }
}

TEST_F(BlockCommandTest, HostsBeforeOutlook2010AreNotAskedForConversations) {
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@junk.example");
    box().SelectWithConversations({&ann}, {{&bob}});
    m_outlook.calls().Clear();
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;");
    EXPECT_FALSE(InJunk(bob));
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"GetSelection"), 0u);
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"EntryID"), 3u)
        << "no conversation: only the history's, of the folder and of the moved message, and "
           "Junk E-mail's, once a run";
}

// A stored list of `count` entries of 19 units each ("s00000@spam.example;").
std::wstring FillerList(size_t count) {
    std::wstring list;
    list.reserve(count * 20);
    for (size_t i = 0; i < count; ++i) {
        wchar_t entry[32];
        swprintf(entry, 32, L"s%05zu@spam.example;", i);
        list += entry;
    }
    return list;
}

TEST_F(BlockCommandTest, ANearlyFullListIsToldOnceALevel) {
    // 11,750 entries of 20 units: 470,002 bytes stored, just under 90 %.
    StoreBlocked(FillerList(11750));
    Item& first = Mail(L"first@new.example");
    box().Select({&first});
    BlockSelectedSenders();
    ASSERT_EQ(m_messages.texts().size(), 1u);
    EXPECT_EQ(m_messages.texts()[0],
              CapacityWarningText(1, L"11,751 entries \u00B7 460 KB of 510 KB"));
    EXPECT_TRUE(InJunk(first));

    // The same level is not told again; a list that did not grow says nothing.
    m_messages.clear();
    Item& second = Mail(L"second@new.example");
    Item& again = Mail(L"first@new.example");
    box().Select({&second});
    BlockSelectedSenders();
    box().Select({&again});
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(), IsEmpty());

    // Past the limit: told once more.
    StoreBlocked(FillerList(13057));
    Item& third = Mail(L"third@new.example");
    box().Select({&third});
    BlockSelectedDomains();
    ASSERT_EQ(m_messages.texts().size(), 1u);
    EXPECT_THAT(m_messages.texts()[0], HasSubstr(L"larger than Outlook and Exchange can keep"));
    EXPECT_THAT(m_messages.texts()[0], HasSubstr(L"Tidy"));
}

TEST_F(BlockCommandTest, WhatStayedJoinsTheRunsOneMessage) {
    sim::Store& shared = box().AddStore(L"Public Folders", sim::StoreType::PublicFolders, false);
    Folder& sales = box().AddFolder(shared, L"Sales");
    const std::wstring stayed =
        L"1 message in a public folder stayed where it is; its sender is blocked.";

    // Below the capacity warning, in its box.
    StoreBlocked(FillerList(11750));
    box().Select({&box().AddMail(sales, L"first@new.example", {L"me@corp.example"})});
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(),
                ElementsAre(CapacityWarningText(1, L"11,751 entries \u00B7 460 KB of 510 KB") +
                            L"\n\n" + stayed));

    // Below the host failure that ends the run.
    m_messages.clear();
    Item& kept = box().AddMail(sales, L"second@new.example", {L"me@corp.example"});
    box().Select({&kept, &Mail(L"third@new.example")});
    m_outlook.faults().Add(Fault::Fail(L"Item", E_FAIL).On(L"Selection").OnCall(2));
    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(), ElementsAre(HostErrorText(E_POINTER) + L"\n\n" + stayed));
    EXPECT_TRUE(sales.contains(kept));
}

// Refuses the read of the Safe Senders value.
struct SafeReadRefused {
    static inline ImportPatch* patch = nullptr;
    static LONG WINAPI Hook(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                            LPDWORD size) {
        if (name && std::wstring(name) == L"001f0418")
            return ERROR_ACCESS_DENIED;
        return patch->original<decltype(&RegQueryValueExW)>()(key, name, reserved, type, data,
                                                              size);
    }
};

TEST_F(BlockCommandTest, ACommandThatSaidSomethingElseGivesNoCapacityWarning) {
    StoreBlocked(FillerList(11750));
    {
        // The Safe Senders list cannot be read: the command says so and goes on.
        ImportPatch refuse("advapi32.dll", "RegQueryValueExW",
                           reinterpret_cast<void*>(&SafeReadRefused::Hook));
        ASSERT_TRUE(refuse.active());
        SafeReadRefused::patch = &refuse;
        box().Select({&Mail(L"first@new.example")});
        BlockSelectedSenders();
    }
    EXPECT_THAT(m_messages.texts(), ElementsAre(L"RegQueryValueEx Failed: 5."));
    EXPECT_EQ(StoredBlocked().size(), 11750u * 20u + 18u) << "written all the same";

    // The warning is not lost: the next command that grows the list gives it.
    m_messages.clear();
    box().Select({&Mail(L"second@new.example")});
    BlockSelectedSenders();
    ASSERT_EQ(m_messages.texts().size(), 1u);
    EXPECT_THAT(m_messages.texts()[0], HasSubstr(L"nearly full"));
}

TEST_F(BlockCommandTest, HostFailureMidSelectionKeepsWhatWasDone) {
    Item& ann = Mail(L"ann@example.org");
    Item& bob = Mail(L"bob@example.net");
    Item& cid = Mail(L"cid@example.com");
    box().Select({&ann, &bob, &cid});
    m_outlook.faults().Add(Fault::Fail(L"Item", E_FAIL).On(L"Selection").OnCall(3));

    BlockSelectedSenders();
    EXPECT_THAT(m_messages.texts(), ElementsAre(HostErrorText(E_POINTER)));
    EXPECT_TRUE(InJunk(ann));
    EXPECT_TRUE(InJunk(bob));
    EXPECT_FALSE(InJunk(cid));
    EXPECT_THAT(g_host.blockedSinceLoad, ElementsAre(L"ann@example.org", L"bob@example.net"));
    EXPECT_EQ(WriteCounter::writes, 0) << "nothing written by the failed run";

    // The next run that writes puts them in; one that adds nothing does not.
    m_messages.clear();
    m_outlook.faults().Clear();
    box().Select({&cid});
    StoreBlocked(L"cid@example.com;");
    BlockSelectedSenders();
    EXPECT_EQ(WriteCounter::writes, 0);
    Item& dee = Mail(L"dee@example.com");
    box().Select({&dee});
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"cid@example.com;ann@example.org;bob@example.net;dee@example.com;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(BlockCommandTest, NoHostApplicationIsAPointerFailure) {
    g_host.hostApp = nullptr;
    BlockSelectedDomains();
    EXPECT_THAT(m_messages.texts(), ElementsAre(HostErrorText(E_POINTER)));
}

TEST_F(BlockCommandTest, Version14WritesEveryAccountKey) {
    g_host.capabilities = HostCapabilities(14);
    g_host.accountKeys = {L"0aff", L"1234"};
    RegistrySandbox::CreateKey(ProfileSubkeyPath(g_host.Profile(), L"0aff"));
    RegistrySandbox::CreateKey(ProfileSubkeyPath(g_host.Profile(), L"1234"));
    Item& ann = Mail(L"ann@example.org");
    box().Select({&ann});
    BlockSelectedSenders();
    EXPECT_EQ(WriteCounter::writes, 3);
    for (const wchar_t* account : {L"0aff", L"1234"})
        EXPECT_EQ(
            RegistrySandbox::GetText(ProfileSubkeyPath(g_host.Profile(), account), L"001f041a"),
            L"ann@example.org;");
}

TEST_F(BlockCommandTest, HostErrorTextFallsBackForUnknownCodes) {
    EXPECT_FALSE(HostErrorText(E_POINTER).empty());
    EXPECT_NE(HostErrorText(E_POINTER).back(), L'\n');
    EXPECT_EQ(HostErrorText(static_cast<HRESULT>(0x80040201)), L"IDispatch error #1");
    EXPECT_EQ(HostErrorText(static_cast<HRESULT>(0x8004FFFF)), L"IDispatch error #65023");
    EXPECT_EQ(HostErrorText(static_cast<HRESULT>(0xA0001234)), L"Unknown error 0xA0001234");
}

} // namespace
} // namespace sw
