// The Options page driven through its controls, checked in the registry.
#include "manager/resource.h"
#include "manager/safe_domains.h"
#include "store/settings.h"
#include "tests/harness/machine_registry_sandbox.h"
#include "tests/harness/message_recorder.h"
#include "tests/manager/manager_fixture.h"
#include "tests/manager/sheet_driver.h"

#include <commctrl.h>

#include <algorithm>

namespace sw::test {
namespace {

using Rows = std::vector<std::wstring>;

class OptionsPageTest : public ManagerTest {
protected:
    static HWND ListBox(HWND page) { return GetDlgItem(page, IDC_SAFE_DOMAINS); }

    static std::optional<DWORD> StoredDword(const wchar_t* name) {
        auto value = RegistrySandbox::GetValue(kSettingsPath, name);
        if (!value || value->type != REG_DWORD || value->data.size() != 4)
            return std::nullopt;
        return *reinterpret_cast<const DWORD*>(value->data.data());
    }
    static std::optional<std::wstring> StoredText(const wchar_t* name) {
        auto value = RegistrySandbox::GetValue(kSettingsPath, name);
        if (!value || value->type != REG_SZ)
            return std::nullopt;
        return RegistrySandbox::GetText(kSettingsPath, name);
    }
};

TEST_F(OptionsPageTest, SheetHasTwoTabsOkAndCancelButNoApply) {
    std::wstring title, tabs[2];
    bool apply = true;
    RunOptionsSheet([&](SheetDriver& sheet) {
        wchar_t text[64] = {};
        GetWindowTextW(sheet.sheet(), text, ARRAYSIZE(text));
        title = text;
        const auto tabControl =
            reinterpret_cast<HWND>(SendMessageW(sheet.sheet(), PSM_GETTABCONTROL, 0, 0));
        for (int i = 0; i < 2; ++i) {
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = ARRAYSIZE(text);
            SendMessageW(tabControl, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            tabs[i] = text;
        }
        const HWND applyButton = GetDlgItem(sheet.sheet(), 0x3021);
        apply = applyButton && IsWindowVisible(applyButton) && IsWindowEnabled(applyButton);
        sheet.PressCancel();
    });
    EXPECT_EQ(title, L"Options");
    EXPECT_EQ(tabs[0], L"Options");
    EXPECT_EQ(tabs[1], L"Blocked Senders");
    EXPECT_FALSE(apply);
}

TEST_F(OptionsPageTest, WithNothingStoredShowsTheDefaultsAndOkStoresThemSorted) {
    Rows rows;
    bool synVisible = true, synChecked = false, safeChecked = false, earlierChecked = true;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.PageWindow(0);
        rows = SheetDriver::ListBoxRows(ListBox(page));
        synVisible = IsWindowVisible(GetDlgItem(page, IDC_SYN_LISTS));
        synChecked = SheetDriver::IsChecked(page, IDC_SYN_LISTS);
        safeChecked = SheetDriver::IsChecked(page, IDC_HAS_SAFE_DOMAINS);
        earlierChecked = SheetDriver::IsChecked(page, IDC_MOVE_EARLIER);
        sheet.PressOk();
    });
    Rows builtIn = SafeDomainRows(BuiltInSafeDomains());
    EXPECT_EQ(rows.size(), builtIn.size());
    EXPECT_TRUE(std::is_permutation(rows.begin(), rows.end(), builtIn.begin(), builtIn.end()));
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    }));
    EXPECT_FALSE(synVisible);
    EXPECT_TRUE(synChecked);
    EXPECT_TRUE(safeChecked);
    EXPECT_FALSE(earlierChecked) << "earlier messages stay where they are by default";

    EXPECT_EQ(StoredDword(kSynListsValue), 1u);
    EXPECT_EQ(StoredDword(kHasSafeDomainsValue), 1u);
    EXPECT_EQ(StoredDword(kMoveEarlierValue), 0u);
    EXPECT_EQ(StoredText(kSafeDomainsValue), BuildSafeDomains(rows));
    EXPECT_EQ(g_settings.safeDomains, BuildSafeDomains(rows));
}

