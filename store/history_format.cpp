#include "store/history_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>

namespace sw {
namespace {

constexpr std::string_view kHeaderPrefix = "Spamwarden history ";
constexpr std::string_view kDone = "done";
constexpr std::string_view kUndone = "undone";

// Splits `text` at `separator`; an empty text has no parts.
template <class Handle> bool ForEachPart(std::string_view text, char separator, Handle handle) {
    if (text.empty())
        return true;
    for (;;) {
        const size_t end = text.find(separator);
        if (!handle(text.substr(0, end)))
            return false;
        if (end == std::string_view::npos)
            return true;
        text.remove_prefix(end + 1);
    }
}

// Splits `text` at `separator` into `parts`; their count, or nothing when
// there are more.
template <size_t N>
std::optional<size_t> SplitInto(std::string_view text, char separator,
                                std::string_view (&parts)[N]) {
    size_t count = 0;
    const bool split = ForEachPart(text, separator, [&](std::string_view part) {
        if (count == N)
            return false;
        parts[count++] = part;
        return true;
    });
    return split ? std::optional<size_t>(count) : std::nullopt;
}

template <class Number> bool ParseNumber(std::string_view text, Number& value) {
    if (text.empty())
        return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// A table of distinct ids and each id's position in it. A run's messages
// mostly come from one store and folder in turn, so the last id found is
// tried first.
class IdTable {
public:
    // Appends the position of `id` to `out`, adding the id when new; nothing
    // for the empty id. False when the id is not hexadecimal.
    bool AppendPosition(std::string& out, const std::wstring& id) {
        if (id.empty())
            return true;
        if (m_last && *m_last == id) {
            out += m_lastPosition;
            return true;
        }
        // A few source folders take turns: comparing is quicker than hashing.
        for (size_t i = 0; i < m_ids.size() && i < 8; ++i) {
            if (*m_ids[i] == id) {
                m_last = m_ids[i];
                m_lastPosition = std::to_string(i);
                out += m_lastPosition;
                return true;
            }
        }
        auto found = m_positions.find(id);
        if (found == m_positions.end()) {
            if (!IsHexId(id))
                return false;
            found = m_positions.emplace(id, m_ids.size()).first;
            m_ids.push_back(&found->first);
        }
        m_last = &found->first;
        m_lastPosition = std::to_string(found->second);
        out += m_lastPosition;
        return true;
    }
    void AppendTo(std::string& out) const {
        for (size_t i = 0; i < m_ids.size(); ++i) {
            if (i > 0)
                out += ',';
            // Each id was found hexadecimal when it was listed.
            static_cast<void>(AppendHexId(out, *m_ids[i]));
        }
    }

private:
    std::unordered_map<std::wstring, size_t> m_positions;
    std::vector<const std::wstring*> m_ids;
    const std::wstring* m_last = nullptr;
    std::string m_lastPosition;
};

bool ParseTime(std::string_view text, SYSTEMTIME& time) {
    // 2024-05-01T13:45:12.345
    if (text.size() != 23 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.')
        return false;
    WORD parts[7] = {};
    const size_t starts[7] = {0, 5, 8, 11, 14, 17, 20};
    const size_t lengths[7] = {4, 2, 2, 2, 2, 2, 3};
    for (size_t i = 0; i < 7; ++i) {
        const std::string_view digits = text.substr(starts[i], lengths[i]);
        for (char c : digits) {
            if (c < '0' || c > '9')
                return false;
        }
        if (!ParseNumber(digits, parts[i]))
            return false;
    }
    SYSTEMTIME read = {};
    read.wYear = parts[0];
    read.wMonth = parts[1];
    read.wDay = parts[2];
    read.wHour = parts[3];
    read.wMinute = parts[4];
    read.wSecond = parts[5];
    read.wMilliseconds = parts[6];
    // The round trip through FILETIME refuses impossible dates (February
    // 30th) and fills in the day of the week.
    FILETIME asFileTime = {};
    if (read.wYear < 1601 || !SystemTimeToFileTime(&read, &asFileTime) ||
        !FileTimeToSystemTime(&asFileTime, &time))
        return false;
    return true;
}

} // namespace

std::string HistoryHeaderLine() {
    return std::string(kHeaderPrefix) + std::to_string(kHistoryFormatVersion) + "\n";
}

std::optional<unsigned> HistoryHeaderVersion(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.substr(0, kHeaderPrefix.size()) != kHeaderPrefix)
        return std::nullopt;
    unsigned version = 0;
    if (!ParseNumber(line.substr(kHeaderPrefix.size()), version) || version == 0)
        return std::nullopt;
    return version;
}

std::string FormatHistoryLine(const HistoryAction& action, size_t* skipped) {
    std::string line;
    // Room for the messages and the line break the file adds, so that
    // neither moves the text of a long run once more.
    line.reserve(1024 + action.entries.size() * 32 +
                 action.messages.size() *
                     (action.messages.empty() ? 0 : action.messages.front().entryId.size() + 12));
    line += std::to_string(action.id);
    line += '\t';
    char time[32];
    std::snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02u.%03u", action.time.wYear,
                  action.time.wMonth, action.time.wDay, action.time.wHour, action.time.wMinute,
                  action.time.wSecond, action.time.wMilliseconds);
    line += time;
    line += '\t';
    line += action.undone ? kUndone : kDone;
    line += '\t';
    AppendEscapedText(line, action.command);
    line += '\t';
    for (size_t i = 0; i < action.entries.size(); ++i) {
        if (i > 0)
            line += ',';
        AppendEscapedText(line, action.entries[i]);
    }

