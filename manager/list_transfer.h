// Import and Export of the Blocked Senders list as a text file, one entry a
// line. No window is involved: the page shows the file dialogs and the
// report, and merges what an import yields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// Files above this size are refused before they are read.
inline constexpr size_t kImportFileLimit = 16 * 1024 * 1024;

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

// Turns a file's bytes into text: UTF-16 LE or BE with a byte order mark,
// UTF-8 with or without one, else the ANSI code page. False, with `error`
// saying why in plain words, for bytes that are no text (NUL bytes without
// a UTF-16 mark, a UTF-16 file of odd length, UTF-8 cut within a sequence).
// Also false for UTF-16 holding NUL characters (UTF-32, binary data) or
// broken surrogate pairs, and for a UTF-8 mark over bytes that are not UTF-8.
// No bytes at all are an empty text.
[[nodiscard]] bool DecodeListFile(std::string_view bytes, std::wstring& text, std::wstring& error);

// Reads the entries of a decoded file, a line each (CRLF, LF or CR): each
// line is trimmed, blank lines are passed over, "example.com" and
// "*@example.com" become "@example.com"; a line holding ";", a control
// character or inner white space, with nothing after "@", or whose domain
// has no dot is skipped with its reason. Also skipped: a line holding "*"
// other than a leading "*@", more than one "@", or a domain that starts or
// ends with a dot. Empty when memory runs out: callers that must tell an
// empty file from that use ImportListFile.
ImportedLines ParseImportedLines(std::wstring_view text);

// Reads the file at `path` and parses it. False, with `error` naming the
// file and the reason ("...: the file is larger than 16 MB"), when the file
// cannot be read (missing, locked, a folder, too large) or decoded.
[[nodiscard]] bool ImportListFile(const std::wstring& path, ImportedLines& result,
                                  std::wstring& error);

// The one message after an import: how many entries were added, how many
// were listed already, and the first ten skipped lines with their numbers
// ("line 4: foo bar (holds a space)"), long lines shortened. Empty only
// when memory runs out.
std::wstring ImportReport(size_t added, size_t alreadyListed,
                          const std::vector<SkippedLine>& skipped);

// The export file's bytes: every entry and CRLF, UTF-8 without a byte
// order mark. Empty when memory runs out: ExportListFile reports that.
std::string ExportBytes(const std::vector<std::wstring>& entries);

// Writes ExportBytes(entries) to `path`, replacing an existing file
// atomically. False, with `error` naming the file and the reason, when it
// cannot be written; an existing file is then left as it was.
[[nodiscard]] bool ExportListFile(const std::wstring& path,
                                  const std::vector<std::wstring>& entries, std::wstring& error);

} // namespace sw
