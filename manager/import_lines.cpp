#include "manager/import_lines.h"

#include "platform/ascii_case.h"

#include <algorithm>
#include <new>
#include <unordered_set>

namespace sw {

bool IsControlCharacter(wchar_t c) noexcept {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

namespace {

// White space that is not a control character, and the invisible characters
// that look like nothing in the list (a stray byte order mark among them).
bool IsSpace(wchar_t c) noexcept {
    return c == L' ' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

std::wstring_view Trim(std::wstring_view line) noexcept {
    const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!line.empty() && blank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && blank(line.back()))
        line.remove_suffix(1);
    return line;
}

// Why `line` (trimmed, not blank) cannot be an entry, or nullptr when it can;
// `entry` then holds it in list form.
const wchar_t* CheckLine(std::wstring_view line, std::wstring& entry) {
    size_t at = std::wstring_view::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'\t')
            return L"holds a tab";
        if (IsControlCharacter(c))
            return L"holds a control character";
        if (IsSpace(c))
            return L"holds a space";
        if (c == L';')
            return L"holds ;";
        if (c == L'*' && !(i == 0 && line.size() > 1 && line[1] == L'@'))
            return L"holds *";
        if (c == L'@') {
            if (at != std::wstring_view::npos)
                return L"holds more than one @";
            at = i;
        }
    }
    const std::wstring_view domain = at == std::wstring_view::npos ? line : line.substr(at + 1);
    if (domain.empty())
        return L"nothing after @";
    if (domain.find(L'.') == std::wstring_view::npos)
        return L"the domain has no dot";
    if (domain.front() == L'.' || domain.back() == L'.')
        return L"the domain starts or ends with a dot";

    if (at == std::wstring_view::npos)
        entry.assign(1, L'@').append(line); // "example.com"
    else if (line[0] == L'*')
        entry.assign(line.substr(1)); // "*@example.com"
    else
        entry.assign(line);
    return nullptr;
}

// The entries taken so far, as a set of their indices, equal when their
// texts are equal but for ASCII case. Indices rather than folded copies:
// a copy of each entry would cost an allocation a line.
class EntrySet {
public:
    explicit EntrySet(const std::vector<std::wstring>& entries)
        : m_set(0, Hash{&entries}, Equal{&entries}) {}
    void Reserve(size_t count) { m_set.reserve(count); }
    // Adds entries[index]; false when an equal entry is in the set already.
    bool Insert(size_t index) { return m_set.insert(index).second; }

private:
    struct Hash {
        const std::vector<std::wstring>* entries;
        size_t operator()(size_t index) const noexcept {
            return HashIgnoringAsciiCase((*entries)[index]);
        }
    };
    struct Equal {
        const std::vector<std::wstring>* entries;
        bool operator()(size_t a, size_t b) const noexcept {
            return EqualsIgnoringAsciiCase((*entries)[a], (*entries)[b]);
        }
    };
    std::unordered_set<size_t, Hash, Equal> m_set;
};

} // namespace

ImportedLines ReadImportedLines(std::wstring_view text) {
    ImportedLines result;
    // Room for a line of 20 characters or more each, a common length of
    // an entry; shorter lines only grow the containers.
    result.entries.reserve(text.size() / 20);
    EntrySet taken(result.entries);
    taken.Reserve(text.size() / 20);
    std::wstring entry;
    size_t lineNumber = 0;
    size_t position = 0;
    while (position < text.size()) {
        ++lineNumber;
        size_t end = position;
        while (end < text.size() && text[end] != L'\n' && text[end] != L'\r')
            ++end;
        const std::wstring_view line = Trim(text.substr(position, end - position));
        position = end;
        if (position < text.size())
            position += text.compare(position, 2, L"\r\n") == 0 ? 2 : 1;
        if (line.empty())
            continue;

        if (const wchar_t* reason = CheckLine(line, entry)) {
            result.skipped.push_back({lineNumber, std::wstring(line), reason});
            continue;
        }
        result.entries.push_back(entry);
        if (!taken.Insert(result.entries.size() - 1))
            result.entries.pop_back(); // the first of equal entries stays
    }
    return result;
}

ImportedLines ParseImportedLines(std::wstring_view text) {
    try {
        return ReadImportedLines(text);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace sw
