#include "manager/list_transfer.h"

#include "platform/file_io.h"
#include "platform/utf8.h"
#include "store/list_capacity.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <unordered_set>

namespace sw {
namespace {

constexpr wchar_t kNotText[] = L"the file is not a text file";
constexpr wchar_t kCutOff[] = L"the file is cut off in the middle of a character";
constexpr wchar_t kBadUtf8[] = L"the file is marked as UTF-8 but holds bytes that are not UTF-8";
constexpr wchar_t kBadUtf16[] = L"the file is marked as UTF-16 but holds broken characters";
constexpr wchar_t kNoMemory[] = L"there is not enough memory";

// Skipped lines quote at most this much of the line in the report.
constexpr size_t kQuotedLength = 60;
constexpr size_t kReportedLines = 10;

enum class Utf8 { Valid, Invalid, CutOff };

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// CutOff means every byte was valid but the last sequence is incomplete.
Utf8 DecodeUtf8(std::string_view bytes, std::wstring& text) {
    text.resize(bytes.size()); // never more UTF-16 units than bytes
    wchar_t* out = text.data();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = in + bytes.size();
    while (in < end) {
        const unsigned lead = *in++;
        if (lead < 0x80) {
            *out++ = static_cast<wchar_t>(lead);
            continue;
        }
        int more = 0;
        unsigned low = 0x80, high = 0xBF; // the range of the next byte
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;  // overlong
            high = lead == 0xED ? 0x9F : 0xBF; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;  // overlong
            high = lead == 0xF4 ? 0x8F : 0xBF; // above U+10FFFF
        } else {
            return Utf8::Invalid;
        }
        for (; more > 0; --more, ++in) {
            if (in == end)
                return Utf8::CutOff;
            if (*in < low || *in > high)
                return Utf8::Invalid;
            low = 0x80;
            high = 0xBF;
            code = (code << 6) | (*in & 0x3F);
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            *out++ = static_cast<wchar_t>(0xD800 + (code >> 10));
            *out++ = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            *out++ = static_cast<wchar_t>(code);
        }
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return Utf8::Valid;
}

bool DecodeUtf16(std::string_view bytes, bool bigEndian, std::wstring& text, std::wstring& error) {
    if (bytes.size() % 2) {
        error = kCutOff;
        return false;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    text.resize(bytes.size() / 2);
    for (size_t i = 0; i < text.size(); ++i, in += 2)
        text[i] = static_cast<wchar_t>(bigEndian ? (in[0] << 8) | in[1] : in[0] | (in[1] << 8));
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t unit = text[i];
        if (unit == 0) {
            // UTF-32 and binary data behind a UTF-16 mark come this way.
            error = kNotText;
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == text.size()) {
                error = kCutOff;
                return false;
            }
            if (text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                error = kBadUtf16;
                return false;
            }
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            error = kBadUtf16;
            return false;
        }
    }
    return true;
}

bool DecodeAnsi(std::string_view bytes, std::wstring& text, std::wstring& error) {
    if (bytes.size() > INT_MAX) {
        error = L"the file is too large";
        return false;
    }
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units > 0) {
        text.resize(static_cast<size_t>(units));
        if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), units) == units)
            return true;
    }
    text.clear();
    error = L"the file could not be read as text: " + Win32ErrorText(GetLastError());
    return false;
}

