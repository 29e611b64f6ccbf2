#include "sim/mapi/profile_table.h"

#include "sim/mapi/com_object.h"
#include "sim/mapi/counters.h"
#include "sim/mapi/profile_row.h"
#include "sim/mapi/profile_source.h"
#include "sim/mapi/restriction.h"

#include <mapicode.h>
#include <mapiguid.h>
#include <mapitags.h>
#include <mapix.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>

namespace sw::simmapi {
namespace {

class ProfileTable final : public ComObject<IMAPITable> {
public:
    ProfileTable(std::vector<ProfileRow> rows, bool unicode)
        : ComObject(IID_IMAPITable),
          m_rows(std::move(rows)), m_columns{unicode ? PR_DISPLAY_NAME_W : PR_DISPLAY_NAME_A,
                                             PR_DEFAULT_PROFILE},
          m_allColumns(m_columns) {
        m_view.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            m_view.push_back(i);
        InterlockedIncrement(&g_counters.tables);
    }
    ~ProfileTable() { InterlockedDecrement(&g_counters.tables); }

    // IMAPITable: what the profile table supports.
    STDMETHODIMP GetStatus(ULONG* status, ULONG* type) override {
        if (!status || !type)
            return MAPI_E_INVALID_PARAMETER;
        *status = TBLSTAT_COMPLETE;
        *type = TBLTYPE_SNAPSHOT;
        return S_OK;
    }

    STDMETHODIMP SetColumns(LPSPropTagArray columns, ULONG) override {
        if (!columns || columns->cValues == 0)
            return MAPI_E_INVALID_PARAMETER;
        try {
            m_columns.assign(columns->aulPropTag, columns->aulPropTag + columns->cValues);
        } catch (const std::bad_alloc&) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        return S_OK;
    }

    STDMETHODIMP QueryColumns(ULONG flags, LPSPropTagArray* columns) override {
        if (!columns)
            return MAPI_E_INVALID_PARAMETER;
        *columns = nullptr;
        if (flags & ~TBL_ALL_COLUMNS)
            return MAPI_E_UNKNOWN_FLAGS;
        const std::vector<ULONG>& tags = (flags & TBL_ALL_COLUMNS) ? m_allColumns : m_columns;
        void* buffer = nullptr;
        HRESULT hr = MAPIAllocateBuffer(CbNewSPropTagArray(tags.size()), &buffer);
        if (FAILED(hr))
            return hr;
        auto* array = static_cast<LPSPropTagArray>(buffer);
        array->cValues = static_cast<ULONG>(tags.size());
        std::copy(tags.begin(), tags.end(), array->aulPropTag);
        *columns = array;
        return S_OK;
    }

    STDMETHODIMP GetRowCount(ULONG, ULONG* count) override {
        if (!count)
            return MAPI_E_INVALID_PARAMETER;
        *count = static_cast<ULONG>(m_view.size());
        return S_OK;
    }

    STDMETHODIMP SeekRow(BOOKMARK origin, LONG rowCount, LONG* rowsSought) override {
        size_t start = 0;
        if (HRESULT hr = Resolve(origin, start); FAILED(hr))
            return hr;
        const LONGLONG target = std::clamp<LONGLONG>(static_cast<LONGLONG>(start) + rowCount, 0,
                                                     static_cast<LONGLONG>(m_view.size()));
        m_cursor = static_cast<size_t>(target);
        if (rowsSought)
            *rowsSought = static_cast<LONG>(target - static_cast<LONGLONG>(start));
        return S_OK;
    }

    STDMETHODIMP SeekRowApprox(ULONG numerator, ULONG denominator) override {
        if (denominator == 0 || numerator > denominator)
            return MAPI_E_INVALID_PARAMETER;
        m_cursor =
            static_cast<size_t>(static_cast<ULONGLONG>(m_view.size()) * numerator / denominator);
        return S_OK;
    }

    STDMETHODIMP QueryPosition(ULONG* row, ULONG* numerator, ULONG* denominator) override {
        if (!row || !numerator || !denominator)
            return MAPI_E_INVALID_PARAMETER;
        *row = m_cursor < m_view.size() ? static_cast<ULONG>(m_cursor) : 0xFFFFFFFF;
        *numerator = static_cast<ULONG>(m_cursor);
        *denominator = static_cast<ULONG>(std::max<size_t>(m_view.size(), 1));
        return S_OK;
    }

