// The history file: its format, reading, recording and marking.
#include "store/history.h"

#include "tests/harness/scratch_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

HistoryAction Action(std::wstring command, std::vector<std::wstring> entries, size_t messages = 1) {
    HistoryAction action;
    action.command = std::move(command);
    action.entries = std::move(entries);
    for (size_t i = 0; i < messages; ++i)
        action.messages.push_back({L"00000000AB" + std::to_wstring(1000 + i), L"0000000038A1BB10",
                                   L"00000000FF" + std::to_wstring(i % 3)});
    return action;
}

std::vector<std::uint64_t> Ids(const std::vector<HistoryAction>& actions) {
    std::vector<std::uint64_t> ids;
    for (const HistoryAction& action : actions)
        ids.push_back(action.id);
    return ids;
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest() : m_folder(ScratchPath(L"history")) {
        std::filesystem::remove_all(std::filesystem::path(m_folder));
        m_previous = SetHistoryFolder(m_folder);
        m_path = HistoryFilePath();
    }
    ~HistoryTest() override {
        SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_folder), ignored);
        SetHistoryFolder(m_previous);
    }
    void WriteFile(const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(m_folder));
        WriteBytes(m_path, bytes);
    }
    std::string FileText() const { return ReadBytes(m_path); }
    std::string SetAside() const { return ReadBytes(m_path + L".skipped"); }

    std::wstring m_folder;
    std::wstring m_previous;
    std::wstring m_path;
};

TEST_F(HistoryTest, EveryFieldComesBackAsRecorded) {
    EXPECT_EQ(m_path, m_folder + L"\\history");
    HistoryAction action;
    action.command = L"Block Domains, 100% \"sure\"\t\u00e9";
    // Texts the list never holds must still come back unchanged.
    action.entries = {L"@xn--bcher-kva.example",
                      L"a,b;c@x.example",
                      L"%41%u00e9 tab\there",
                      L"line\r\nbreak",
                      L"caf\u00e9@\u4e2d\u6587.example",
                      L"smile\U0001F600@x.example",
                      std::wstring(L"lone\xD800") + L"@x.example",
                      L"\xDC00"};
    action.messages = {{L"00000000AABB01", L"0000000038A1BB1005", L"00000000CC01"},
                       {L"00000000aabb02", L"0000000038A1BB1005", L"00000000CC02"},
                       {L"00000000AABB03", L"0000000038A1BB1005", L"00000000CC01"},
                       {L"00000000AABB04", L"EF01", L""},
                       {L"00000000AABB05", L"", L"00000000CC02"}};
    action.time = {2024, 2, 0, 29, 23, 59, 58, 999};
    ASSERT_TRUE(RecordHistoryAction(action));
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"ann@example.org"})));

    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 2u);
    const HistoryAction& first = loaded[0];
    EXPECT_EQ(first.command, action.command);
    EXPECT_EQ(first.entries, action.entries);
    ASSERT_EQ(first.messages.size(), action.messages.size());
    for (size_t i = 0; i < action.messages.size(); ++i) {
        EXPECT_EQ(first.messages[i].entryId, action.messages[i].entryId) << i;
        EXPECT_EQ(first.messages[i].storeId, action.messages[i].storeId) << i;
        EXPECT_EQ(first.messages[i].folderId, action.messages[i].folderId) << i;
    }
    EXPECT_EQ(first.time.wYear, 2024);
    EXPECT_EQ(first.time.wMonth, 2);
    EXPECT_EQ(first.time.wDay, 29);
    EXPECT_EQ(first.time.wDayOfWeek, 4) << "a Thursday";
    EXPECT_EQ(first.time.wHour, 23);
    EXPECT_EQ(first.time.wMinute, 59);
    EXPECT_EQ(first.time.wSecond, 58);
    EXPECT_EQ(first.time.wMilliseconds, 999);
    EXPECT_FALSE(first.undone);
    // A time left unset is the time of the record.
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    EXPECT_EQ(loaded[1].time.wYear, now.wYear);
    EXPECT_GT(loaded[1].id, first.id);

    // One action per line, after the header; the long store id once.
    const std::string text = FileText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Spamwarden history 1");
    EXPECT_EQ(LineCount(text), 3u);
    const std::string firstLine = text.substr(text.find('\n') + 1);
    EXPECT_EQ(firstLine.find("0000000038A1BB1005"), firstLine.rfind("0000000038A1BB1005"));
}