bool Decode(std::string_view bytes, std::wstring& text, std::wstring& error) {
    const auto starts = [bytes](std::string_view mark) { return bytes.starts_with(mark); };
    if (starts("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false, text, error);
    if (starts("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true, text, error);
    if (std::memchr(bytes.data(), 0, bytes.size())) {
        error = kNotText;
        return false;
    }
    const bool marked = starts("\xEF\xBB\xBF");
    switch (DecodeUtf8(marked ? bytes.substr(3) : bytes, text)) {
    case Utf8::Valid:
        return true;
    case Utf8::CutOff:
        // Valid UTF-8 up to a sequence that the end cuts short: a truncated
        // copy, not text in another code page.
        error = kCutOff;
        return false;
    case Utf8::Invalid:
        if (marked) {
            error = kBadUtf8;
            return false;
        }
        break;
    }
    return DecodeAnsi(bytes, text, error);
}

bool IsControl(wchar_t c) noexcept {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

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
        if (IsControl(c))
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

wchar_t FoldAsciiCase(wchar_t c) noexcept {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
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
            uint64_t hash = 14695981039346656037ull; // FNV-1a
            for (const wchar_t c : (*entries)[index])
                hash = (hash ^ static_cast<uint64_t>(FoldAsciiCase(c))) * 1099511628211ull;
            return static_cast<size_t>(hash ^ (hash >> 32));
        }
    };
    struct Equal {
        const std::vector<std::wstring>* entries;
        bool operator()(size_t a, size_t b) const noexcept {
            const std::wstring& left = (*entries)[a];
            const std::wstring& right = (*entries)[b];
            return left.size() == right.size() &&
                   std::equal(left.begin(), left.end(), right.begin(), [](wchar_t x, wchar_t y) {
                       return FoldAsciiCase(x) == FoldAsciiCase(y);
                   });
        }
    };
    std::unordered_set<size_t, Hash, Equal> m_set;
};

// ParseImportedLines, passing std::bad_alloc on.
ImportedLines ParseLines(std::wstring_view text) {
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

// A skipped line as the message shows it: long lines shortened, control
// characters (which a message box would render as nothing, or act on) shown
// as a replacement mark.
std::wstring Quote(const std::wstring& text) {
    std::wstring quoted = text;
    if (quoted.size() > kQuotedLength) {
        size_t keep = kQuotedLength - 1;
        if (quoted[keep - 1] >= 0xD800 && quoted[keep - 1] <= 0xDBFF)
            --keep; // never half a surrogate pair
        quoted.resize(keep);
        quoted.push_back(L'\x2026');
    }
    for (wchar_t& c : quoted) {
        if (IsControl(c))
            c = L'\xFFFD';
    }
    return quoted;
}

std::wstring Report(size_t added, size_t alreadyListed, const std::vector<SkippedLine>& skipped) {
    std::wstring report = L"Imported " + GroupedNumber(added) +
                          (added == 1 ? L" entry; " : L" entries; ") +
                          GroupedNumber(alreadyListed) + (alreadyListed == 1 ? L" was" : L" were") +
                          L" already listed.";
    if (skipped.empty())
        return report;
    report += L"\n\nSkipped " + GroupedNumber(skipped.size()) +
              (skipped.size() == 1 ? L" line:" : L" lines:");
    const size_t shown = std::min(skipped.size(), kReportedLines);
    for (size_t i = 0; i < shown; ++i) {
        report += L"\nline " + GroupedNumber(skipped[i].line) + L": " + Quote(skipped[i].text) +
                  L" (" + skipped[i].reason + L")";
    }
    if (skipped.size() > shown)
        report += L"\nand " + GroupedNumber(skipped.size() - shown) + L" more";
    return report;
}

// ExportBytes, passing std::bad_alloc on. A lone surrogate, which UTF-8
// cannot hold, is written as U+FFFD.
std::string EncodeEntries(const std::vector<std::wstring>& entries) {
    size_t length = 0;
    for (const std::wstring& entry : entries)
        length += entry.size() + 2;
    std::string bytes;
    bytes.reserve(length);
    for (const std::wstring& entry : entries) {
        AppendUtf8(bytes, entry);
        bytes += "\r\n";
    }
    return bytes;
}

std::wstring ReadErrorText(const std::wstring& path, DWORD error) {
    switch (error) {
    case ERROR_FILE_TOO_LARGE:
        return L"the file is larger than " + std::to_wstring(kImportFileLimit / (1024 * 1024)) +
               L" MB";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return L"the file is in use by another program";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return L"the file was not found";
    case ERROR_ACCESS_DENIED: {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return L"this is a folder, not a file";
        break;
    }
    case ERROR_INVALID_FUNCTION: // ReadWholeFile's answer for a device
        return L"this is not a file on a disk";
    case ERROR_NOT_ENOUGH_MEMORY:
        return kNoMemory;
    }
    return Win32ErrorText(error);
}

// Error texts are set after memory ran out, too: they are left empty when
// even they cannot be allocated.
void SetText(std::wstring& error, const wchar_t* text) noexcept {
    try {
        error = text;
    } catch (const std::bad_alloc&) {
        error.clear();
    }
}

// `error` = "<path>: <reason>".
void SetFileError(std::wstring& error, const std::wstring& path,
                  std::wstring_view reason) noexcept {
    try {
        error.assign(path).append(L": ").append(reason);
    } catch (const std::bad_alloc&) {
        error.clear();
    }
}

} // namespace

bool DecodeListFile(std::string_view bytes, std::wstring& text, std::wstring& error) {
    text.clear();
    error.clear();
    try {
        if (Decode(bytes, text, error))
            return true;
        text.clear();
        return false;
    } catch (const std::bad_alloc&) {
        text.clear();
        SetText(error, kNoMemory);
        return false;
    }
}

ImportedLines ParseImportedLines(std::wstring_view text) {
    try {
        return ParseLines(text);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool ImportListFile(const std::wstring& path, ImportedLines& result, std::wstring& error) {
    result = {};
    error.clear();
    try {
        std::wstring text;
        {
            std::string bytes;
            if (const DWORD readError = ReadWholeFile(path, kImportFileLimit, bytes)) {
                SetFileError(error, path, ReadErrorText(path, readError));
                return false;
            }
            std::wstring reason;
            if (!DecodeListFile(bytes, text, reason)) {
                SetFileError(error, path, reason);
                return false;
            }
        }
        result = ParseLines(text);
        return true;
    } catch (const std::bad_alloc&) {
        result = {};
        SetFileError(error, path, kNoMemory);
        return false;
    }
}

std::wstring ImportReport(size_t added, size_t alreadyListed,
                          const std::vector<SkippedLine>& skipped) {
    try {
        return Report(added, alreadyListed, skipped);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string ExportBytes(const std::vector<std::wstring>& entries) {
    try {
        return EncodeEntries(entries);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool ExportListFile(const std::wstring& path, const std::vector<std::wstring>& entries,
                    std::wstring& error) {
    error.clear();
    DWORD writeError = ERROR_SUCCESS;
    try {
        writeError = WriteFileAtomically(path, EncodeEntries(entries));
    } catch (const std::bad_alloc&) {
        writeError = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (writeError == ERROR_SUCCESS)
        return true;
    SetFileError(error, path, Win32ErrorText(writeError));
    return false;
}

} // namespace sw
