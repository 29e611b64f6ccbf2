#include "bench/reference_load.h"

#include "manager/entry_order.h"
#include "store/list_text.h"

namespace sw::bench {
namespace {

// Walks from the first entry: before the first entry that sorts after
// `text`, nothing at an equal one, else at the end.
void InsertByWalk(std::vector<std::wstring>& entries, std::wstring text) {
    for (auto place = entries.begin(); place != entries.end(); ++place) {
        const int order = CompareIgnoringAsciiCase(text, *place);
        if (order == 0)
            return;
        if (order < 0) {
            entries.insert(place, std::move(text));
            return;
        }
    }
    entries.push_back(std::move(text));
}

} // namespace

std::vector<std::wstring> LoadByLinearWalk(std::wstring_view listText) {
    std::vector<std::wstring> entries;
    CListTokenizer tokenizer(listText, L";");
    std::wstring token;
    while (tokenizer.NextToken(token))
        InsertByWalk(entries, std::move(token));
    return entries;
}

} // namespace sw::bench
