#include "store/list_index.h"

#include "store/list_text.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <stdexcept>

namespace sw {
namespace {

// ListContains compares "entry;" with the start of the text, ignoring ASCII
// case, then searches ";entry;" exactly. For an entry without ";" the first
// test holds only against the text before the first ";", and the second only
// against a piece that a ";" precedes and a ";" follows: the entries after
// the first, each one whole. Those are what the index keeps. Ignoring ASCII
// case for every entry, the pieces are hashed and compared folded.

constexpr size_t kFirstSlots = 64; // a power of two
// Characters of appends that fit without reallocation in any index.
constexpr size_t kAppendRoom = 4096;

} // namespace

CListIndex::CListIndex(std::wstring list, ListMatch match)
    : m_text(std::move(list)), m_match(match) {
    IndexFrom(0);
    // Room for a command's appends: they then never copy the whole text or
    // rebuild the whole table, and each costs the same however long the list.
    m_text.reserve(m_text.size() + m_text.size() / 4 + kAppendRoom);
    Reserve(m_pieces.size() + m_pieces.size() / 4 + kAppendRoom / 16);
}

size_t CListIndex::HashOf(std::wstring_view text) const noexcept {
    return m_match == ListMatch::IgnoringAsciiCase ? HashIgnoringAsciiCase(text)
                                                   : std::hash<std::wstring_view>{}(text);
}

bool CListIndex::SameEntry(std::wstring_view a, std::wstring_view b) const noexcept {
    return m_match == ListMatch::IgnoringAsciiCase ? EqualsIgnoringAsciiCase(a, b) : a == b;
}

bool CListIndex::Contains(std::wstring_view entry) const {
    if (entry.find(L';') != std::wstring_view::npos) {
        if (m_match == ListMatch::IgnoringAsciiCase)
            return ListContains(AsciiCaseFolded(entry), AsciiCaseFolded(m_text));
        return ListContains(entry, m_text);
    }
    if (m_firstLength == entry.size() &&
        EqualsIgnoringAsciiCase(entry, std::wstring_view(m_text).substr(0, m_firstLength)))
        return true;
    return HasPiece(entry, HashOf(entry));
}

void CListIndex::Append(std::wstring_view entry) {
    // Everything that can fail happens before anything changes: a failed
    // append leaves the text and the index as they were.
    const size_t end = m_text.size();
    const size_t closed = 1 + static_cast<size_t>(std::count(entry.begin(), entry.end(), L';'));
    Reserve(m_pieces.size() + closed);
    m_text.reserve(end + entry.size() + 1);
    m_text.append(entry).push_back(L';');
    IndexFrom(end);
}

bool CListIndex::AppendMissing(const std::vector<std::wstring>& entries) {
    bool appended = false;
    for (const std::wstring& entry : entries) {
        if (!Contains(entry)) {
            Append(entry);
            appended = true;
        }
    }
    return appended;
}

void CListIndex::IndexFrom(size_t position) {
    for (size_t semicolon = m_text.find(L';', position); semicolon != std::wstring::npos;
         semicolon = m_text.find(L';', semicolon + 1)) {
        if (m_firstLength == std::wstring::npos)
            m_firstLength = semicolon;
        else
            AddPiece(m_open, semicolon - m_open);
        m_open = semicolon + 1;
    }
}

void CListIndex::AddPiece(size_t offset, size_t length) {
    const std::wstring_view text = std::wstring_view(m_text).substr(offset, length);
    const size_t hash = HashOf(text);
    if (HasPiece(text, hash))
        return;
    Reserve(m_pieces.size() + 1);
    m_pieces.push_back({hash, offset, length});
    const size_t mask = m_slots.size() - 1;
    size_t slot = hash & mask;
    while (m_slots[slot] != 0)
        slot = (slot + 1) & mask;
    m_slots[slot] = static_cast<uint32_t>(m_pieces.size());
}

bool CListIndex::HasPiece(std::wstring_view text, size_t hash) const noexcept {
    if (m_slots.empty())
        return false;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hash & mask; m_slots[slot] != 0; slot = (slot + 1) & mask) {
        const Piece& piece = m_pieces[m_slots[slot] - 1];
        if (piece.hash == hash && SameEntry(PieceText(piece), text))
            return true;
    }
    return false;
}

void CListIndex::Reserve(size_t pieces) {
    if (pieces >= std::numeric_limits<uint32_t>::max())
        throw std::length_error("list index full");
    if (pieces > m_pieces.capacity())
        m_pieces.reserve(std::max(pieces, 2 * m_pieces.capacity()));
    while (2 * pieces > m_slots.size())
        Grow();
}

void CListIndex::Grow() {
    std::vector<uint32_t> slots(m_slots.empty() ? kFirstSlots : 2 * m_slots.size(), 0);
    const size_t mask = slots.size() - 1;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        size_t slot = m_pieces[i].hash & mask;
        while (slots[slot] != 0)
            slot = (slot + 1) & mask;
        slots[slot] = static_cast<uint32_t>(i + 1);
    }
    m_slots = std::move(slots);
}

} // namespace sw
