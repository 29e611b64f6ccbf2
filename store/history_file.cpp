#include "store/history_file.h"

#include "platform/diagnostics.h"
#include "platform/file_io.h"
#include "platform/file_replacement.h"
#include "platform/unique_handle.h"
#include "store/history_format.h"

#include <algorithm>
#include <unordered_set>

namespace sw::history_file {
namespace {

// The newest set-aside text kept in the side file.
constexpr size_t kSetAsideLimit = 1024 * 1024;

constexpr wchar_t kSetAsideSuffix[] = L".skipped";
constexpr wchar_t kUnreadableSuffix[] = L".unreadable";

void ParseLines(std::string_view text, HistoryFile& file, const KeepMessages& keepMessages) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3); // a byte order mark from a text editor
    file.cleanEnd = text.empty() || text.back() == '\n';
    std::unordered_set<std::uint64_t> ids;
    bool first = true;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (first) {
            first = false;
            if (const auto version = HistoryHeaderVersion(line)) {
                if (*version > kHistoryFormatVersion) {
                    file.shape = HistoryFile::Shape::Unreadable;
                    return;
                }
                // An older version's lines are this version's too; the next
                // write puts this version's header over them.
                file.headed = *version == kHistoryFormatVersion;
                continue;
            }
            // No header: the lines are read as this version's all the same.
        }
        if (line.empty() || line == "\r")
            continue;
        ++file.lines;
        HistoryAction action;
        if (ParseHistoryLine(line, action, keepMessages) && ids.insert(action.id).second) {
            file.lastId = std::max(file.lastId, action.id);
            file.actions.push_back(std::move(action));
        } else {
            file.brokenLines.emplace_back(line);
        }
    }
}

void CreateFolderOf(const std::wstring& path) {
    CreateFolders(path.substr(0, path.find_last_of(L'\\')));
}

// Adds the broken lines to the side file, which keeps its newest
// kSetAsideLimit bytes.
bool SetAsideLines(const std::wstring& path, const std::vector<std::string>& lines) {
    if (lines.empty())
        return true;
    const std::wstring sidePath = path + kSetAsideSuffix;
    std::string text;
    if (ReadWholeFile(sidePath, 2 * kSetAsideLimit, text) != ERROR_SUCCESS)
        text.clear();
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    if (text.size() > kSetAsideLimit) {
        size_t cut = text.size() - kSetAsideLimit;
        const size_t lineStart = text.find('\n', cut);
        if (lineStart != std::string::npos && lineStart + 1 < text.size())
            cut = lineStart + 1;
        text.erase(0, cut);
    }
    return SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(sidePath, text)) == ERROR_SUCCESS;
}

} // namespace

// Shared with the compaction thread, so under a lock of its own rather than
// in g_host; what is known is checked against the file before each use.
HistoryFileState g_fileState;

FileStamp StampOf(const std::wstring& path) noexcept {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        stamp.exists = true;
        stamp.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.written = data.ftLastWriteTime;
    }
    return stamp;
}

void Remember(const std::wstring& path, const HistoryFile& file) {
    if (g_fileState.known.path != path || !(g_fileState.known.stamp == file.stamp))
        ++g_fileState.known.base;
    g_fileState.known.path = path;
    g_fileState.known.stamp = file.stamp;
    g_fileState.known.lastId = file.lastId;
    g_fileState.known.lines = file.lines;
    g_fileState.known.needsRepair = file.NeedsRepair();
}

void Forget() noexcept {
    g_fileState.known.path.clear();
    ++g_fileState.known.base;
}

bool ReadHistoryFile(const std::wstring& path, HistoryFile& file,
                     const KeepMessages& keepMessages) {
    file = HistoryFile();
    file.stamp = StampOf(path);
    if (!file.stamp.exists)
        return true;
    std::string bytes;
    const DWORD error = ReadWholeFile(path, kReadLimit, bytes);
    if (error == ERROR_FILE_TOO_LARGE) {
        SW_LOG_WIN32(L"ReadWholeFile(history)", error);
        file.shape = HistoryFile::Shape::Unreadable;
        return true;
    }
    if (SW_LOG_IF_WIN32_ERROR(error) != ERROR_SUCCESS)
        return false;
    if (bytes.empty())
        return true;
    file.shape = HistoryFile::Shape::Readable;
    ParseLines(bytes, file, keepMessages);
    return true;
}

