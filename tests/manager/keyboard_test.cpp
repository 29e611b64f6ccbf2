// The sheet by keyboard: Tab reaches every tab stop from every page, Enter
// in a list or box acts there and never presses OK, and a removal leaves the
// keyboard on the row that took the removed one's place.
#include "manager/resource.h"
#include "store/settings.h"
#include "tests/manager/manager_fixture.h"
#include "tests/manager/scratch_history.h"
#include "tests/manager/sample_data.h"
#include "tests/manager/sheet_driver.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

namespace sw::test {
namespace {

using ::testing::IsEmpty;
using Rows = std::vector<std::wstring>;

const wchar_t* const kPageNames[] = {L"Options", L"Blocked Senders", L"History"};

std::wstring Where(int page, int control) {
    return std::wstring(kPageNames[page]) + L" page, control " + std::to_wstring(control);
}
std::wstring Where(int page, HWND control) {
    return Where(page, GetDlgCtrlID(control));
}

// Moves the keyboard focus as the dialog manager would, and waits for it.
bool FocusOn(SheetDriver& sheet, HWND control) {
    PostMessageW(sheet.sheet(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return SheetDriver::WaitFor([&] { return sheet.Focus() == control; });
}

// The sheet's own tab stops and those of `page` that a keyboard can reach.
std::set<HWND> TabStops(const SheetDriver& sheet, HWND page) {
    std::set<HWND> stops = {
        GetDlgItem(sheet.sheet(), IDOK), GetDlgItem(sheet.sheet(), IDCANCEL),
        reinterpret_cast<HWND>(SendMessageW(sheet.sheet(), PSM_GETTABCONTROL, 0, 0))};
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(child) &&
            IsWindowEnabled(child))
            stops.insert(child);
    }
    return stops;
}

// The selected rows and the focused one of a list view.
struct ListPlace {
    std::vector<int> selected;
    int focused = -1;
    bool operator==(const ListPlace&) const = default;
};

ListPlace PlaceIn(HWND listView) {
    ListPlace place;
    for (int row = -1; (row = ListView_GetNextItem(listView, row, LVNI_SELECTED)) >= 0;)
        place.selected.push_back(row);
    place.focused = ListView_GetNextItem(listView, -1, LVNI_FOCUSED);
    return place;
}

class KeyboardTest : public ScratchHistoryTest {
protected:
    KeyboardTest() : ScratchHistoryTest(L"keyboard") {}
};

TEST_F(KeyboardTest, TabReachesEveryTabStopOfTheSheetFromEveryPage) {
    StoreList(kSampleList);
    RecordSampleHistory();
    Rows wrong;
    RunOptionsSheet([&](SheetDriver& sheet) {
        for (int index = 0; index < 3; ++index) {
            // As each page opens: on History nothing is selected, and only
            // the list and the entries box take the focus.
            const HWND page = sheet.ShowPage(index);
            const std::set<HWND> stops = TabStops(sheet, page);
            HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
            if (!FocusOn(sheet, first)) {
                wrong.push_back(Where(index, first) + L": takes no focus");
                continue;
            }
            std::set<HWND> reached = {first};
            for (size_t step = 0; step < 2 * stops.size(); ++step) {
                const HWND from = sheet.Focus();
                SheetDriver::PostKey(from, VK_TAB);
                if (!SheetDriver::WaitFor([&] { return sheet.Focus() != from; })) {
                    wrong.push_back(Where(index, from) + L": Tab stays there");
                    break;
                }
                reached.insert(sheet.Focus());
            }
            for (HWND stop : stops) {
                if (!reached.count(stop))
                    wrong.push_back(Where(index, stop) + L": Tab never reaches it");
            }
        }
        sheet.PressCancel();
    });
    EXPECT_THAT(wrong, IsEmpty());
}

TEST_F(KeyboardTest, EnterInAListOrBoxActsThereAndNeverPressesOk) {
    StoreList(L"a@x.com;b@x.com;c@y.com;");
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@a.example;@b.example");
    RecordSampleHistory();
    struct Case {
        int page;
        int control;
        int focusAfter; // the control that has the focus after Enter
    };
    // Enter in the Blocked Senders list edits the entry (its own test).
    const Case cases[] = {
        {0, IDC_SAFE_DOMAINS, IDC_SAFE_DOMAINS},
        {1, IDC_SEARCH, IDC_ENTRIES}, // to the first row the search left
        {2, IDC_HISTORY_LIST, IDC_HISTORY_LIST},
        {2, IDC_HISTORY_ENTRIES, IDC_HISTORY_ENTRIES},
    };
    Rows wrong;
    ListPlace afterSearch;
    RunOptionsSheet([&](SheetDriver& sheet) {
        for (const Case& c : cases) {
            const HWND page = sheet.ShowPage(c.page);
            const HWND control = GetDlgItem(page, c.control);
            if (c.control == IDC_SEARCH)
                SheetDriver::SetText(page, IDC_SEARCH, L"x.com");
            if (c.control == IDC_SAFE_DOMAINS)
                SheetDriver::SelectListBoxRow(control, 1);
            if (!FocusOn(sheet, control)) {
                wrong.push_back(Where(c.page, control) + L": takes no focus");
                continue;
            }
            SheetDriver::PostKey(control, VK_RETURN);
            const HWND expected = GetDlgItem(page, c.focusAfter);
            SheetDriver::WaitFor([&] { return sheet.Focus() == expected; });
            Sleep(200); // time for an OK to close the sheet
            if (!IsWindow(sheet.sheet())) {
                wrong.push_back(Where(c.page, c.control) + L": Enter pressed OK");
                return;
            }
            if (sheet.Focus() != expected)
                wrong.push_back(Where(c.page, control) + L": Enter left the focus on " +
                                std::to_wstring(GetDlgCtrlID(sheet.Focus())));
            if (c.control == IDC_SEARCH)
                afterSearch = PlaceIn(expected);
        }
        sheet.PressCancel();
    });
    EXPECT_THAT(wrong, IsEmpty());
    EXPECT_EQ(afterSearch, (ListPlace{{0}, 0})) << "the first row the search left";
    EXPECT_EQ(StoredList(), L"a@x.com;b@x.com;c@y.com;") << "nothing was saved";
}

TEST_F(KeyboardTest, RemoveLeavesTheKeyboardOnTheRowThatTookTheRemovedOnesPlace) {
    StoreList(L"a@x.com;b@x.com;c@x.com;d@x.com;e@x.com;f@x.com;");
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@a.example;@b.example;@c.example");
    enum class Way { DeleteKey, AltR, Button };
    struct Case {
        Way way;
        std::vector<int> select;
        Rows rowsAfter;
        ListPlace placeAfter;
    };
    // In turn on one list: a row in the middle, the last two, the first.
    const Case cases[] = {
        {Way::DeleteKey,
         {1},
         {L"a@x.com", L"c@x.com", L"d@x.com", L"e@x.com", L"f@x.com"},
         {{1}, 1}},
        {Way::AltR, {3, 4}, {L"a@x.com", L"c@x.com", L"d@x.com"}, {{2}, 2}},
        {Way::Button, {0}, {L"c@x.com", L"d@x.com"}, {{0}, 0}},
    };
    Rows wrong;
    std::vector<LRESULT> domainRows;
    ListPlace afterDown;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.ShowPage(1);
        const HWND list = GetDlgItem(page, IDC_ENTRIES);
        for (const Case& c : cases) {
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            for (int row : c.select)
                ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
            FocusOn(sheet, list);
            if (c.way == Way::DeleteKey)
                SheetDriver::PostKey(list, VK_DELETE);
            else if (c.way == Way::AltR)
                PostMessageW(list, WM_SYSCHAR, 'r', 0x20000001); // Alt held
            else
                SheetDriver::Click(page, IDC_REMOVE);
            const size_t count = c.rowsAfter.size();
            SheetDriver::WaitFor(
                [&] { return static_cast<size_t>(SheetDriver::RowCount(list)) == count; });
            const ListPlace place = PlaceIn(list);
            const std::wstring where = L"Remove of row " + std::to_wstring(c.select.front());
            if (SheetDriver::Rows(list) != c.rowsAfter)
                wrong.push_back(where + L": wrong rows left");
            if (place != c.placeAfter)
                wrong.push_back(where + L": selected " + std::to_wstring(place.selected.size()) +
                                L" rows, focused row " + std::to_wstring(place.focused));
        }
        // Down goes on from the row in place, not from the top.
        FocusOn(sheet, list);
        SheetDriver::PostKey(list, VK_DOWN);
        SheetDriver::WaitFor([&] { return PlaceIn(list).focused == 1; });
        afterDown = PlaceIn(list);

        // The Options page's Remove: the middle row, then the last.
        const HWND options = sheet.ShowPage(0);
        const HWND domains = GetDlgItem(options, IDC_SAFE_DOMAINS);
        for (int row : {1, 1}) {
            SheetDriver::SelectListBoxRow(domains, row);
            SheetDriver::Click(options, IDC_REMOVE);
            domainRows.push_back(SendMessageW(domains, LB_GETCURSEL, 0, 0));
        }
        sheet.PressCancel();
    });
    EXPECT_THAT(wrong, IsEmpty());
    EXPECT_EQ(afterDown, (ListPlace{{1}, 1}));
    EXPECT_EQ(domainRows, (std::vector<LRESULT>{1, 0})) << "the next domain, then the last";
}

} // namespace
} // namespace sw::test
