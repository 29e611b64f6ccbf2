// Import and Export of the Blocked Senders list as a text file, one entry a
// line. No window is involved: the page shows the file dialogs and the
// report, and merges what an import yields.
#pragma once

#include "manager/import_lines.h"
#include "manager/list_file_text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// Files above this size are refused before they are read.
inline constexpr size_t kImportFileLimit = 16 * 1024 * 1024;

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
