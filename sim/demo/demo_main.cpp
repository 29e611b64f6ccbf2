// Runs Spamwarden in the simulated Outlook on a sample mailbox and tells
// what it did. The add-in must be registered (regsvr32) in the prefix.
#include "outlook/office_ids.h"
#include "platform/automation.h"
#include "platform/registry_key.h"
#include "sim/loader/addin_host.h"
#include "sim/outlook/command_bar_model.h"
#include "sim/outlook/outlook_session.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using sw::sim::Item;

constexpr wchar_t kProfile[] = L"Outlook";
constexpr wchar_t kProgId[] = L"Spamwarden.Connect";
constexpr wchar_t kListKey[] = L"0a0d020000000000c000000000000046";
constexpr wchar_t kAccounts[] = L"9375CFF0413111d3B88A00104B2A6676";

void Print(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    utf8 += '\n';
    fwrite(utf8.data(), 1, utf8.size(), stdout);
    fflush(stdout);
}

// Outlook 2013 and later keep the profiles under their own Office key, older
// versions under the Windows Messaging Subsystem.
std::wstring ProfilesRoot(int version) {
    if (version < 15)
        return L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
               L"Subsystem\\Profiles";
    return L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook\\Profiles";
}

void SetValue(const std::wstring& path, const wchar_t* name, DWORD type, const void* data,
              DWORD bytes) {
    sw::unique_hkey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                    nullptr);
    RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes);
}

void SetList(const std::wstring& path, const wchar_t* name, const std::wstring& list) {
    SetValue(path, name, REG_BINARY, list.c_str(), static_cast<DWORD>((list.size() + 1) * 2));
}

std::wstring GetList(const std::wstring& path, const wchar_t* name) {
    std::vector<wchar_t> buffer(65536);
    DWORD size = static_cast<DWORD>(buffer.size() * 2);
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY, nullptr, buffer.data(),
                     &size) != ERROR_SUCCESS)
        return L"(none)";
    return buffer.data();
}

// A mail profile as Outlook 2013 and later keep it, with two mail accounts.
void CreateProfile(int version) {
    const std::wstring root = ProfilesRoot(version);
    RegDeleteTreeW(HKEY_CURRENT_USER, (root + L"\\" + kProfile).c_str());
    const std::wstring profile = root + L"\\" + kProfile;
    SetValue(L"Software\\Microsoft\\Office\\" + std::to_wstring(version) + L".0\\Outlook",
             L"DefaultProfile", REG_SZ, kProfile, sizeof kProfile);
    DWORD outlookVersion = static_cast<DWORD>(version);
    SetValue(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion", REG_DWORD,
             &outlookVersion, sizeof outlookVersion);

    SetList(profile + L"\\" + kListKey, L"001f041a", L"old-spam@scam.example;");
    SetList(profile + L"\\" + kListKey, L"001f0418",
            L"boss@corp.example;@partner.example;lawyer@inheritance.example;");
    const struct {
        const wchar_t* entry;
        const wchar_t* email;
        BYTE uid[4];
    } accounts[] = {{L"00000002", L"me@corp.example", {0x1a, 0x2b, 0x3c, 0x4d}},
                    {L"00000003", L"me.private@outlook.com", {0x5e, 0x6f, 0x70, 0x81}}};
    for (const auto& account : accounts) {
        const std::wstring entry = profile + L"\\" + kAccounts + L"\\" + account.entry;
        const std::wstring email = account.email;
        SetValue(entry, L"Email", REG_BINARY, email.c_str(),
                 static_cast<DWORD>((email.size() + 1) * 2));
        SetValue(entry, L"Preferences UID", REG_BINARY, account.uid, sizeof account.uid);
        wchar_t name[9];
        swprintf(name, 9, L"%02x%02x%02x%02x", account.uid[0], account.uid[1], account.uid[2],
                 account.uid[3]);
        sw::unique_hkey key;
        RegCreateKeyExW(HKEY_CURRENT_USER, (profile + L"\\" + name).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, key.put(), nullptr);
    }
}