TEST_F(OptionsPageTest, EditsTheStoredSettingsAndOkStoresThem) {
    RegistrySandbox::SetDword(kSettingsPath, kSynListsValue, 0);
    RegistrySandbox::SetDword(kSettingsPath, kHasSafeDomainsValue, 0);
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue,
                             L"@b.example;@a.example; @c.example ;@a.example");
    MessageRecorder messages;
    Rows opened, added;
    bool safeChecked = true;
    std::wstring offered;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.PageWindow(0);
        opened = SheetDriver::ListBoxRows(ListBox(page));
        safeChecked = SheetDriver::IsChecked(page, IDC_HAS_SAFE_DOMAINS);

        const std::wstring prefix = L"@A.EX"; // the beginning of "@a.example": refused
        SheetDriver::PostClick(page, IDC_ADD);
        offered = sheet.AnswerDomainDialog(&prefix);
        const std::wstring longer = L"@a.example.org"; // begins with an entry: added
        SheetDriver::PostClick(page, IDC_ADD);
        sheet.AnswerDomainDialog(&longer);
        const std::wstring blank = L"   "; // added, never stored
        SheetDriver::PostClick(page, IDC_ADD);
        sheet.AnswerDomainDialog(&blank);
        added = SheetDriver::ListBoxRows(ListBox(page));

        SheetDriver::Click(page, IDC_REMOVE); // nothing selected
        const auto row = std::find(added.begin(), added.end(), L"@b.example") - added.begin();
        SheetDriver::SelectListBoxRow(ListBox(page), static_cast<int>(row));
        SheetDriver::Click(page, IDC_REMOVE);
        SheetDriver::Click(page, IDC_HAS_SAFE_DOMAINS);
        SheetDriver::Click(page, IDC_MOVE_EARLIER);
        sheet.PressOk();
    });
    EXPECT_FALSE(safeChecked);
    EXPECT_EQ(offered, L"") << "Add opens with an empty field";
    EXPECT_EQ(opened.size(), 4u) << "the stored duplicate is shown twice";
    EXPECT_EQ(added.size(), 6u);
    EXPECT_EQ(messages.texts(), std::vector<std::wstring>{L"Please select a domain first."});
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Information);

    EXPECT_EQ(StoredDword(kSynListsValue), 0u) << "the hidden check box passes its value on";
    EXPECT_EQ(StoredDword(kHasSafeDomainsValue), 1u);
    // " @c.example " sorts first by its space, and is stored trimmed.
    EXPECT_EQ(StoredText(kSafeDomainsValue), L"@c.example;@a.example;@a.example;@a.example.org");
    EXPECT_EQ(StoredDword(kMoveEarlierValue), 1u);
    EXPECT_FALSE(g_settings.synLists);
    EXPECT_TRUE(g_settings.hasSafeDomains);
    EXPECT_TRUE(g_settings.moveEarlier);
}

TEST_F(OptionsPageTest, CancelStoresNothingAndLeavesTheSettingsInForce) {
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@a.example");
    bool shownAgain = true;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.PageWindow(0);
        SheetDriver::Click(page, IDC_HAS_SAFE_DOMAINS);
        SheetDriver::SelectListBoxRow(ListBox(page), 0);
        SheetDriver::Click(page, IDC_REMOVE);
        sheet.ShowPage(1);
        sheet.ShowPage(0);
        shownAgain = SheetDriver::IsChecked(page, IDC_HAS_SAFE_DOMAINS);
        sheet.PressCancel();
    });
    EXPECT_FALSE(shownAgain);
    EXPECT_TRUE(g_settings.hasSafeDomains) << "the left page's flags were the sheet's copy";
    EXPECT_EQ(g_settings.safeDomains, L"@a.example");
    EXPECT_FALSE(StoredDword(kHasSafeDomainsValue).has_value());
    EXPECT_EQ(StoredText(kSafeDomainsValue), L"@a.example");
}

TEST_F(OptionsPageTest, AnEmptiedListIsStoredEmptyAndStaysEmpty) {
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@a.example");
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.PageWindow(0);
        SheetDriver::SelectListBoxRow(ListBox(page), 0);
        SheetDriver::Click(page, IDC_REMOVE);
        sheet.PressOk();
    });
    EXPECT_EQ(StoredText(kSafeDomainsValue), L"");

    Rows reopened{L"not read"};
    RunOptionsSheet([&](SheetDriver& sheet) {
        reopened = SheetDriver::ListBoxRows(ListBox(sheet.PageWindow(0)));
        const std::wstring empty;
        SheetDriver::PostClick(sheet.PageWindow(0), IDC_ADD); // an empty list takes anything
        sheet.AnswerDomainDialog(&empty);
        EXPECT_EQ(SheetDriver::ListBoxRows(ListBox(sheet.PageWindow(0))), Rows{L""});
        sheet.PressOk();
    });
    EXPECT_TRUE(reopened.empty());
    EXPECT_EQ(StoredText(kSafeDomainsValue), L"");
}