TEST_F(HistoryTest, SummariesCountTheMessagesAndActionsByIdBringThem) {
    for (size_t messages : {size_t{3}, size_t{0}, size_t{5}})
        ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"}, messages)));
    const std::vector<HistoryAction> summaries = LoadHistorySummaries();
    ASSERT_EQ(summaries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_THAT(summaries[i].messages, IsEmpty());
        EXPECT_EQ(summaries[i].messageCount, (std::vector<size_t>{3, 0, 5})[i]);
        EXPECT_THAT(summaries[i].entries, ElementsAre(L"a@x.example"));
    }
    const std::vector<HistoryAction> chosen = LoadHistoryActions({3, 1, 77});
    ASSERT_EQ(Ids(chosen), (std::vector<std::uint64_t>{1, 3}));
    EXPECT_EQ(chosen[0].messages.size(), 3u);
    EXPECT_EQ(chosen[1].messages.size(), 5u);
    EXPECT_EQ(chosen[1].messages[4].entryId, L"00000000AB1004");
    EXPECT_EQ(chosen[1].messageCount, 5u);
}

TEST_F(HistoryTest, MessagesWithoutHexadecimalIdsAndEmptyEntriesAreLeftOut) {
    HistoryAction action = Action(L"Block Senders", {L"", L"ann@example.org", L""}, 2);
    action.messages.push_back({L"not-hex", L"00", L"00"});
    action.messages.push_back({L"00", L"00 01", L"00"});
    ASSERT_TRUE(RecordHistoryAction(action));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_THAT(loaded[0].entries, ElementsAre(L"ann@example.org"));
    EXPECT_EQ(loaded[0].messages.size(), 2u);
}

TEST_F(HistoryTest, AMissingOrEmptyFileIsAnEmptyHistoryAndTheFirstRecordCreatesIt) {
    EXPECT_THAT(LoadHistory(), IsEmpty()) << "no folder yet";
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    EXPECT_EQ(Ids(LoadHistory()), std::vector<std::uint64_t>{1});

    WriteFile("");
    EXPECT_THAT(LoadHistory(), IsEmpty());
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"b@x.example"})));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_THAT(loaded[0].entries, ElementsAre(L"b@x.example"));
    EXPECT_EQ(FileText().substr(0, 21), "Spamwarden history 1\n");
}

TEST_F(HistoryTest, AFolderInPlaceOfTheFileOrAReadOnlyFileFailsWithoutHarm) {
    std::filesystem::create_directories(std::filesystem::path(m_path));
    EXPECT_THAT(LoadHistory(), IsEmpty());
    EXPECT_FALSE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    EXPECT_FALSE(MarkHistoryUndone({1}));
    std::filesystem::remove(std::filesystem::path(m_path));

    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    const std::string before = FileText();
    ASSERT_TRUE(SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(LoadHistory().size(), 1u);
    EXPECT_FALSE(RecordHistoryAction(Action(L"Block Senders", {L"b@x.example"})));
    EXPECT_FALSE(MarkHistoryUndone({1}));
    EXPECT_EQ(FileText(), before);
    EXPECT_FALSE(LoadHistory()[0].undone);
}

TEST_F(HistoryTest, LinesThatCannotBeReadAreSkippedAndSetAsideAtTheNextWrite) {
    const std::string good = "7\t2024-05-01T10:00:00.000\tdone\tBlock Senders\tann@x.example\t"
                             "0011/0/0\t00AA\t00BB";
    const std::vector<std::string> broken = {
        "8\t2024-05-01T10:00:00.000\tdone\tBlock Senders\tb@x.example\tXYZ1/0/0\t00AA\t00BB",
        "9\t2024-05-01T10:00:00.000\tdone\tBlock Senders\tb@x.example\t0011/3/0\t00AA\t00BB",
        "10\t2024-02-30T10:00:00.000\tdone\tBlock Senders\tb@x.example\t\t\t",
        "11\t2024-05-01T10:00:00.000\tmaybe\tBlock Senders\tb@x.example\t\t\t",
        "12\t2024-05-01T10:00:00.000\tdone\tBad %zz escape\tb@x.example\t\t\t",
        "7\t2024-05-01T11:00:00.000\tdone\tSame id twice\tb@x.example\t\t\t",
        "just some words",
        "\xff\xfe not UTF-8\t\t\t\t\t\t\t",
    };
    std::string text = "\xEF\xBB\xBFSpamwarden history 1\r\n" + good + "\r\n\n";
    for (const std::string& line : broken)
        text += line + "\n";
    const std::string truncated = "13\t2024-05-01T10:00:00.000\tdone\tBlock Sen";
    WriteFile(text + truncated);

    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].id, 7u);
    EXPECT_THAT(loaded[0].entries, ElementsAre(L"ann@x.example"));
    EXPECT_EQ(FileText(), text + truncated) << "reading writes nothing";

    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Domains", {L"@y.example"})));
    const std::vector<HistoryAction> after = LoadHistory();
    EXPECT_EQ(Ids(after), (std::vector<std::uint64_t>{7, 8}));
    EXPECT_EQ(LineCount(FileText()), 3u) << "header and two actions";
    std::string expectedAside;
    for (const std::string& line : broken)
        expectedAside += line + "\n";
    EXPECT_EQ(SetAside(), expectedAside + truncated + "\n");
}

