#include "bench/sample_lists.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace sw::bench {
namespace {

std::wstring Format(const wchar_t* format, size_t a, size_t b = 0) {
    wchar_t text[96];
    std::swprintf(text, 96, format, a, b);
    return text;
}

} // namespace

std::vector<std::wstring> BlockedEntries(size_t count) {
    std::vector<std::wstring> entries;
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (i % 10 == 0)
            entries.push_back(Format(L"@spamhost%05zu.example", i));
        else
            entries.push_back(
                Format(i % 7 ? L"sender%05zu@mail%04zu.example" : L"Sender%05zu@Mail%04zu.example",
                       i, i % 4001));
    }
    std::shuffle(entries.begin(), entries.end(), std::mt19937(static_cast<unsigned>(count)));
    return entries;
}

std::wstring ListText(const std::vector<std::wstring>& entries) {
    size_t length = 0;
    for (const std::wstring& entry : entries)
        length += entry.size() + 1;
    std::wstring text;
    text.reserve(length);
    for (const std::wstring& entry : entries)
        text.append(entry).push_back(L';');
    return text;
}

std::vector<std::wstring> SelectedSenders(const std::vector<std::wstring>& entries, bool domains,
                                          size_t count) {
    std::vector<std::wstring> known;
    for (const std::wstring& entry : entries) {
        const bool domainEntry = !entry.empty() && entry[0] == L'@';
        if (domainEntry == domains)
            known.push_back(domainEntry ? L"someone" + entry : entry);
    }
    std::mt19937 random(static_cast<unsigned>(entries.size() + count));
    std::vector<std::wstring> senders;
    senders.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (i % 2 == 0 && !known.empty())
            senders.push_back(known[random() % known.size()]);
        else
            senders.push_back(Format(L"fresh%05zu@newmail%05zu.example", i, i));
    }
    return senders;
}

std::wstring SafeListText(size_t count) {
    std::vector<std::wstring> entries;
    for (size_t i = 0; i < count; ++i)
        entries.push_back(
            Format(i % 2 ? L"friend%05zu@partner%04zu.example" : L"@partner%05zu.test", i, i % 97));
    return ListText(entries);
}

} // namespace sw::bench
