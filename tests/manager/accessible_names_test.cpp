// Every control a keyboard user can reach, on every page and dialog of the
// Options sheet and in the progress window, has the name a screen reader
// finds for it: its own text, or the label right before it.
#include "manager/resource.h"
#include "platform/command_progress.h"
#include "tests/manager/sample_data.h"
#include "tests/manager/scratch_history.h"
#include "tests/manager/sheet_driver.h"

#include <gmock/gmock.h>

#include <oleacc.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sw::test {
namespace {

using ::testing::IsEmpty;
using Rows = std::vector<std::wstring>;

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

bool IsClass(HWND window, const wchar_t* name) {
    return _wcsicmp(ClassOf(window).c_str(), name) == 0;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A label's text as a screen reader speaks it: without the mnemonic's
// ampersand and the closing colon.
std::wstring Spoken(std::wstring text) {
    if (const size_t amp = text.find(L'&'); amp != std::wstring::npos)
        text.erase(amp, 1);
    while (!text.empty() && (text.back() == L':' || text.back() == L' '))
        text.pop_back();
    return text;
}

// What oleacc's standard client object answers for `control`'s name; empty
// when it answers nothing (Wine's often does not). Windows names an edit by
// its label; Wine's oleacc answers an edit's content, a value rather than a
// name, so that answer is not taken.
std::wstring OleaccName(HWND control) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&accessible))) ||
        !accessible)
        return {};
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring answer;
    if (accessible->get_accName(self, &name) == S_OK && name)
        answer.assign(name, SysStringLen(name));
    SysFreeString(name);
    accessible->Release();
    if (IsClass(control, L"Edit") && answer == TextOf(control))
        return {};
    return answer;
}

// The rule oleacc applies where the control has no text of its own: buttons
// and check boxes are named by their text, every other control by the
// nearest visible static before it in z-order.
std::wstring LabelRuleName(HWND control) {
    if (IsClass(control, L"Button"))
        return TextOf(control);
    for (HWND before = GetWindow(control, GW_HWNDPREV); before;
         before = GetWindow(before, GW_HWNDPREV)) {
        if (IsWindowVisible(before) && IsClass(before, L"Static"))
            return TextOf(before);
    }
    return {};
}

std::wstring AccessibleName(HWND control) {
    std::wstring name = OleaccName(control);
    return Spoken(name.empty() ? LabelRuleName(control) : name);
}

// The names every reachable control of a window must have, by control id.
using ExpectedNames = std::map<int, std::wstring>;

// "window, control id: what is wrong" for each visible, enabled tab stop of
// `window` whose name is missing or is not the expected one, and for each
// expected control that could not be reached.
Rows WrongNames(HWND window, const std::wstring& where, const ExpectedNames& expected) {
    Rows wrong;
    ExpectedNames unseen = expected;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (!(style & WS_TABSTOP) || !IsWindowVisible(child) || !IsWindowEnabled(child))
            continue;
        const int id = GetDlgCtrlID(child);
        const std::wstring name = AccessibleName(child);
        const auto want = expected.find(id);
        const std::wstring place = where + L", control " + std::to_wstring(id) + L": ";
        if (name.empty())
            wrong.push_back(place + L"no name");
        else if (want == expected.end())
            wrong.push_back(place + L"named \"" + name + L"\", which the table does not know");
        else if (name != want->second)
            wrong.push_back(place + L"named \"" + name + L"\", not \"" + want->second + L"\"");
        unseen.erase(id);
    }
    for (const auto& [id, name] : unseen)
        wrong.push_back(where + L", control " + std::to_wstring(id) + L" (\"" + name +
                        L"\"): not reachable");
    return wrong;
}

class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT m_result;
};

class NoRestore : public MessageRestorer {
public:
    RestoreReport Restore(const std::vector<HistoryAction>&) noexcept override { return {}; }
};

class AccessibleNamesTest : public ScratchHistoryTest {
protected:
    AccessibleNamesTest() : ScratchHistoryTest(L"accessible-names") {}
};