    // Searches from `origin` (forward, or backward with DIR_BACKWARD) for the
    // first row that satisfies the restriction and puts the cursor on it. When
    // none does, the cursor goes to the end (forward) or the beginning.
    STDMETHODIMP FindRow(LPSRestriction restriction, BOOKMARK origin, ULONG flags) override {
        if (flags & ~DIR_BACKWARD)
            return MAPI_E_UNKNOWN_FLAGS;
        if (HRESULT hr = CheckRestriction(restriction); FAILED(hr))
            return hr;
        size_t start = 0;
        if (HRESULT hr = Resolve(origin, start); FAILED(hr))
            return hr;
        if (flags & DIR_BACKWARD) {
            for (size_t i = std::min(start + 1, m_view.size()); i-- > 0;) {
                if (Matches(*restriction, m_rows[m_view[i]])) {
                    m_cursor = i;
                    return S_OK;
                }
            }
            m_cursor = 0;
        } else {
            for (size_t i = start; i < m_view.size(); ++i) {
                if (Matches(*restriction, m_rows[m_view[i]])) {
                    m_cursor = i;
                    return S_OK;
                }
            }
            m_cursor = m_view.size();
        }
        return MAPI_E_NOT_FOUND;
    }

    // Limits the rows to those that satisfy the restriction (a null one lifts
    // it), puts the cursor at the beginning and drops every bookmark.
    STDMETHODIMP Restrict(LPSRestriction restriction, ULONG) override {
        if (const std::optional<DWORD> failure = ReadConfigDword(kRestrictFailureValue))
            return static_cast<HRESULT>(*failure);
        if (restriction) {
            if (HRESULT hr = CheckRestriction(restriction); FAILED(hr))
                return hr;
        }
        try {
            std::vector<size_t> view;
            for (size_t i = 0; i < m_rows.size(); ++i)
                if (!restriction || Matches(*restriction, m_rows[i]))
                    view.push_back(i);
            m_view = std::move(view);
        } catch (const std::bad_alloc&) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        m_cursor = 0;
        m_bookmarks.clear();
        return S_OK;
    }

    STDMETHODIMP CreateBookmark(BOOKMARK* position) override {
        if (!position)
            return MAPI_E_INVALID_PARAMETER;
        try {
            m_bookmarks[m_nextBookmark] = m_cursor;
        } catch (const std::bad_alloc&) {
            return MAPI_E_NOT_ENOUGH_MEMORY;
        }
        *position = m_nextBookmark++;
        return S_OK;
    }

    STDMETHODIMP FreeBookmark(BOOKMARK position) override {
        if (position <= BOOKMARK_END)
            return S_OK;
        return m_bookmarks.erase(position) ? S_OK : MAPI_E_INVALID_BOOKMARK;
    }

    // Reads up to |rowCount| rows from the cursor: forward for a positive
    // count, else the rows before the cursor (in table order). The cursor
    // moves past what was read unless TBL_NOADVANCE.
    STDMETHODIMP QueryRows(LONG rowCount, ULONG flags, LPSRowSet* rows) override {
        if (!rows)
            return MAPI_E_INVALID_PARAMETER;
        *rows = nullptr;
        if (flags & ~TBL_NOADVANCE)
            return MAPI_E_UNKNOWN_FLAGS;
        size_t first = m_cursor;
        size_t last = m_cursor;
        if (rowCount >= 0)
            last = std::min(m_view.size(), m_cursor + static_cast<size_t>(rowCount));
        else
            first = m_cursor - std::min(m_cursor, static_cast<size_t>(-LONGLONG{rowCount}));
        HRESULT hr = BuildRowSet(first, last, rows);
        if (FAILED(hr))
            return hr;
        if (!(flags & TBL_NOADVANCE))
            m_cursor = rowCount >= 0 ? last : first;
        return S_OK;
    }

