// The history file: its format, reading, recording and marking.
#include "store/history.h"

#include "platform/unique_handle.h"
#include "tests/harness/scratch_files.h"
#include "tests/store/paused_compaction.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <charconv>
#include <filesystem>
#include <functional>
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

std::vector<std::uint64_t> Range(std::uint64_t first, std::uint64_t last) {
    std::vector<std::uint64_t> ids;
    for (std::uint64_t id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

class HistoryTest : public ::testing::Test {
protected:
    HistoryTest() : m_folder(ScratchPath(L"history")) {
        std::filesystem::remove_all(std::filesystem::path(m_folder));
        m_previous = SetHistoryFolder(m_folder);
        m_path = HistoryFilePath();
    }
    ~HistoryTest() override {
        WaitForHistoryCompaction();
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
    // The ids of the file's lines, in file order.
    std::vector<std::uint64_t> FileIds() const {
        std::vector<std::uint64_t> ids;
        const std::string text = FileText();
        for (size_t start = text.find('\n') + 1; start < text.size();
             start = text.find('\n', start) + 1) {
            std::uint64_t id = 0; // 0 for a line without an id
            std::from_chars(text.data() + start, text.data() + text.size(), id);
            ids.push_back(id);
        }
        return ids;
    }
    static bool Record(std::uint64_t id) {
        return RecordHistoryAction(Action(L"Block Senders", {std::to_wstring(id) + L"@x"}));
    }
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
    // The store each came from: its own, another (a .pst without Junk
    // E-mail), or not known.
    action.messages = {
        {L"00000000AABB01", L"0000000038A1BB1005", L"00000000CC01", L"0000000038A1BB1005"},
        {L"00000000aabb02", L"0000000038A1BB1005", L"00000000CC02", L"00000000DD09"},
        {L"00000000AABB03", L"0000000038A1BB1005", L"00000000CC01"},
        {L"00000000AABB04", L"EF01", L"", L"EF01"},
        {L"00000000AABB05", L"", L"00000000CC02", L"00000000DD09"}};
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
        EXPECT_EQ(first.messages[i].originStoreId, action.messages[i].originStoreId) << i;
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
    EXPECT_EQ(text.substr(0, text.find('\n')), "Spamwarden history 2");
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
    EXPECT_EQ(FileText().substr(0, 21), "Spamwarden history 2\n");
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
    EXPECT_EQ(FileText().substr(0, 21 + line.size()), "Spamwarden history 2\n" + line);
    EXPECT_EQ(Ids(LoadHistory()), (std::vector<std::uint64_t>{5, 6}));

    // A file of the version before, whose messages name no store they came
    // from, is read and rewritten under this version's header, its lines
    // kept as they were.
    const std::string older = "7\t2024-05-01T10:00:00.000\tdone\tBlock Senders\ta@x\t"
                              "00AB/0/0,00AC//\t0038\t00F0\n";
    WriteFile("Spamwarden history 1\n" + older);
    std::vector<HistoryAction> loaded = LoadHistory();
    ASSERT_EQ(loaded.size(), 1u);
    ASSERT_EQ(loaded[0].messages.size(), 2u);
    EXPECT_EQ(loaded[0].messages[0].storeId, L"0038");
    EXPECT_EQ(loaded[0].messages[0].folderId, L"00F0");
    EXPECT_THAT(loaded[0].messages[0].originStoreId, IsEmpty());
    ASSERT_TRUE(RecordHistoryAction(Action(L"Block Senders", {L"c@x.example"})));
    EXPECT_EQ(FileText().substr(0, 21 + older.size()), "Spamwarden history 2\n" + older);
    loaded = LoadHistory();
    EXPECT_EQ(Ids(loaded), (std::vector<std::uint64_t>{7, 8}));
    EXPECT_EQ(loaded[0].messages.size(), 2u);
}

TEST_F(HistoryTest, AFileOfAFutureVersionIsSetAsideWhole) {
    const std::string future = "Spamwarden history 3\n1\tsomething we cannot know\n";
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
    WaitForHistoryCompaction();
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

TEST_F(HistoryTest, ACompactionRunsOffTheRecordingThreadAndLosesNothingRecordedMeanwhile) {
    struct Case {
        const char* name;
        // While the compaction, started by the record of id 250 onto 249,
        // holds its trimmed copy of ids 51 to 250.
        std::function<void()> meanwhile;
        std::vector<std::uint64_t> expected; // in the file after one more record
        std::uint64_t undone = 0;
    };
    const auto appends = [] {
        for (std::uint64_t id = 251; id <= 280; ++id) {
            ASSERT_TRUE(Record(id));
            // Whole and readable at every moment.
            const std::vector<HistoryAction> loaded = LoadHistory();
            ASSERT_EQ(loaded.size(), kHistoryLimit);
            EXPECT_EQ(loaded.back().id, id);
        }
    };
    const auto marked = [] {
        for (std::uint64_t id = 251; id <= 260; ++id)
            ASSERT_TRUE(Record(id));
        ASSERT_TRUE(MarkHistoryUndone({255})); // rewrites the file: ids 61 to 260
        // Past the size the compaction read.
        for (std::uint64_t id = 261; id <= 320; ++id)
            ASSERT_TRUE(Record(id));
    };
    const auto otherWriter = [this] {
        // Another Outlook process records.
        WriteFile(FileText() + "9000\t2024-05-01T10:00:00.000\tdone\tBlock Senders\tb@x\t\t\t\n");
        ASSERT_TRUE(Record(9001));
    };
    std::vector<std::uint64_t> afterOtherWriter = Range(54, 250);
    afterOtherWriter.insert(afterOtherWriter.end(), {9000, 9001, 9002});
    const Case cases[] = {
        {"appends", appends, Range(51, 281)},
        {"a rewrite of this process", marked, Range(122, 321), 255},
        {"another writer", otherWriter, afterOtherWriter},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(std::filesystem::path(m_path));
        for (std::uint64_t id = 1; id <= 249; ++id)
            ASSERT_TRUE(Record(id));
        {
            const PausedCompaction paused;
            ASSERT_TRUE(Record(250));
            ASSERT_TRUE(paused.WaitUntilPaused());
            EXPECT_NE(paused.Thread(), GetCurrentThreadId());
            c.meanwhile();
            EXPECT_EQ(FileText().substr(0, 21), "Spamwarden history 2\n");
        }
        ASSERT_TRUE(Record(c.expected.back()));
        WaitForHistoryCompaction();
        EXPECT_EQ(FileIds(), c.expected);
        const std::vector<HistoryAction> loaded = LoadHistory();
        EXPECT_EQ(Ids(loaded),
                  std::vector<std::uint64_t>(c.expected.end() - kHistoryLimit, c.expected.end()));
        for (const HistoryAction& action : loaded)
            EXPECT_EQ(action.undone, action.id == c.undone) << action.id;
    }
    EXPECT_THAT(SetAside(), IsEmpty()) << "nothing was broken";
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(m_folder)))
        names.push_back(entry.path().filename().wstring());
    EXPECT_THAT(names, ElementsAre(L"history")) << "no temporary file or second name left";
}

TEST_F(HistoryTest, AFailedCompactionIsTriedAgainAndTheFileStaysBounded) {
    for (std::uint64_t id = 1; id <= 249; ++id)
        ASSERT_TRUE(Record(id));
    // Open without sharing deletion, as a backup program may hold it: the
    // file can be appended to but not replaced.
    const auto hold = [&] {
        return unique_handle(CreateFileW(m_path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    std::uint64_t id = 250;
    {
        const unique_handle holder = hold();
        ASSERT_TRUE(holder);
        for (; id <= 320; ++id) {
            ASSERT_TRUE(Record(id));
            WaitForHistoryCompaction();
        }
        EXPECT_EQ(FileIds(), Range(1, 320)) << "compactions failed, losing nothing";
    }
    // Tried again within ten records.
    for (int records = 0; records < 11; ++records, ++id) {
        ASSERT_TRUE(Record(id));
        WaitForHistoryCompaction();
    }
    std::vector<std::uint64_t> ids = FileIds();
    EXPECT_LE(ids.size(), kHistoryLimit + 11);
    EXPECT_EQ(ids, Range(id - ids.size(), id - 1));

    // Compactions failing for good: the file grows to five times the limit,
    // where a record rewrites it itself, which fails as well.
    {
        const unique_handle holder = hold();
        ASSERT_TRUE(holder);
        while (Record(id) && id < 2000)
            ++id;
        EXPECT_EQ(FileIds(), Range(id - 5 * kHistoryLimit, id - 1));
    }
    ASSERT_TRUE(Record(id));
    EXPECT_EQ(FileIds(), Range(id - kHistoryLimit + 1, id)) << "rewritten by the record";
    EXPECT_EQ(Ids(LoadHistory()), Range(id - kHistoryLimit + 1, id));
}

} // namespace
} // namespace sw::test
