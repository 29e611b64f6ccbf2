// A list text (terminator form) with a hash index over its entries, for the
// commands that test many entries against one long list. It answers what
// ListContains answers on the text as it stands, appends included, or the
// same without regard to ASCII case for every entry, in time independent of
// the list's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

// How an index compares an entry with the list's.
enum class ListMatch {
    // ListContains's rule: the first entry without regard to ASCII case,
    // every later one exactly. What is appended to the Blocked Senders list
    // is decided by it, so that the stored list changes as it always has.
    AsStored,
    // Every entry without regard to ASCII case, as Outlook treats addresses:
    // whom a list protects (Safe Senders, the safe domains) is decided by it.
    IgnoringAsciiCase,
};

class CListIndex {
public:
    // Takes the text and indexes it in one pass.
    explicit CListIndex(std::wstring list, ListMatch match = ListMatch::AsStored);
    CListIndex(const CListIndex&) = delete;
    CListIndex& operator=(const CListIndex&) = delete;

    // ListContains(entry, Text()), under the index's ListMatch. An entry
    // that holds ";" spans several entries of the list; it is answered by
    // searching the text.
    bool Contains(std::wstring_view entry) const;

    // Appends `entry` and ";" to the text and indexes what that completes.
    void Append(std::wstring_view entry);

    // AppendMissing(text, entries) on the indexed text.
    bool AppendMissing(const std::vector<std::wstring>& entries);

    const std::wstring& Text() const noexcept { return m_text; }

private:
    // A piece of the text between two ";" that follow each other.
    struct Piece {
        size_t hash;
        size_t offset;
        size_t length;
    };

    // Indexes every piece that a ";" from `position` on closes.
    void IndexFrom(size_t position);
    void AddPiece(size_t offset, size_t length);
    size_t HashOf(std::wstring_view text) const noexcept;
    bool SameEntry(std::wstring_view a, std::wstring_view b) const noexcept;
    bool HasPiece(std::wstring_view text, size_t hash) const noexcept;
    // Makes room for `pieces` pieces, so that adding them cannot fail.
    void Reserve(size_t pieces);
    void Grow();
    std::wstring_view PieceText(const Piece& piece) const noexcept {
        return std::wstring_view(m_text).substr(piece.offset, piece.length);
    }

    std::wstring m_text;
    ListMatch m_match;
    // Start of the text after the last ";": not an entry until a ";" follows.
    size_t m_open = 0;
    // Length of the first entry, which matches without regard to ASCII case;
    // npos while the text holds no ";".
    size_t m_firstLength = std::wstring::npos;
    // The later entries, each text once, in an open-addressed table whose
    // slots hold an index into m_pieces plus one (0: empty).
    std::vector<Piece> m_pieces;
    std::vector<uint32_t> m_slots;
};

} // namespace sw
