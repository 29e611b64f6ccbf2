// The Blocked Senders page's search against the plain definition: the shown
// rows are every entry that contains the search text, letter case counting,
// in list order — through any sequence of searches and changes.
#include "manager/blocked_senders_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace sw {
namespace {

using Rows = std::vector<std::wstring>;

Rows Containing(const Rows& entries, const std::wstring& search) {
    if (search.empty())
        return entries;
    Rows rows;
    for (const std::wstring& entry : entries) {
        if (entry.find(search) != std::wstring::npos)
            rows.push_back(entry);
    }
    return rows;
}

class Script {
public:
    // `generatorStart` fixes the generator's sequence: a failure repeats.
    explicit Script(unsigned generatorStart) : m_random(generatorStart) {}

    size_t Below(size_t bound) {
        return std::uniform_int_distribution<size_t>(0, bound - 1)(m_random);
    }

    // Short texts over few letters: entries are substrings, case variants
    // and near-duplicates of each other.
    std::wstring Text(size_t longest) {
        static constexpr wchar_t kLetters[] = L"aAbB@.\u00e9x";
        std::wstring text(Below(longest + 1), L'\0');
        for (wchar_t& c : text)
            c = kLetters[Below(std::size(kLetters) - 1)];
        return text;
    }

    std::wstring ListText() {
        std::wstring text;
        for (size_t i = Below(40); i > 0; --i)
            text += Text(6) + L";";
        return text;
    }

    // A piece of the joined entries, so that searches also span the end of
    // one entry and the start of the next; or any text.
    std::wstring Search(const Rows& entries) {
        if (entries.empty() || Below(4) == 0)
            return Text(3);
        std::wstring joined;
        for (const std::wstring& entry : entries)
            joined += entry;
        const size_t at = Below(joined.size() + 1);
        return joined.substr(at, Below(4));
    }

    std::vector<int> RowNumbers(size_t shown) {
        std::vector<int> rows;
        for (size_t i = Below(4); i > 0; --i)
            rows.push_back(static_cast<int>(Below(shown + 2)) - 1);
        return rows;
    }

private:
    std::mt19937 m_random;
};

TEST(BlockedSendersSearch, ShowsExactlyTheEntriesContainingTheSearch) {
    Script script(16384);
    for (int round = 0; round < 2000; ++round) {
        BlockedSendersList list;
        list.Load(script.ListText());
        for (int step = 0; step < 40; ++step) {
            const size_t shown = list.Shown().size();
            switch (script.Below(8)) {
            case 0:
                list.RemoveRows(script.RowNumbers(shown));
                break;
            case 1:
                if (shown > 0) {
                    const std::wstring old = list.Shown()[script.Below(shown)];
                    list.EditEntry(old, script.Text(6));
                }
                break;
            case 2:
                list.ConvertRowsToDomain(script.RowNumbers(shown));
                break;
            case 3:
                list.InsertSorted(script.Text(6));
                list.ApplyFilter(std::wstring(list.Search()));
                break;
            default:
                list.ApplyFilter(script.Search(list.Entries()));
                break;
            }
            ASSERT_EQ(list.Shown(), Containing(list.Entries(), list.Search()))
                << "round " << round << ", step " << step;
        }
    }
}

} // namespace
} // namespace sw
