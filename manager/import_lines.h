// The lines of an imported list file read as entries: each usable line in
// list form, each other line with the reason it was skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// A line of an import file that was not taken, 1-based.
struct SkippedLine {
    size_t line = 0;
    std::wstring text;   // the line as read, trimmed
    std::wstring reason; // why, in a few plain words ("holds ;")
};

struct ImportedLines {
    // Each usable line as an entry ("ann@x.example", "@x.example"), in file
    // order; an entry the file holds twice (ASCII case ignored) comes once.
    std::vector<std::wstring> entries;
    std::vector<SkippedLine> skipped;
};

// Reads the entries of a decoded file, a line each (CRLF, LF or CR): each
// line is trimmed, blank lines are passed over, "example.com" and
// "*@example.com" become "@example.com"; a line holding ";", a control
// character or inner white space, with nothing after "@", or whose domain
// has no dot is skipped with its reason. Also skipped: a line holding "*"
// other than a leading "*@", more than one "@", or a domain that starts or
// ends with a dot. Empty when memory runs out: callers that must tell an
// empty file from that use ImportListFile.
ImportedLines ParseImportedLines(std::wstring_view text);
// The same, passing std::bad_alloc on.
ImportedLines ReadImportedLines(std::wstring_view text);

// A C0 or C1 control character, which no entry may hold and no message shows.
bool IsControlCharacter(wchar_t c) noexcept;

} // namespace sw