TEST_F(AccessibleNamesTest, EveryControlAKeyboardReachesHasItsName) {
    StoreList(std::wstring(kSampleList) + kUntidyEntries);
    RecordSampleHistory();
    const std::map<std::wstring, ExpectedNames> names = {
        {L"Options page",
         {{IDC_HAS_SAFE_DOMAINS, L"Don't block the following domains"},
          {IDC_SAFE_DOMAINS, L"Safe domains"},
          {IDC_ADD, L"Add"},
          {IDC_REMOVE, L"Remove"},
          {IDC_MOVE_EARLIER, L"Also move earlier messages from blocked senders to Junk E-mail"},
          {IDC_MOVE_NEW_MAIL, L"Move new mail from senders I block to Junk E-mail right away"}}},
        {L"Blocked Senders page",
         {{IDC_SEARCH, L"Search"},
          {IDC_ENTRIES, L"Blocked senders"},
          {IDC_REMOVE, L"Remove"},
          {IDC_EDIT, L"Edit"},
          {IDC_CONVERT_TO_DOMAIN, L"Convert to Domain"},
          {IDC_TIDY, L"Tidy..."},
          {IDC_IMPORT, L"Import..."},
          {IDC_EXPORT, L"Export..."}}},
        {L"History page",
         {{IDC_HISTORY_LIST, L"Past runs"},
          {IDC_HISTORY_ENTRIES, L"Entries of the selected runs"},
          {IDC_UNBLOCK, L"Unblock"},
          {IDC_UNBLOCK_RESTORE, L"Unblock and Restore"}}},
        {L"Tidy dialog",
         {{IDC_TIDY_DUPLICATES, L"Remove copies that differ only in letter case"},
          {IDC_TIDY_DUPLICATES_LIST, L"Copies to remove"},
          {IDC_TIDY_COVERED, L"Remove addresses that a blocked domain already covers"},
          {IDC_TIDY_COVERED_LIST, L"Addresses to remove"},
          {IDC_TIDY_FOLD, L"Block the whole domain where many of its addresses are listed"},
          {IDC_TIDY_THRESHOLD, L"Least listed addresses per domain"},
          {IDC_TIDY_FOLD_LIST, L"Domains to block"},
          {IDOK, L"OK"},
          {IDCANCEL, L"Cancel"}}},
        {L"Email Address dialog",
         {{IDC_EMAIL_ADDRESS, L"Email Address"}, {IDOK, L"OK"}, {IDCANCEL, L"Cancel"}}},
        {L"Domain dialog",
         {{IDC_EMAIL_ADDRESS, L"Domain, with its @"}, {IDOK, L"OK"}, {IDCANCEL, L"Cancel"}}},
        {L"progress window", {{kProgressCancelId, L"Cancel"}}},
    };
    Rows wrong;
    const auto check = [&](HWND window, const wchar_t* where) {
        if (!window) {
            wrong.push_back(std::wstring(where) + L": did not open");
            return;
        }
        const Rows more = WrongNames(window, where, names.at(where));
        wrong.insert(wrong.end(), more.begin(), more.end());
    };
    // Each dialog is read while it is open, from the driving thread.
    const auto checkDialog = [&](const SheetDriver& sheet, HWND page, int button,
                                 const wchar_t* title, const wchar_t* where) {
        SheetDriver::PostClick(page, button);
        const HWND dialog = sheet.WaitForWindow(title);
        check(dialog, where);
        if (dialog) {
            SheetDriver::Click(dialog, IDCANCEL);
            SheetDriver::WaitUntilGone(dialog);
        }
    };
    NoRestore restorer;
    RunOptionsSheet(
        [&](SheetDriver& sheet) {
            const ComApartment com;
            const HWND options = sheet.ShowPage(0);
            check(options, L"Options page");
            checkDialog(sheet, options, IDC_ADD, L"Domain", L"Domain dialog");

            const HWND blocked = sheet.ShowPage(1);
            SheetDriver::SelectRows(GetDlgItem(blocked, IDC_ENTRIES), {0});
            check(blocked, L"Blocked Senders page");
            checkDialog(sheet, blocked, IDC_EDIT, L"Email Address", L"Email Address dialog");
            checkDialog(sheet, blocked, IDC_TIDY, L"Tidy the Blocked Senders List", L"Tidy dialog");

            const HWND history = sheet.ShowPage(2);
            SheetDriver::SelectRows(GetDlgItem(history, IDC_HISTORY_LIST), {0});
            check(history, L"History page");
            sheet.PressCancel();
        },
        &restorer);
    {
        const ComApartment com;
        const std::unique_ptr<CommandProgress> progress =
            ShowCommandProgress(L"Block Senders", 100, 0);
        check(progress ? FindWindowW(L"SpamwardenProgress", L"Block Senders") : nullptr,
              L"progress window");
    }
    EXPECT_THAT(wrong, IsEmpty());
}

} // namespace
} // namespace sw::test