std::string LineOf(const HistoryAction& action) {
    size_t skipped = 0;
    std::string line = FormatHistoryLine(action, &skipped);
    line += '\n';
    if (skipped > 0)
        SW_LOG_WIN32(L"history: messages without hexadecimal ids left out", ERROR_INVALID_DATA);
    return line;
}

bool RewriteHistory(const std::wstring& path, const HistoryFile& file,
                    const std::vector<HistoryAction>& actions) {
    if (file.shape == HistoryFile::Shape::Unreadable) {
        if (!MoveFileExW(path.c_str(), (path + kUnreadableSuffix).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            SW_LOG_WIN32(L"MoveFileExW(history)", GetLastError());
            return false;
        }
    } else if (!SetAsideLines(path, file.brokenLines)) {
        return false;
    }

    std::vector<std::string> lines;
    size_t bytes = 0;
    for (auto action = actions.rbegin(); action != actions.rend(); ++action) {
        if (lines.size() == kHistoryLimit)
            break;
        std::string line = LineOf(*action);
        if (!lines.empty() && bytes + line.size() > kKeptBytes)
            break;
        bytes += line.size();
        lines.push_back(std::move(line));
    }
    std::string text = HistoryHeaderLine();
    text.reserve(text.size() + bytes);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        text += *line;

    CreateFolderOf(path);
    if (SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(path, text)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    g_fileState.known.path = path;
    g_fileState.known.stamp = StampOf(path);
    g_fileState.known.lastId = std::max(file.lastId, actions.empty() ? 0 : actions.back().id);
    g_fileState.known.lines = lines.size();
    g_fileState.known.needsRepair = false;
    ++g_fileState.known.base;
    return true;
}

Appended AppendLine(const std::wstring& path, const std::string& line) {
    if (g_fileState.known.stamp.readOnly) {
        // Refused as a replacement would be, also where the file system
        // would let its owner write.
        SW_LOG_WIN32(L"history: read-only file", ERROR_ACCESS_DENIED);
        return Appended::Failed;
    }
    unique_handle handle(CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        SW_LOG_WIN32(L"CreateFileW(history)", GetLastError());
        return Appended::Failed;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(handle.get(), &size) ||
        static_cast<ULONGLONG>(size.QuadPart) != g_fileState.known.stamp.size)
        return Appended::FileChanged;
    DWORD written = 0;
    if (!WriteFile(handle.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
        SW_LOG_WIN32(L"WriteFile(history)", GetLastError());
        return Appended::Failed;
    }
    handle.reset();
    g_fileState.known.stamp = StampOf(path);
    ++g_fileState.known.lines;
    return Appended::Yes;
}

void PrepareAction(HistoryAction& action) {
    std::erase_if(action.entries, [](const std::wstring& entry) { return entry.empty(); });
    if (action.messages.size() > kMaxMessages) {
        action.messages.resize(kMaxMessages);
        SW_LOG_WIN32(L"history: messages past the limit left out", ERROR_FILE_TOO_LARGE);
    }
    if (action.time.wYear == 0)
        GetLocalTime(&action.time);
}

size_t NewestLines(std::string_view bytes, size_t most, size_t room, size_t& kept) {
    const size_t headerEnd = bytes.find('\n');
    size_t keptFrom = bytes.size();
    kept = 0;
    while (kept < most && keptFrom > headerEnd + 1) {
        const size_t previous = bytes.rfind('\n', keptFrom - 2);
        if (previous == std::string_view::npos || previous < headerEnd ||
            bytes.size() - previous - 1 > room)
            break;
        keptFrom = previous + 1;
        ++kept;
    }
    return keptFrom;
}

bool TrimAndAppend(const std::wstring& path, const std::string& line) {
    std::string bytes;
    if (SW_LOG_IF_WIN32_ERROR(ReadWholeFile(path, kReadLimit, bytes)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    size_t kept = 0;
    const size_t room = line.size() < kKeptBytes ? kKeptBytes - line.size() : 0;
    const size_t keptFrom = NewestLines(bytes, kHistoryLimit - 1, room, kept);
    std::string text = HistoryHeaderLine();
    text.append(bytes, keptFrom, std::string::npos);
    text += line;
    if (SW_LOG_IF_WIN32_ERROR(WriteFileAtomically(path, text)) != ERROR_SUCCESS) {
        Forget();
        return false;
    }
    g_fileState.known.stamp = StampOf(path);
    g_fileState.known.lines = kept + 1;
    ++g_fileState.known.base;
    return true;
}

} // namespace sw::history_file