// A mail profile as Outlook 2007 and older keep it, with one mail account.
void CreateLegacyProfile(int version) {
    const std::wstring root = ProfilesRoot(version);
    const std::wstring profile = root + L"\\" + kProfile;
    RegDeleteTreeW(HKEY_CURRENT_USER, profile.c_str());
    SetValue(root, L"DefaultProfile", REG_SZ, kProfile, sizeof kProfile);
    DWORD outlookVersion = static_cast<DWORD>(version);
    SetValue(L"Software\\Spamwarden Simulation\\MAPI", L"OutlookVersion", REG_DWORD,
             &outlookVersion, sizeof outlookVersion);
    SetList(profile + L"\\" + kListKey, L"001f041a", L"old-spam@scam.example;");
    SetList(profile + L"\\" + kListKey, L"001f0418", L"boss@corp.example;");
}

void ShowList(int version, const wchar_t* title) {
    const std::wstring list =
        GetList(ProfilesRoot(version) + L"\\" + kProfile + L"\\" + kListKey, L"001f041a");
    Print(std::wstring(L"  ") + title);
    size_t start = 0;
    for (size_t end; (end = list.find(L';', start)) != std::wstring::npos; start = end + 1)
        Print(L"      " + list.substr(start, end - start));
    if (list.empty())
        Print(L"      (empty)");
}

void ShowFolder(sw::sim::Folder& folder) {
    Print(L"  " + folder.name() + L":");
    if (folder.items().empty())
        Print(L"      (empty)");
    for (Item* item : folder.items())
        Print(L"      " + item->senderAddress + L"  \u2014  " + item->subject);
}

void Press(sw::sim::AddinHost& outlook, const wchar_t* button, const wchar_t* label) {
    Print(std::wstring(L"> Pressing \u201C") + label + L"\u201D on the ribbon");
    HRESULT hr = outlook.Fire(kProgId, button);
    if (FAILED(hr))
        Print(L"  the callback failed: 0x" + std::to_wstring(static_cast<unsigned long>(hr)));
}

// Where `item` is now, as the user would look for it: the account named
// when it is not the work mailbox.
std::wstring WhereIs(sw::sim::Mailbox& box, const Item& item) {
    const sw::sim::Folder& folder = item.folder();
    std::wstring where = folder.defaultNumber() == sw::sim::default_folder::Junk
                             ? L"in Junk E-mail"
                             : L"in the " + folder.name();
    if (&folder.store() != &box.defaultStore())
        where += L" of " + folder.store().displayName();
    return where;
}

// New mail arrives from a sender blocked a moment ago and from a Safe
// Senders address at a domain blocked a moment ago; Outlook raises NewMailEx
// for each.
void DeliverNewMail(sw::sim::OutlookSession& session) {
    auto& box = session.mailbox();
    Print(L"Outlook's own junk filter read the Blocked Senders list when Outlook started and "
          L"learns the new entries only at its next start. Until then Spamwarden moves new mail "
          L"from the senders blocked since (\u201CMove new mail from senders I block to Junk "
          L"E-mail right away\u201D, on at first).");
    Item& again = box.AddMail(box.Inbox(), L"deals@bargain-outlet.example", {L"me@corp.example"},
                              L"New arrivals just for you");
    Item& lawyer = box.AddMail(box.Inbox(), L"lawyer@inheritance.example", {L"me@corp.example"},
                               L"Documents for your signature");
    Print(L"> New mail arrives from deals@bargain-outlet.example (blocked by Block Senders) and "
          L"from lawyer@inheritance.example (its domain was just blocked, the address is on the "
          L"Safe Senders list)");
    session.FireNewMailEx(again.entryId);
    session.FireNewMailEx(lawyer.entryId);
    Print(L"  \u201C" + again.subject + L"\u201D is " + WhereIs(box, again) + L" at once.");
    Print(L"  \u201C" + lawyer.subject + L"\u201D stays " + WhereIs(box, lawyer) +
          L": Safe Senders are never moved.");
}