    line += '\t';
    IdTable stores;
    IdTable folders;
    std::string& messages = line;
    const size_t first = line.size();
    for (const MovedMessage& message : action.messages) {
        const size_t start = messages.size();
        if (start > first)
            messages += ',';
        if (!AppendHexId(messages, message.entryId)) {
            messages.resize(start);
        } else {
            messages += '/';
            if (stores.AppendPosition(messages, message.storeId)) {
                messages += '/';
                if (folders.AppendPosition(messages, message.folderId)) {
                    if (message.originStoreId.empty())
                        continue;
                    messages += '/';
                    if (stores.AppendPosition(messages, message.originStoreId))
                        continue;
                }
            }
            messages.resize(start);
        }
        if (skipped)
            ++*skipped;
    }
    line += '\t';
    stores.AppendTo(line);
    line += '\t';
    folders.AppendTo(line);
    return line;
}

bool ParseHistoryLine(std::string_view line, HistoryAction& action,
                      const std::function<bool(std::uint64_t)>& keepMessages) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::string_view fields[8];
    if (SplitInto(line, '\t', fields) != 8u)
        return false;

    action = HistoryAction();
    if (!ParseNumber(fields[0], action.id) || action.id == 0 || fields[0][0] == '0')
        return false;
    if (!ParseTime(fields[1], action.time))
        return false;
    if (fields[2] == kUndone)
        action.undone = true;
    else if (fields[2] != kDone)
        return false;
    if (!ParseEscapedText(fields[3], action.command))
        return false;
    // An empty entry is one an empty field cannot tell from none; the writer
    // never records one.
    const bool entriesRead = ForEachPart(fields[4], ',', [&](std::string_view part) {
        std::wstring entry;
        if (part.empty() || !ParseEscapedText(part, entry))
            return false;
        action.entries.push_back(std::move(entry));
        return true;
    });
    if (!entriesRead)
        return false;

    std::vector<std::wstring> tables[2];
    for (size_t t = 0; t < 2; ++t) {
        const bool read = ForEachPart(fields[6 + t], ',', [&](std::string_view part) {
            std::wstring id;
            if (part.empty() || !ParseHexId(part, id))
                return false;
            tables[t].push_back(std::move(id));
            return true;
        });
        if (!read)
            return false;
    }
    const bool keep = !keepMessages || keepMessages(action.id);
    const bool messagesRead = ForEachPart(fields[5], ',', [&](std::string_view part) {
        // The entry id, then the positions of its store, its folder and, from
        // version 2 on and where known, its origin store.
        std::string_view parts[4];
        const size_t count = SplitInto(part, '/', parts).value_or(0);
        if (count < 3)
            return false;
        MovedMessage message;
        const std::string_view entryId = parts[0];
        if (keep ? !ParseHexId(entryId, message.entryId)
                 : !std::all_of(entryId.begin(), entryId.end(),
                                [](char c) { return IsHexUnit(static_cast<unsigned char>(c)); }))
            return false;
        std::wstring* ids[3] = {&message.storeId, &message.folderId, &message.originStoreId};
        const size_t tableOf[3] = {0, 1, 0};
        for (size_t t = 0; t + 1 < count; ++t) {
            const std::string_view position = parts[t + 1];
            if (position.empty())
                continue;
            size_t index = 0;
            const std::vector<std::wstring>& table = tables[tableOf[t]];
            if (!ParseNumber(position, index) || index >= table.size())
                return false;
            if (keep)
                *ids[t] = table[index];
        }
        ++action.messageCount;
        if (keep)
            action.messages.push_back(std::move(message));
        return true;
    });
    return messagesRead;
}

} // namespace sw