    // IMAPITable: not supported by the profile table.
    STDMETHODIMP GetLastError(HRESULT, ULONG, LPMAPIERROR*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Advise(ULONG, LPMAPIADVISESINK, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Unadvise(ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP SortTable(LPSSortOrderSet, ULONG) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP QuerySortOrder(LPSSortOrderSet*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP Abort() override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP ExpandRow(ULONG, LPBYTE, ULONG, ULONG, LPSRowSet*, ULONG*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP CollapseRow(ULONG, LPBYTE, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP WaitForCompletion(ULONG, ULONG, ULONG*) override { return MAPI_E_NO_SUPPORT; }
    STDMETHODIMP GetCollapseState(ULONG, ULONG, LPBYTE, ULONG*, LPBYTE*) override {
        return MAPI_E_NO_SUPPORT;
    }
    STDMETHODIMP SetCollapseState(ULONG, ULONG, LPBYTE, BOOKMARK*) override {
        return MAPI_E_NO_SUPPORT;
    }

private:
    HRESULT Resolve(BOOKMARK bookmark, size_t& position) const {
        switch (bookmark) {
        case BOOKMARK_BEGINNING:
            position = 0;
            return S_OK;
        case BOOKMARK_CURRENT:
            position = m_cursor;
            return S_OK;
        case BOOKMARK_END:
            position = m_view.size();
            return S_OK;
        default: {
            auto found = m_bookmarks.find(bookmark);
            if (found == m_bookmarks.end())
                return MAPI_E_INVALID_BOOKMARK;
            position = std::min(found->second, m_view.size());
            return S_OK;
        }
        }
    }

    // A row set from the MAPI allocator as real MAPI builds it, so that
    // FreeProws can free it: the SRowSet and each row's property array are
    // separate buffers, and each string is linked to its row's array.
    HRESULT BuildRowSet(size_t first, size_t last, LPSRowSet* result) const {
        const size_t count = last - first;
        void* buffer = nullptr;
        HRESULT hr = MAPIAllocateBuffer(static_cast<ULONG>(CbNewSRowSet(count)), &buffer);
        if (FAILED(hr))
            return hr;
        auto* set = static_cast<LPSRowSet>(buffer);
        set->cRows = 0;
        for (size_t i = 0; i < count; ++i) {
            hr = BuildRow(m_rows[m_view[first + i]], set->aRow[i]);
            if (FAILED(hr)) {
                FreeRowSet(set);
                return hr;
            }
            set->cRows = static_cast<ULONG>(i + 1);
        }
        *result = set;
        return S_OK;
    }

    HRESULT BuildRow(const ProfileRow& source, SRow& row) const {
        row = {};
        void* buffer = nullptr;
        HRESULT hr =
            MAPIAllocateBuffer(static_cast<ULONG>(m_columns.size() * sizeof(SPropValue)), &buffer);
        if (FAILED(hr))
            return hr;
        auto* props = static_cast<LPSPropValue>(buffer);
        for (size_t c = 0; c < m_columns.size(); ++c) {
            SPropValue& prop = props[c];
            prop = {};
            RowValue value;
            if (!GetRowValue(source, m_columns[c], value)) {
                prop.ulPropTag = CHANGE_PROP_TYPE(m_columns[c], PT_ERROR);
                prop.Value.err = MAPI_E_NOT_FOUND;
                continue;
            }
            prop.ulPropTag = value.tag;
            switch (PROP_TYPE(value.tag)) {
            case PT_BOOLEAN:
                prop.Value.b = value.boolean ? 1 : 0;
                break;
            case PT_STRING8:
                hr = CopyString(value.ansi, props, prop.Value.lpszA);
                break;
            case PT_UNICODE:
                hr = CopyString(value.wide, props, prop.Value.lpszW);
                break;
            }
            if (FAILED(hr)) {
                MAPIFreeBuffer(props);
                return hr;
            }
        }
        row.cValues = static_cast<ULONG>(m_columns.size());
        row.lpProps = props;
        return S_OK;
    }

    template <class Char> static HRESULT CopyString(const Char* text, void* owner, Char*& copy) {
        size_t length = 0;
        while (text[length])
            ++length;
        void* buffer = nullptr;
        HRESULT hr =
            MAPIAllocateMore(static_cast<ULONG>((length + 1) * sizeof(Char)), owner, &buffer);
        if (FAILED(hr))
            return hr;
        std::memcpy(buffer, text, (length + 1) * sizeof(Char));
        copy = static_cast<Char*>(buffer);
        return S_OK;
    }

    static void FreeRowSet(LPSRowSet set) {
        for (ULONG i = 0; i < set->cRows; ++i)
            MAPIFreeBuffer(set->aRow[i].lpProps);
        MAPIFreeBuffer(set);
    }

    const std::vector<ProfileRow> m_rows;
    std::vector<ULONG> m_columns;
    const std::vector<ULONG> m_allColumns;
    std::vector<size_t> m_view; // indexes into m_rows of the rows the restriction lets through
    size_t m_cursor = 0;        // position in m_view; m_view.size() is the end
    std::map<BOOKMARK, size_t> m_bookmarks;
    BOOKMARK m_nextBookmark = BOOKMARK_END + 1;
};

} // namespace

HRESULT CreateProfileTable(const std::vector<ProfileEntry>& profiles, bool unicode,
                           IMAPITable** table) {
    *table = nullptr;
    try {
        std::vector<ProfileRow> rows;
        rows.reserve(profiles.size());
        for (const ProfileEntry& entry : profiles)
            rows.push_back(MakeProfileRow(entry));
        *table = new ProfileTable(std::move(rows), unicode);
    } catch (const std::bad_alloc&) {
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    return S_OK;
}

} // namespace sw::simmapi