// The add-in's history of blocking runs in this prefix: a demo starts with none.
void ClearHistory() {
    wchar_t folder[MAX_PATH];
    if (!GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH))
        return;
    for (const wchar_t* name : {L"history", L"history.skipped", L"history.unreadable"})
        DeleteFileW((std::wstring(folder) + L"\\Tallpine\\Spamwarden\\" + name).c_str());
}

// A top-level dialog with that caption, waited for up to five seconds.
HWND WaitForDialog(const wchar_t* caption) {
    for (int i = 0; i < 100; ++i) {
        if (HWND window = FindWindowW(L"#32770", caption))
            return window;
        Sleep(50);
    }
    return nullptr;
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t text[256] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Select(HWND list, int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
}

// The Options sheet, waited for, with page `index` shown (0 Options,
// 1 Blocked Senders, 2 History); null when it does not open.
HWND OpenPage(HWND& sheet, int index) {
    sheet = WaitForDialog(L"Options");
    if (!sheet) {
        Print(L"  The Options sheet did not open.");
        return nullptr;
    }
    SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The controls of the Blocked Senders and History pages (manager/resource.h).
constexpr int kSearch = 201;
constexpr int kRemove = 203;
constexpr int kEntries = 208;
constexpr int kHistoryList = 251;
constexpr int kUnblockAndRestore = 253;

// One wrong entry: the Blocked Senders page, a search for it, Remove, OK.
void RemoveOneEntryOnTheBlockedSendersPage(const wchar_t* entry) {
    HWND sheet = nullptr;
    const HWND page = OpenPage(sheet, 1);
    if (!page)
        return;
    Print(std::wstring(L"> Blocked Senders page: typing \u201C") + entry +
          L"\u201D into Search, selecting the one row it shows, pressing \u201CRemove\u201D, "
          L"then OK");
    SetDlgItemTextW(page, kSearch, entry);
    const HWND list = GetDlgItem(page, kEntries);
    if (SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) != 1 || ListText(list, 0, 0) != entry) {
        Print(L"  The search did not find the entry alone.");
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return;
    }
    Select(list, 0);
    Click(page, kRemove);
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

// A run that was a mistake as a whole: the History page, the newest run of
// `command` selected, "Unblock and Restore", OK; then the message that tells
// what came of it.
void UndoARunOnTheHistoryPage(const wchar_t* command) {
    HWND sheet = nullptr;
    const HWND page = OpenPage(sheet, 2);
    if (!page)
        return;
    const HWND list = GetDlgItem(page, kHistoryList);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    Print(L"  History page, newest first:");
    int target = -1;
    for (int row = 0; row < rows; ++row) {
        Print(L"      " + ListText(list, row, 0) + L"  " + ListText(list, row, 1) + L"  " +
              ListText(list, row, 2) + L"  " + ListText(list, row, 3));
        if (target < 0 && ListText(list, row, 1) == command)
            target = row;
    }
    if (target < 0) {
        Print(std::wstring(L"  No ") + command + L" run in the history.");
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return;
    }
    Select(list, target);
    Print(std::wstring(L"> Selecting the newest ") + command +
          L" run, pressing \u201CUnblock and Restore\u201D, then OK");
    Click(page, kUnblockAndRestore);
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    if (const HWND box = WaitForDialog(L"Spamwarden")) {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        Print(std::wstring(L"  Spamwarden says: \u201C") + text + L"\u201D");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

int RunRibbonHost() {
    const int version = 16;
    CreateProfile(version);
    ClearHistory();
    sw::sim::OutlookSession session(L"16.0.0.4266");
    auto& box = session.mailbox();
    box.AddMail(box.Inbox(), L"deals@bargain-outlet.example", {L"me@corp.example"},
                L"Weekend sale starts now");
    box.AddMail(box.Inbox(), L"deals@bargain-outlet.example", {L"me@corp.example"},
                L"90% off everything, today only");
    Item& deals = box.AddMail(box.Inbox(), L"deals@bargain-outlet.example", {L"me@corp.example"},
                              L"Last chance!!!");
    box.AddMail(box.Inbox(), L"heir@inheritance.example", {L"me@corp.example"},
                L"Your late uncle's estate");
    box.AddMail(box.Inbox(), L"jane.doe@gmail.com", {L"me@corp.example"}, L"Lunch on Friday?");
    // The second account, an Outlook.com mailbox: a store of its own, with
    // its own Inbox and Junk E-mail.
    sw::sim::Store& personal =
        box.AddStore(L"me.private@outlook.com", sw::sim::StoreType::NotExchange, true);
    sw::sim::Folder& personalInbox = *personal.DefaultFolder(sw::sim::default_folder::Inbox);
    Item& photos = box.AddMail(personalInbox, L"jane.doe@gmail.com", {L"me.private@outlook.com"},
                               L"Photos from Saturday");
    Item& boss =
        box.AddMail(box.Inbox(), L"boss@corp.example", {L"me@corp.example"}, L"Quarterly numbers");
    Item& prince = box.AddMail(box.Inbox(), L"prince@inheritance.example", {L"me@corp.example"},
                               L"Urgent business proposal");
    Item& lottery = box.AddMail(box.Inbox(), L"claims@lottery-winners.example",
                                {L"me@corp.example"}, L"You have won 1,000,000");
    Item& freemail = box.AddMail(box.Inbox(), L"lucky.winner.2026@gmail.com", {L"me@corp.example"},
                                 L"Re: your parcel");
    box.AddMail(box.Inbox(), L"ann@partner.example", {L"me@corp.example"}, L"Meeting notes");
    // A conversation of three messages, shown collapsed, and a message from
    // an Exchange sender, whom Outlook reports by a directory path.
    Item& crypto1 = box.AddMail(box.Inbox(), L"invest@crypto-gains.example", {L"me@corp.example"},
                                L"Double your coins");
    Item& crypto2 = box.AddMail(box.Inbox(), L"invest@crypto-gains.example", {L"me@corp.example"},
                                L"Re: Double your coins");
    Item& crypto3 = box.AddMail(box.Inbox(), L"invest@crypto-gains.example", {L"me@corp.example"},
                                L"Re: Re: Double your coins");
    Item& exchange = box.AddExchangeMail(
        box.Inbox(), L"/O=CORP/OU=EXCHANGE ADMINISTRATIVE GROUP/CN=RECIPIENTS/CN=INTERN42",
        L"intern42@spamming-contractor.example", true, {L"me@corp.example"});
    exchange.subject = L"Team lunch raffle (forwarded 40 times)";

    Print(L"Simulated Outlook 16.0, mail profile \u201COutlook\u201D with two mail accounts: the "
          L"work mailbox (me@corp.example) and an Outlook.com mailbox (me.private@outlook.com), "
          L"each with its own Inbox and Junk E-mail.");
    // The user has ticked "Also move earlier messages from blocked senders to
    // Junk E-mail" on the Options page.
    const DWORD on = 1;
    SetValue(L"Software\\Tallpine\\Spamwarden", L"MoveEarlier", REG_DWORD, &on, sizeof on);
    Print(L"Options: \u201CAlso move earlier messages from blocked senders to Junk E-mail\u201D "
          L"is on.");
    Print(L"Outlook loads the add-ins registered under HKLM\\Software\\Microsoft\\Office\\Outlook\\"
          L"Addins with LoadBehavior 3.");
    sw::sim::AddinHost outlook(session);
    if (outlook.Start() == 0 || !outlook.Find(kProgId)) {
        Print(L"Spamwarden is not registered: run regsvr32 Spamwarden.dll first.");
        return 1;
    }
    const sw::sim::LoadedAddin& addin = *outlook.Find(kProgId);
    Print(L"Loaded " + addin.progId +
          L": OnConnection and OnStartupComplete succeeded, ribbon "
          L"document of " +
          std::to_wstring(addin.ribbon.size()) + L" elements, " +
          std::to_wstring(addin.callbacks.size()) + L" callbacks resolved by name.");
    Print(L"");
    ShowFolder(box.Inbox());
    ShowList(version, L"Blocked Senders list before:");
    Print(L"  Never blocked (Safe Senders): boss@corp.example, @partner.example, "
          L"lawyer@inheritance.example");
    Print(L"");

    box.Select({&deals, &boss});
    Print(L"Selected: the latest message from deals@bargain-outlet.example and the one from "
          L"boss@corp.example.");
    Press(outlook, L"BlockSenders", L"Block Senders");
    ShowList(version, L"Blocked Senders list now:");
    Print(L"  boss@corp.example is on the Safe Senders list, so that message stays. With "
          L"\u201CAlso move earlier messages\u201D on, the two earlier messages from "
          L"deals@bargain-outlet.example followed to Junk E-mail, found by Items.Restrict:");
    ShowFolder(box.Inbox());
    Print(L"");

    box.ShowFolder(box.Inbox());
    box.Select({&prince, &lottery, &freemail});
    Print(L"Selected: prince@inheritance.example, claims@lottery-winners.example and "
          L"lucky.winner.2026@gmail.com.");
    Press(outlook, L"BlockDomain", L"Block Domains");
    ShowList(version, L"Blocked Senders list now:");
    Print(L"  gmail.com is a safe domain (a large free-mail provider): only that sender's own "
          L"address is blocked, and jane.doe@gmail.com's earlier message stays; "
          L"heir@inheritance.example's followed the newly blocked domain.");
    Print(L"");
    DeliverNewMail(session);
    Print(L"");
    box.ShowFolder(box.Inbox());
    box.SelectWithConversations({&exchange}, {{&crypto1, &crypto2, &crypto3}});
    Print(L"Selected: a collapsed conversation of three messages from "
          L"invest@crypto-gains.example (Explorer.Selection holds none of them) and a message "
          L"from an Exchange sender reported as /O=CORP/.../CN=INTERN42.");
    Press(outlook, L"BlockSenders", L"Block Senders");
    ShowList(version, L"Blocked Senders list now:");
    Print(L"  The conversation's three messages were moved; the Exchange sender is blocked by "
          L"the SMTP address the message carries, never by the directory path.");
    Print(L"");
    ShowFolder(box.Inbox());
    ShowFolder(box.JunkEmail());
    Print(L"");
    Print(L"Two kinds of mistake, two ways back.");
    Print(L"");
    Print(L"One wrong entry: lucky.winner.2026@gmail.com turns out to be a friend's new "
          L"address. Undoing the whole Block Domains run would also unblock "
          L"@inheritance.example and @lottery-winners.example and bring their spam back to the "
          L"Inbox, so the user removes just that entry on the Blocked Senders page.");
    {
        std::thread user(&RemoveOneEntryOnTheBlockedSendersPage, L"lucky.winner.2026@gmail.com");
        outlook.Fire(kProgId, L"ManBlockedSenders");
        user.join();
    }
    ShowList(version, L"Blocked Senders list now:");
    Print(L"  Remove undoes that entry and nothing else: the friend's message stays in Junk "
          L"E-mail (\u201C" +
          freemail.subject + L"\u201D is " + WhereIs(box, freemail) +
          L") for the user to move back, and the run's other entries stay blocked.");
    Print(L"");

    box.ShowFolder(personalInbox);
    box.Select({&photos});
    Print(L"A run that was a mistake as a whole, in the Outlook.com account: meaning to open the "
          L"photos from jane.doe@gmail.com there, the user presses Block Senders.");
    const size_t workJunk = box.JunkEmail().items().size();
    Press(outlook, L"BlockSenders", L"Block Senders");
    Print(L"  \u201C" + photos.subject + L"\u201D is " + WhereIs(box, photos) +
          L", that account's own; the work mailbox's Junk E-mail " +
          (box.JunkEmail().items().size() == workJunk
               ? L"is untouched (" + std::to_wstring(workJunk) + L" messages, as before)"
               : L"now holds " + std::to_wstring(box.JunkEmail().items().size()) +
                     L" messages instead of " + std::to_wstring(workJunk)) +
          L". The user opens Options to undo that run on the History page.");
    {
        std::thread user(&UndoARunOnTheHistoryPage, L"Block Senders");
        outlook.Fire(kProgId, L"ManBlockedSenders");
        user.join();
    }
    ShowList(version, L"Blocked Senders list now:");
    Print(L"  Unblock and Restore undoes the whole run: every entry it added comes off the list "
          L"and every message it moved goes back to its own account (\u201C" +
          photos.subject + L"\u201D is " + WhereIs(box, photos) +
          L"). Unblock alone would take off the entries only.");
    Print(L"");
    Print(L"Outlook 2010 and later keep a copy of the list in each mail account's key:");
    for (const wchar_t* account : {L"1a2b3c4d", L"5e6f7081"}) {
        const std::wstring copy =
            GetList(ProfilesRoot(version) + L"\\" + kProfile + L"\\" + account, L"001f041a");
        Print(std::wstring(L"  account ") + account + L": " + copy);
    }
    Print(L"");
    Print(L"Outlook shuts down: OnBeginShutdown, OnDisconnection, release.");
    outlook.Shutdown();
    return 0;
}

// `text` followed by spaces up to `width` characters.
std::wstring Padded(std::wstring text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), L' ');
    return text;
}

// One toolbar button as the user tells it: its caption (the tooltip of an
// icon-only button) and what its icon is.
std::wstring DescribeButton(const sw::sim::CommandBarControl& button) {
    std::wstring line = L"      " + Padded(L"\u201C" + button.tooltipText + L"\u201D", 17);
    if (button.pictureWidth() > 0) {
        line += L"its own picture, " + std::to_wstring(button.pictureWidth()) + L"\u00D7" +
                std::to_wstring(button.pictureHeight());
    } else {
        const wchar_t* face = button.faceId == sw::kOptionsFaceId   ? L"Options"
                              : button.faceId == sw::kSupportFaceId ? L"Support"
                              : button.faceId == sw::kHelpFaceId    ? L"Help"
                                                                    : nullptr;
        line += face ? std::wstring(L"Office's built-in ") + face + L" icon"
                     : std::wstring(L"an Office icon");
    }
    if (button.beginGroup)
        line += L", begins a group";
    return line;
}

sw::sim::CommandBarControl* FindCaption(sw::sim::CommandBarControls& controls,
                                        const std::wstring& caption) {
    for (size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].caption == caption)
            return &controls[i];
    }
    return nullptr;
}

