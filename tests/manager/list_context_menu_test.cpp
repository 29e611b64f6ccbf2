// The context menu of the Blocked Senders and History lists: what it offers
// for a selection, and the menu itself opened from the keyboard at the
// focused row and answered by a mnemonic.
#include "manager/list_context_menu.h"
#include "manager/resource.h"
#include "tests/harness/message_recorder.h"
#include "tests/manager/scratch_history.h"
#include "tests/manager/sheet_driver.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <cwctype>
#include <set>

namespace sw::test {
namespace {

using Rows = std::vector<std::wstring>;
using ::testing::IsEmpty;

// "id:enabled" for each item, "-" for a separator.
Rows Items(const std::vector<MenuCommand>& menu) {
    Rows items;
    for (const MenuCommand& item : menu)
        items.push_back(
            item.id == 0 ? L"-" : std::to_wstring(item.id) + (item.enabled ? L":on" : L":off"));
    return items;
}

// The items of `menu` without exactly one mnemonic, or whose mnemonic
// another item has.
Rows MnemonicFaults(const std::vector<MenuCommand>& menu) {
    Rows faults;
    std::set<wchar_t> taken;
    for (const MenuCommand& item : menu) {
        if (item.id == 0)
            continue;
        const size_t amp = item.text.find(L'&');
        if (amp == std::wstring::npos || amp + 1 >= item.text.size() ||
            item.text.find(L'&', amp + 1) != std::wstring::npos)
            faults.push_back(item.text + L": not one mnemonic");
        else if (!taken.insert(static_cast<wchar_t>(std::towlower(item.text[amp + 1]))).second)
            faults.push_back(item.text + L": mnemonic taken");
    }
    return faults;
}

TEST(ListContextMenu, OffersThePagesCommandsEnabledForTheSelection) {
    const std::wstring edit = std::to_wstring(IDC_EDIT), remove = std::to_wstring(IDC_REMOVE),
                       convert = std::to_wstring(IDC_CONVERT_TO_DOMAIN);
    const Rows always = {L"-", std::to_wstring(IDC_TIDY) + L":on",
                         std::to_wstring(IDC_IMPORT) + L":on",
                         std::to_wstring(IDC_EXPORT) + L":on"};
    const auto blocked = [&](const wchar_t* e, const wchar_t* r) {
        Rows items = {edit + e, remove + r, convert + r};
        items.insert(items.end(), always.begin(), always.end());
        return items;
    };
    const struct {
        std::vector<MenuCommand> menu;
        Rows items;
    } cases[] = {
        {BlockedSendersMenu(0), blocked(L":off", L":off")},
        {BlockedSendersMenu(1), blocked(L":on", L":on")},
        {BlockedSendersMenu(3), blocked(L":on", L":on")},
        {HistoryMenu(false, false),
         {std::to_wstring(IDC_UNBLOCK) + L":off", std::to_wstring(IDC_UNBLOCK_RESTORE) + L":off"}},
        {HistoryMenu(true, false),
         {std::to_wstring(IDC_UNBLOCK) + L":on", std::to_wstring(IDC_UNBLOCK_RESTORE) + L":off"}},
        {HistoryMenu(false, true),
         {std::to_wstring(IDC_UNBLOCK) + L":off", std::to_wstring(IDC_UNBLOCK_RESTORE) + L":on"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Items(c.menu), c.items);
        EXPECT_THAT(MnemonicFaults(c.menu), IsEmpty());
    }
}

// A popup menu shown on the sheet's thread.
HWND WaitForPopupMenu() {
    HWND menu = nullptr;
    SheetDriver::WaitFor([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Focuses and selects `row` of `list`, opens its context menu as the
// keyboard does and answers whether it appeared at the row; then picks the item
// with `mnemonic`.
bool OpenMenuAtRowAndPick(HWND list, int row, wchar_t mnemonic) {
    LVITEMW state = {};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
    // What Shift+F10 and the Menu key send once the list leaves them to
    // DefWindowProc (Wine's makes nothing of a posted key).
    PostMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    const HWND menu = WaitForPopupMenu();
    if (!menu)
        return false;
    RECT item = {};
    item.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
    RECT shown = {};
    GetWindowRect(menu, &shown);
    const bool atRow = shown.top >= item.top && shown.top <= item.bottom + 2 &&
                       shown.left >= item.left && shown.left < item.right;
    PostMessageW(menu, WM_CHAR, mnemonic, 1);
    SheetDriver::WaitFor([&] { return !IsWindowVisible(menu); });
    return atRow;
}

class ListContextMenuTest : public ScratchHistoryTest {
protected:
    ListContextMenuTest() : ScratchHistoryTest(L"list-context-menu") {}
};

TEST_F(ListContextMenuTest, AKeyboardContextMenuOpensAtTheFocusedRowOnBothLists) {
    StoreList(L"a@x.com;b@x.com;c@x.com;d@x.com;");
    HistoryAction run;
    run.command = L"Block Senders";
    run.entries = {L"d@x.com"};
    run.time = {2024, 5, 0, 1, 9, 0, 0, 0};
    ASSERT_TRUE(RecordHistoryAction(run));
    MessageRecorder messages;
    bool blockedAtRow = false, historyAtRow = false;
    Rows afterRemove, afterUnblock;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND blocked = GetDlgItem(sheet.ShowPage(1), IDC_ENTRIES);
        blockedAtRow = OpenMenuAtRowAndPick(blocked, 2, L'r');
        SheetDriver::WaitFor([&] { return SheetDriver::RowCount(blocked) == 3; });
        afterRemove = SheetDriver::Rows(blocked);

        const HWND history = GetDlgItem(sheet.ShowPage(2), IDC_HISTORY_LIST);
        historyAtRow = OpenMenuAtRowAndPick(history, 0, L'u');
        afterUnblock = SheetDriver::Rows(GetDlgItem(sheet.ShowPage(1), IDC_ENTRIES));
        sheet.PressOk();
    });
    EXPECT_TRUE(blockedAtRow) << "the Blocked Senders menu opened away from the focused row";
    EXPECT_TRUE(historyAtRow) << "the History menu opened away from the focused row";
    EXPECT_EQ(afterRemove, (Rows{L"a@x.com", L"b@x.com", L"d@x.com"}));
    EXPECT_EQ(afterUnblock, (Rows{L"a@x.com", L"b@x.com"}));
    EXPECT_EQ(StoredList(), L"a@x.com;b@x.com;");
    EXPECT_THAT(messages.texts(),
                ::testing::ElementsAre(L"1 entry removed from the Blocked Senders list."));
}

} // namespace
} // namespace sw::test
