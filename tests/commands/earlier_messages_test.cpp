// Earlier messages from the senders a run blocks: the filters handed to the
// host, and the sweep end to end in the simulated Outlook, whose
// Items.Restrict understands exactly those filters.
#include "commands/block_commands.h"
#include "commands/sender_filter.h"
#include "platform/diagnostics.h"
#include "sim/outlook/fault_plan.h"
#include "sim/outlook/sender_condition.h"
#include "store/settings.h"
#include "tests/commands/command_fixture.h"
#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sw {
namespace {

using sim::Fault;
using sim::Item;
using test::BlockCommandTest;
using test::CallsOf;
using test::ProgressProbe;
using test::RegistrySandbox;
using test::WriteCounter;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr wchar_t kProperty[] = L"@SQL=\"http://schemas.microsoft.com/mapi/proptag/0x0C1F001F\"";

TEST(SenderFilter, AddressesAreComparedWholeAndDomainsByTheirEnd) {
    EXPECT_EQ(SenderFilter(L"a@b.example"), std::wstring(kProperty) + L" = 'a@b.example'");
    EXPECT_EQ(SenderFilter(L"@b.example"), std::wstring(kProperty) + L" LIKE '%@b.example'");
    EXPECT_EQ(SenderFilter(L"o'brien@b.example"),
              std::wstring(kProperty) + L" = 'o''brien@b.example'");

    // Every filter made is one the host parses back into the entry.
    for (const wchar_t* entry :
         {L"a@b.example", L"o'brien@b.example", L"''@b.example", L"a%b@c.example", L"@b.example",
          L"@o'b.example", L"x@b.example'"}) {
        const std::optional<std::wstring> filter = SenderFilter(entry);
        ASSERT_TRUE(filter) << std::wstring(entry).size();
        const std::optional<sim::SenderCondition> parsed = sim::ParseSenderCondition(*filter);
        ASSERT_TRUE(parsed) << std::string(filter->begin(), filter->end());
        EXPECT_EQ(parsed->text, entry);
        EXPECT_EQ(parsed->endsWith, entry[0] == L'@');
    }
}

TEST(SenderFilter, EntriesNoFilterMayCarryAreRefused) {
    for (const wchar_t* entry :
         {L"", L"@", L"nobody", L"\"john doe\"@b.example", L"a;b@c.example", L"a\x01@b.example",
          L"a\x85@b.example", L"@my_host.example", L"@b%.example", L"@[10.0.0.1]"})
        EXPECT_FALSE(SenderFilter(entry)) << std::wstring(entry).size();
    // Nor does the host take a lone quote, or a pattern it was not given.
    EXPECT_FALSE(sim::ParseSenderCondition(std::wstring(kProperty) + L" = 'o'brien@b.example'"));
    EXPECT_FALSE(sim::ParseSenderCondition(std::wstring(kProperty) + L" LIKE '%a%@b.example'"));
    EXPECT_FALSE(sim::ParseSenderCondition(L"[SenderEmailAddress] = 'a@b.example'"));
}

TEST(SenderFilter, EntriesCoverTheirOwnAddressOrTheAddressesAtTheirDomain) {
    EXPECT_TRUE(EntryCoversSender(L"ann@b.example", L"ANN@B.example"));
    EXPECT_FALSE(EntryCoversSender(L"ann@b.example", L"ann@b.example.org"));
    EXPECT_TRUE(EntryCoversSender(L"@b.example", L"x@B.EXAMPLE"));
    EXPECT_FALSE(EntryCoversSender(L"@b.example", L"x@sub.b.example"));
    EXPECT_FALSE(EntryCoversSender(L"@b.example", L"\"x@b.example\"@evil.example"));
    EXPECT_FALSE(EntryCoversSender(L"@b.example", L"@b.example"));
    EXPECT_FALSE(EntryCoversSender(L"@b.example", L""));
}

class EarlierMessagesTest : public BlockCommandTest {
protected:
    void SetUp() override {
        BlockCommandTest::SetUp();
        g_settings.moveEarlier = true;
    }
};

TEST_F(EarlierMessagesTest, OffTheyStayAndTheHostIsNotAsked) {
    g_settings.moveEarlier = false;
    Item& earlier = Mail(L"ann@spam.example");
    Item& ann = Mail(L"ann@spam.example");
    box().Select({&ann});
    m_outlook.calls().Clear();
    BlockSelectedSenders();
    EXPECT_TRUE(InJunk(ann));
    EXPECT_FALSE(InJunk(earlier));
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Restrict"), 0u);
}

TEST_F(EarlierMessagesTest, BlockSendersMovesTheEarlierMessagesOfTheEntriesItAdded) {
    StoreBlocked(L"bob@junk.example;");
    Item& annEarlier = Mail(L"ANN@Spam.example");
    Item& bobEarlier = Mail(L"bob@junk.example");
    Item& other = Mail(L"ann@spam.example.org");
    Item& quoted = Mail(L"O'Brien@spam.example");
    Item& percent = Mail(L"a%b@spam.example");
    Item& notPercent = Mail(L"aXb@spam.example");
    Item& elsewhere = box().AddMail(*box().DefaultFolder(sim::default_folder::SentMail),
                                    L"ann@spam.example", {L"me@corp.example"});
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@junk.example");
    Item& obrien = Mail(L"o'brien@spam.example");
    Item& pct = Mail(L"a%b@spam.example");
    box().Select({&ann, &bob, &obrien, &pct});

    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(),
              L"bob@junk.example;ann@spam.example;o'brien@spam.example;a%b@spam.example;");
    EXPECT_EQ(WriteCounter::writes, 1);
    for (Item* moved : {&ann, &bob, &obrien, &pct, &annEarlier, &quoted, &percent})
        EXPECT_TRUE(InJunk(*moved)) << std::wstring(moved->senderAddress).size();
    EXPECT_FALSE(InJunk(bobEarlier)) << "already blocked before this run";
    EXPECT_FALSE(InJunk(other));
    EXPECT_FALSE(InJunk(notPercent)) << "% is no pattern in an address";
    EXPECT_FALSE(InJunk(elsewhere)) << "only the folder shown";
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(EarlierMessagesTest, BlockDomainsSparesSafeSendersOtherDomainsAndOtherItems) {
    StoreSafe(L"friend@spam.example;");
    g_settings.safeDomains = L"@gmail.com";
    Item& colleague = Mail(L"y@spam.example");
    Item& friendly = Mail(L"Friend@spam.example");
    Item& subdomain = Mail(L"z@sub.spam.example");
    Item& meeting = box().AddItem(box().Inbox(), sim::ItemKind::MeetingRequest, L"invite");
    meeting.senderAddress = L"w@spam.example";
    Item& gmailEarlier = Mail(L"bob@gmail.com");
    Item& gmailOther = Mail(L"carl@gmail.com");
    Item& exchange = box().AddExchangeMail(box().Inbox(), L"/O=CORP/CN=X", L"x@spam.example", true,
                                           {L"me@corp.example"});
    Item& ann = Mail(L"ann@spam.example");
    Item& bob = Mail(L"bob@gmail.com");
    box().Select({&ann, &bob});

    BlockSelectedDomains();
    EXPECT_EQ(StoredBlocked(), L"@spam.example;bob@gmail.com;");
    EXPECT_TRUE(InJunk(colleague));
    EXPECT_TRUE(InJunk(gmailEarlier));
    EXPECT_FALSE(InJunk(friendly)) << "on the Safe Senders list";
    EXPECT_FALSE(InJunk(subdomain));
    EXPECT_FALSE(InJunk(meeting)) << "not a mail message";
    EXPECT_FALSE(InJunk(gmailOther)) << "a safe domain is never swept whole";
    EXPECT_FALSE(InJunk(exchange)) << "the host's filter sees the X.500 path";
    EXPECT_EQ(WriteCounter::writes, 1);
}

TEST_F(EarlierMessagesTest, NothingIsSweptInJunkEmailOrForEntriesNoFilterCarries) {
    Item& inJunk = box().AddMail(box().JunkEmail(), L"ann@spam.example", {L"me@corp.example"});
    Item& alsoInJunk = box().AddMail(box().JunkEmail(), L"ann@spam.example", {L"me@corp.example"});
    box().ShowFolder(box().JunkEmail());
    box().Select({&inJunk});
    m_outlook.calls().Clear();
    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;");
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Restrict"), 0u);
    EXPECT_TRUE(InJunk(alsoInJunk));

    box().ShowFolder(box().Inbox());
    Item& earlier = Mail(L"\"john doe\"@odd.example");
    Item& john = Mail(L"\"john doe\"@odd.example");
    Item& host = Mail(L"x@my_host.example");
    box().Select({&john, &host});
    m_outlook.calls().Clear();
    BlockSelectedDomains();
    EXPECT_EQ(CallsOf(m_outlook.calls(), L"Restrict"), 1u) << "@odd.example only";
    EXPECT_TRUE(InJunk(earlier));
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(EarlierMessagesTest, NotesToThemselvesMoveAndAQuotedAddressIsFoundByItsDomain) {
    // A blocked sender's note to themselves, in this folder, came as a blind
    // copy or is forged: it follows, unlike such a note in the selection.
    Item& note = Mail(L"ann@spam.example", {L"ANN@spam.example"});
    Item& selectedNote = Mail(L"cid@spam.example", {L"cid@spam.example"});
    // The filters hold no double quote: a quoted local part is searched
    // by its domain, and only the address itself follows.
    Item& johnEarlier = Mail(L"\"john doe\"@odd.example");
    Item& johnShouting = Mail(L"\"JOHN DOE\"@odd.example");
    Item& jane = Mail(L"jane@odd.example");
    Item& johnOther = Mail(L"\"john doe\"@odd.example.org");
    Item& ann = Mail(L"ann@spam.example");
    Item& john = Mail(L"\"john doe\"@odd.example");
    box().Select({&ann, &selectedNote, &john});

    BlockSelectedSenders();
    EXPECT_EQ(StoredBlocked(), L"ann@spam.example;\"john doe\"@odd.example;");
    for (Item* moved : {&ann, &john, &note, &johnEarlier, &johnShouting})
        EXPECT_TRUE(InJunk(*moved)) << std::wstring(moved->senderAddress).size();
    EXPECT_FALSE(InJunk(selectedNote)) << "a selected note to oneself is left alone";
    EXPECT_FALSE(InJunk(jane));
    EXPECT_FALSE(InJunk(johnOther));
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(EarlierMessagesTest, AFailingOrEmptyRestrictEndsTheSweepQuietly) {
    const std::wstring folder = test::ScratchPath(L"earlier-log");
    const std::wstring previous = SetLogFolder(folder);
    RegistrySandbox::SetDword(kProductSettingsKey, kLogLevelValue, 1);
    for (const Fault& fault :
         {Fault::Fail(L"Restrict", DISP_E_EXCEPTION), Fault::ReturnNullObject(L"Restrict")}) {
        m_outlook.faults().Clear();
        m_outlook.faults().Add(fault);
        Item& earlier = Mail(L"ann@spam.example");
        Item& ann = Mail(L"ann@spam.example");
        box().Select({&ann});
        WriteCounter::writes = 0;
        BlockSelectedDomains();
        EXPECT_TRUE(InJunk(ann));
        EXPECT_FALSE(InJunk(earlier));
        EXPECT_EQ(WriteCounter::writes, 1);
        StoreBlocked(L"");
        g_host.blockedSinceLoad.clear();
    }
    const std::string log = test::ReadBytes(LogFilePath());
    DeleteFileW(LogFilePath().c_str());
    RemoveDirectoryW(folder.c_str());
    SetLogFolder(previous);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
    EXPECT_THAT(log, HasSubstr("commands/earlier_messages.cpp:"));
}

TEST_F(EarlierMessagesTest, TheSweepShowsProgressAndCancelStopsIt) {
    const ProgressFactory previous = SetProgressFactory(&ProgressProbe::Make);
    ProgressProbe::shown = 0;
    ProgressProbe::steps.clear();
    std::vector<Item*> selected;
    for (int i = 0; i < 10; ++i) {
        const std::wstring sender = L"s" + std::to_wstring(i) + L"@spam.example";
        for (int j = 0; j < 6; ++j)
            Mail(sender);
        selected.push_back(&Mail(sender));
    }
    box().Select(selected);
    // The window comes once the count passes 50: with the seventh sender's
    // matches (10 + 7 x 6 = 52), when 46 messages are done.
    ProgressProbe::stopAt = 50;
    BlockSelectedSenders();
    ProgressProbe::stopAt = 0;
    SetProgressFactory(previous);
    EXPECT_EQ(ProgressProbe::shown, 1u);
    EXPECT_EQ(ProgressProbe::total, 52u);
    EXPECT_THAT(ProgressProbe::steps, ::testing::ElementsAre(47u, 48u, 49u, 50u));
    EXPECT_EQ(box().JunkEmail().items().size(), 50u) << "stopped after the message at hand";
    EXPECT_EQ(box().Inbox().items().size(), 20u);
    EXPECT_EQ(WriteCounter::writes, 1);
}

TEST_F(EarlierMessagesTest, HostCallsFollowTheMatchesNotTheFolder) {
    std::vector<size_t> calls;
    for (int filler : {500, 2500}) {
        box().ShowFolder(box().AddFolder(L"Folder " + std::to_wstring(filler)));
        sim::Folder& shown = box().currentFolder();
        for (int i = 0; i < filler; ++i)
            box().AddMail(shown, L"n" + std::to_wstring(i) + L"@ham.example", {L"me@corp.example"});
        std::vector<Item*> selected;
        for (int i = 0; i < 5; ++i) {
            const std::wstring sender =
                L"f" + std::to_wstring(filler) + L"x" + std::to_wstring(i) + L"@spam.example";
            box().AddMail(shown, sender, {L"me@corp.example"});
            selected.push_back(&box().AddMail(shown, sender, {L"me@corp.example"}));
        }
        box().Select(selected);
        m_outlook.calls().Clear();
        BlockSelectedSenders();
        EXPECT_EQ(box().JunkEmail().items().size(), filler == 500 ? 10u : 20u);
        calls.push_back(m_outlook.calls().size());
    }
    EXPECT_EQ(calls[0], calls[1]);
}

} // namespace
} // namespace sw