void Click(sw::sim::OutlookSession& session, sw::sim::CommandBarControl& item) {
    Print(L"> Clicking \u201C" + item.caption + L"\u201D");
    session.ClickControl(item);
}

int RunCommandBarHost() {
    const int version = 12;
    CreateLegacyProfile(version);
    sw::sim::OutlookSession session(L"12.0.0.6423");
    auto& box = session.mailbox();
    Item& pills = box.AddMail(box.Inbox(), L"sales@cheap-pills.example", {L"me@corp.example"},
                              L"Discount pharmacy");
    Item& stock1 = box.AddMail(box.Inbox(), L"tips@hot-stocks.example", {L"me@corp.example"},
                               L"This stock will triple");
    Item& stock2 =
        box.AddMail(box.Inbox(), L"alerts@penny-shares.example", {L"me@corp.example"}, L"Act now");
    box.AddMail(box.Inbox(), L"boss@corp.example", {L"me@corp.example"}, L"Budget review");

    Print(L"Simulated Outlook 12.0 (2007): no ribbon, so Spamwarden builds a toolbar and "
          L"context-menu items.");
    sw::sim::AddinHost outlook(session);
    if (outlook.Start() == 0 || !outlook.Find(kProgId)) {
        Print(L"Spamwarden is not registered: run regsvr32 Spamwarden.dll first.");
        return 1;
    }
    Print(L"Loaded " + outlook.Find(kProgId)->progId +
          L": OnConnection and OnStartupComplete succeeded.");
    sw::sim::CommandBar* toolbar = session.commandBars().Find(L"Spamwarden");
    if (!toolbar) {
        Print(L"No Spamwarden toolbar was built.");
        return 1;
    }
    Print(std::wstring(L"  Toolbar \u201C") + toolbar->name() + L"\u201D" +
          (toolbar->visible ? L" (shown)" : L" (hidden)") + L", icon-only buttons:");
    for (size_t i = 0; i < toolbar->controls().size(); ++i)
        Print(DescribeButton(toolbar->controls()[i]));
    ShowList(version, L"Blocked Senders list before:");
    Print(L"");

    box.Select({&pills});
    Print(L"Selected: the message from sales@cheap-pills.example; its context menu opens.");
    sw::sim::CommandBar* menu = session.ShowContextMenu().bar;
    sw::sim::CommandBarControl* junk = FindCaption(menu->controls(), L"Junk E-mail");
    sw::sim::CommandBarControl* item =
        junk ? FindCaption(junk->controls(), L"Add Sender's Domain to Blocked Senders List")
             : nullptr;
    if (!item) {
        Print(L"No context-menu item was added.");
        return 1;
    }
    Print(L"  Junk E-mail \u25B8");
    for (size_t i = 0; i < junk->controls().size(); ++i) {
        const sw::sim::CommandBarControl& entry = junk->controls()[i];
        Print(L"      " + entry.caption + (&entry == item ? L"   \u2190 Spamwarden" : L""));
    }
    Click(session, *item);
    ShowList(version, L"Blocked Senders list now:");
    Print(L"");

    box.ShowFolder(box.Inbox());
    box.Select({&stock1, &stock2});
    Print(L"Selected: tips@hot-stocks.example and alerts@penny-shares.example; the menu ends:");
    menu = session.ShowContextMenu().bar;
    const size_t count = menu->controls().size();
    for (size_t i = count - 3; i < count; ++i) {
        const sw::sim::CommandBarControl& entry = menu->controls()[i];
        if (entry.beginGroup && i > count - 3)
            Print(L"      \u2500\u2500\u2500\u2500\u2500\u2500");
        Print(L"      " + entry.caption + (i + 2 >= count ? L"   \u2190 Spamwarden" : L""));
    }
    sw::sim::CommandBarControl* senders =
        FindCaption(menu->controls(), L"Add Senders to Blocked Sender List");
    if (!senders) {
        Print(L"No context-menu items were added.");
        return 1;
    }
    Click(session, *senders);
    ShowList(version, L"Blocked Senders list now:");
    ShowFolder(box.Inbox());
    ShowFolder(box.JunkEmail());
    Print(L"");
    Print(L"Outlook shuts down: Spamwarden ends its subscriptions and removes its buttons.");
    outlook.Shutdown();
    Print(L"  The toolbar stays for the next start; buttons left on it: " +
          std::to_wstring(toolbar->controls().size()) + L".");
    return 0;
}

} // namespace

int wmain() {
    _setmode(_fileno(stdout), _O_BINARY);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int result = RunRibbonHost();
    // Each Outlook process loads the add-in afresh.
    CoFreeUnusedLibrariesEx(0, 0);
    if (result == 0) {
        Print(L"");
        Print(L"\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500");
        Print(L"");
        result = RunCommandBarHost();
        CoFreeUnusedLibrariesEx(0, 0);
    }
    CoUninitialize();
    return result;
}