TEST_F(HistoryTest, ATruncatedLastLineNeverSwallowsTheNextRecord) {
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    // A torn append: the start of a line without its end.
    WriteFile(FileText() + "2\t2024-05-01T10:00");
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"b@x.example"})));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_THAT(loaded[1].entries, ElementsAre(L"b@x.example"));
    EXPECT_EQ(SetAside(), "2\t2024-05-01T10:00\n");
}

TEST_F(HistoryTest, AFileWithoutItsHeaderIsReadAndRewrittenWithIt) {
    const std::string line = "5\t2024-05-01T10:00:00.000\tundone\tBlock Senders\ta@x\t\t\t\n";
    WriteFile(line);
    EXPECT_EQ(Ids(LoadHistory()), std::vector<std::uint64_t>{5});
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"b@x.example"})));
    EXPECT_EQ(FileText().substr(0, 21 + line.size()), "Spamwarden history 1\n" + line);
    EXPECT_EQ(Ids(LoadHistory()), (std::vector<std::uint64_t>{5, 6}));
}

TEST_F(HistoryTest, AFileOfAFutureVersionIsSetAsideWhole) {
    const std::string future = "Spamwarden history 2\n1\tsomething we cannot know\n";
    WriteFile(future);
    EXPECT_THAT(LoadHistory(), IsEmpty());
    EXPECT_TRUE(MarkHistoryUndone({1}));
    EXPECT_EQ(FileText(), future) << "marking finds nothing to change";
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    EXPECT_EQ(Ids(LoadHistory()), std::vector<std::uint64_t>{1});
    EXPECT_EQ(ReadBytes(m_path + L".unreadable"), future);
}

TEST_F(HistoryTest, GarbageIsReadWithinBoundsAndSetAside) {
    std::mt19937 random(14);
    std::string garbage(50u * 1024 * 1024, '\0');
    for (char& byte : garbage)
        byte = static_cast<char>(random());
    WriteFile(garbage);
    EXPECT_THAT(LoadHistory(), IsEmpty()) << "too large to read";
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    EXPECT_EQ(LoadHistory().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(m_path + L".unreadable")),
              garbage.size());

    // Garbage small enough to read: every line of it is set aside, the side
    // file keeping its newest megabyte.
    garbage.resize(3u * 1024 * 1024);
    WriteFile("Spamwarden history 1\n" + garbage);
    EXPECT_THAT(LoadHistory(), IsEmpty());
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"b@x.example"})));
    EXPECT_EQ(LoadHistory().size(), 1u);
    const std::string aside = SetAside();
    EXPECT_LE(aside.size(), 1024u * 1024);
    EXPECT_GT(aside.size(), 1000u * 1024);
}

TEST_F(HistoryTest, ALineOfTenThousandEntriesIsReadBack) {
    HistoryAction action = Action(L"Block Domains", {}, 3);
    for (int i = 0; i < 10000; ++i)
        action.entries.push_back(L"@domain" + std::to_wstring(i) + L".example");
    ASSERT_TRUE(RecordHistoryAction(action));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].entries, action.entries);
}

TEST_F(HistoryTest, KeepsTheNewestTwoHundredWithUniqueGrowingIds) {
    for (int i = 1; i <= 260; ++i)
        ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {std::to_wstring(i) + L"@x"})));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), kHistoryLimit);
    for (size_t i = 0; i < loaded.size(); ++i) {
        EXPECT_EQ(loaded[i].id, 61 + i);
        EXPECT_THAT(loaded[i].entries, ElementsAre(std::to_wstring(61 + i) + L"@x"));
    }
    // Appends between rewrites: the file never grows far past the limit.
    EXPECT_LE(LineCount(FileText()), kHistoryLimit + 51);
    EXPECT_THAT(SetAside(), IsEmpty()) << "nothing was broken";
}

TEST_F(HistoryTest, AFileChangedByAnotherWriterIsReadAgainBeforeARecord) {
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"a@x.example"})));
    // Another Outlook process recorded meanwhile.
    WriteFile(FileText() + "41\t2024-05-01T10:00:00.000\tdone\tBlock Senders\tb@x\t\t\t\n");
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"c@x.example"})));
    EXPECT_EQ(Ids(LoadHistory()), (std::vector<std::uint64_t>{1, 41, 42}));
}

TEST_F(HistoryTest, MarkHistoryUndoneMarksThoseActionsOnly) {
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {std::to_wstring(i) + L"@x"})));
    ASSERT_TRUE(MarkHistoryUndone({2, 4, 99}));
    std::vector<bool> undone;
    for (const HistoryAction& action : LoadHistory())
        undone.push_back(action.undone);
    EXPECT_EQ(undone, (std::vector<bool>{false, true, false, true}));
    // Later records keep the marks and the messages.
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"e@x"})));
    const std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 5u);
    EXPECT_TRUE(loaded[1].undone);
    EXPECT_EQ(loaded[1].messages.size(), 1u);
    EXPECT_TRUE(MarkHistoryUndone({}));
}

} // namespace
} // namespace sw::test