TEST_F(OptionsPageTest, WhatPolicySetsIsShownDisabledAndNeverStoredAsTheUsers) {
    MachineRegistrySandbox machine;
    constexpr wchar_t kPolicy[] = L"Software\\Policies\\Tallpine\\Spamwarden";
    MachineRegistrySandbox::SetText(kPolicy, kSafeDomainsValue, L"@corp.example");
    const DWORD on = 1;
    MachineRegistrySandbox::SetValue(kPolicy, kMoveEarlierValue, REG_DWORD, &on, sizeof on);
    const DWORD off = 0;
    MachineRegistrySandbox::SetValue(kPolicy, kMoveNewMailValue, REG_DWORD, &off, sizeof off);
    RegistrySandbox::SetText(kSettingsPath, kSafeDomainsValue, L"@mine.example");
    RegistrySandbox::SetDword(kSettingsPath, kMoveEarlierValue, 0);
    RegistrySandbox::SetDword(kSettingsPath, kMoveNewMailValue, 1);

    Rows rows;
    bool listEnabled = true, addEnabled = true, earlierEnabled = true, earlierChecked = false,
         safeEnabled = false, safeNoteShown = true, newMailEnabled = true, newMailChecked = true,
         newMailNoteShown = false;
    std::wstring note;
    RunOptionsSheet([&](SheetDriver& sheet) {
        const HWND page = sheet.PageWindow(0);
        rows = SheetDriver::ListBoxRows(ListBox(page));
        listEnabled = IsWindowEnabled(ListBox(page));
        addEnabled = IsWindowEnabled(GetDlgItem(page, IDC_ADD));
        earlierEnabled = IsWindowEnabled(GetDlgItem(page, IDC_MOVE_EARLIER));
        earlierChecked = SheetDriver::IsChecked(page, IDC_MOVE_EARLIER);
        safeEnabled = IsWindowEnabled(GetDlgItem(page, IDC_HAS_SAFE_DOMAINS));
        safeNoteShown = IsWindowVisible(GetDlgItem(page, IDC_HAS_SAFE_DOMAINS_POLICY));
        newMailEnabled = IsWindowEnabled(GetDlgItem(page, IDC_MOVE_NEW_MAIL));
        newMailChecked = SheetDriver::IsChecked(page, IDC_MOVE_NEW_MAIL);
        newMailNoteShown = IsWindowVisible(GetDlgItem(page, IDC_MOVE_NEW_MAIL_POLICY));
        if (IsWindowVisible(GetDlgItem(page, IDC_MOVE_EARLIER_POLICY)) &&
            IsWindowVisible(GetDlgItem(page, IDC_SAFE_DOMAINS_POLICY))) {
            wchar_t text[64] = {};
            GetDlgItemTextW(page, IDC_MOVE_EARLIER_POLICY, text, 64);
            note = text;
        }
        SheetDriver::Click(page, IDC_HAS_SAFE_DOMAINS); // not set by policy: the user's
        sheet.PressOk();
    });
    EXPECT_EQ(rows, Rows{L"@corp.example"});
    EXPECT_FALSE(listEnabled);
    EXPECT_FALSE(addEnabled);
    EXPECT_FALSE(earlierEnabled);
    EXPECT_TRUE(earlierChecked);
    EXPECT_TRUE(safeEnabled);
    EXPECT_FALSE(safeNoteShown);
    EXPECT_FALSE(newMailEnabled);
    EXPECT_FALSE(newMailChecked);
    EXPECT_TRUE(newMailNoteShown);
    EXPECT_EQ(note, L"Set by your administrator.");

    EXPECT_EQ(StoredText(kSafeDomainsValue), L"@mine.example") << "the user's own list stays";
    EXPECT_EQ(StoredDword(kMoveEarlierValue), 0u);
    EXPECT_EQ(StoredDword(kHasSafeDomainsValue), 0u);
    EXPECT_EQ(g_settings.safeDomains, L"@corp.example");
    EXPECT_TRUE(g_settings.moveEarlier);
    EXPECT_EQ(StoredDword(kMoveNewMailValue), 1u) << "the user's own choice stays";
    EXPECT_FALSE(g_settings.moveNewMail);
}

} // namespace
} // namespace sw::test
