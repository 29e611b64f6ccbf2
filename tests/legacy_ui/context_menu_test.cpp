// The blocking commands in the item context menu of hosts 11 and 12.
#include "tests/legacy_ui/legacy_fixture.h"

#include "commands/command_guard.h"
#include "sim/outlook/context_menu_layout.h"
#include "sim/outlook/fault_plan.h"

#include <gmock/gmock.h>

namespace sw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr wchar_t kSenderDomainItem[] = L"Add Sender's Domain to Blocked Senders List";
constexpr wchar_t kSendersItem[] = L"Add Senders to Blocked Sender List";
constexpr wchar_t kDomainsItem[] = L"Add Sender's Domains to Blocked Sender List";

class ContextMenuTest : public LegacySurfaceTest {
protected:
    // The menu's popup with that caption; fails the test when there is none.
    static sim::CommandBarControl& Popup(sim::CommandBar& menu, const wchar_t* caption) {
        const std::vector<std::wstring> captions = menu.controls().captions();
        const auto found = std::find(captions.begin(), captions.end(), caption);
        if (found == captions.end())
            throw std::runtime_error("no such popup");
        return menu.controls()[static_cast<size_t>(found - captions.begin())];
    }
    // The default menu's captions, as the host shows them.
    std::vector<std::wstring> DefaultCaptions() {
        std::vector<std::wstring> captions;
        for (const sim::MenuEntry& entry : sim::DefaultContextMenu(m_outlook.majorVersion()))
            captions.push_back(entry.caption);
        return captions;
    }
    std::vector<std::wstring> DefaultJunkEntries() {
        for (const sim::MenuEntry& entry : sim::DefaultContextMenu(m_outlook.majorVersion())) {
            if (entry.caption == L"Junk E-mail") {
                std::vector<std::wstring> captions;
                for (const sim::MenuEntry& inner : entry.entries)
                    captions.push_back(inner.caption);
                return captions;
            }
        }
        return {};
    }
    std::vector<sim::Item*> Mails(std::initializer_list<const wchar_t*> senders) {
        std::vector<sim::Item*> items;
        for (const wchar_t* sender : senders)
            items.push_back(&Mail(sender));
        return items;
    }
};

TEST_F(ContextMenuTest, SeveralSelectedMessagesGetTwoItemsAtTheEnd) {
    auto connect = Started(L"12.0.0.6423");
    auto& box = m_outlook.mailbox();
    std::vector<sim::Item*> items =
        Mails({L"ann@spam.example", L"bob@spam.example", L"cy@junk.example"});
    box.Select(items);

    sim::CommandBar* menu = m_outlook.ShowContextMenu().bar;
    std::vector<std::wstring> expected = DefaultCaptions();
    expected.insert(expected.end(), {kSendersItem, kDomainsItem});
    EXPECT_EQ(menu->controls().captions(), expected);
    const size_t last = menu->controls().size() - 1;
    sim::CommandBarControl& senders = menu->controls()[last - 1];
    sim::CommandBarControl& domains = menu->controls()[last];
    EXPECT_TRUE(senders.beginGroup);
    EXPECT_FALSE(domains.beginGroup);
    EXPECT_TRUE(senders.temporary() && domains.temporary());
    EXPECT_EQ(Popup(*menu, L"Junk E-mail").controls().captions(), DefaultJunkEntries());

    // The multiple-selection items are guarded like the toolbar's buttons.
    g_host.commandRunning = true;
    EXPECT_EQ(m_outlook.ClickControl(senders).sinksReached, 1u);
    EXPECT_FALSE(box.JunkEmail().contains(*items[0]));
    g_host.commandRunning = false;
    menu = m_outlook.ShowContextMenu().bar;
    m_outlook.ClickControl(menu->controls()[menu->controls().size() - 2]);
    EXPECT_EQ(BlockedList(), L"ann@spam.example;bob@spam.example;cy@junk.example;");

    box.ShowFolder(box.Inbox());
    box.Select(Mails({L"dee@spam.example", L"eve@bulk.example"}));
    menu = m_outlook.ShowContextMenu().bar;
    m_outlook.ClickControl(menu->controls()[menu->controls().size() - 1]);
    EXPECT_EQ(BlockedList(), L"ann@spam.example;bob@spam.example;cy@junk.example;@spam.example;"
                             L"@bulk.example;");
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ContextMenuTest, OneSelectedMessageGetsTheItemSecondInTheFirstJunkPopupWithEntries) {
    auto connect = Started(L"12.0.0.6423");
    auto& box = m_outlook.mailbox();
    sim::Item& ann = Mail(L"ann@spam.example");
    box.Select({&ann});

    sim::MenuLayout layout = sim::DefaultContextMenu(12);
    layout.insert(layout.begin(), sim::MenuEntry::Popup(L"Junk", {}));
    layout.push_back(sim::MenuEntry::Popup(L"More Junk", {L"Later"}));
    sim::CommandBar* menu = m_outlook.ShowContextMenu(layout).bar;
    EXPECT_TRUE(Popup(*menu, L"Junk").controls().empty()) << "an empty popup is passed over";
    EXPECT_THAT(Popup(*menu, L"More Junk").controls().captions(), ElementsAre(L"Later"));
    std::vector<std::wstring> entries = DefaultJunkEntries();
    entries.insert(entries.begin() + 1, kSenderDomainItem);
    sim::CommandBarControl& junk = Popup(*menu, L"Junk E-mail");
    EXPECT_EQ(junk.controls().captions(), entries);
    EXPECT_EQ(menu->controls().size(), layout.size()) << "the menu itself is untouched";

    // The single-selection item runs Block Domains even while a command runs.
    g_host.commandRunning = true;
    m_outlook.ClickControl(junk.controls()[1]);
    g_host.commandRunning = false;
    EXPECT_TRUE(box.JunkEmail().contains(ann));
    EXPECT_EQ(BlockedList(), L"@spam.example;");

    // No qualifying popup: nothing is added anywhere.
    box.ShowFolder(box.Inbox());
    box.Select({&Mail(L"bob@example.net")});
    menu = m_outlook.ShowContextMenu({L"Open", sim::MenuEntry::Popup(L"Junk", {})}).bar;
    EXPECT_THAT(menu->controls().captions(), ElementsAre(L"Open", L"Junk"));
    EXPECT_TRUE(menu->controls()[1].controls().empty());
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ContextMenuTest, Version11AddsOnUpdateForOneMailOnly) {
    auto connect = Started(L"11.0.0.8312");
    auto& box = m_outlook.mailbox();
    sim::Item& ann = Mail(L"ann@spam.example");
    box.Select({&ann});
    sim::CommandBar* menu = m_outlook.ShowContextMenu().bar;
    EXPECT_EQ(Popup(*menu, L"Junk E-mail").controls().captions().at(1), kSenderDomainItem);
    EXPECT_EQ(menu->controls().captions(), DefaultCaptions());

    box.Select(Mails({L"bob@spam.example", L"cy@junk.example"}));
    menu = m_outlook.ShowContextMenu().bar;
    EXPECT_EQ(menu->controls().captions(), DefaultCaptions());
    EXPECT_EQ(Popup(*menu, L"Junk E-mail").controls().captions(), DefaultJunkEntries());

    // A calendar shown in the explorer: no item, whatever is selected.
    box.ShowFolder(box.Calendar());
    box.Select({&ann});
    menu = m_outlook.ShowContextMenu().bar;
    EXPECT_EQ(Popup(*menu, L"Junk E-mail").controls().captions(), DefaultJunkEntries());

    // OnUpdate without a shown context menu adds nothing.
    box.ShowFolder(box.Inbox());
    box.Select({&ann});
    m_outlook.CloseContextMenu();
    EXPECT_EQ(m_outlook.FireOnUpdate(), 1u);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(ContextMenuTest, ANewDisplayMovesTheClickToTheNewItem) {
    auto connect = Started(L"12.0.0.6423");
    m_outlook.mailbox().Select({&Mail(L"ann@spam.example")});
    sim::CommandBarControl& first =
        Popup(*m_outlook.ShowContextMenu().bar, L"Junk E-mail").controls()[1];
    EXPECT_EQ(first.clickSinks().size(), 1u);
    sim::CommandBarControl& second =
        Popup(*m_outlook.ShowContextMenu().bar, L"Junk E-mail").controls()[1];
    EXPECT_EQ(first.clickSinks().size(), 0u);
    EXPECT_EQ(second.clickSinks().size(), 1u);
}

TEST_F(ContextMenuTest, AHostFailureAbandonsTheAdditionsSilently) {
    auto connect = Started(L"12.0.0.6423");
    auto& box = m_outlook.mailbox();
    box.Select(Mails({L"ann@spam.example", L"bob@spam.example"}));
    m_outlook.faults().Add(sim::Fault::Fail(L"Caption", E_FAIL).On(L"CommandBarButton").OnCall(1));
    const sim::ContextMenuDisplay shown = m_outlook.ShowContextMenu();
    EXPECT_EQ(shown.sinksReached, 1u);
    std::vector<std::wstring> expected = DefaultCaptions();
    expected.push_back(L""); // the first item, abandoned before its caption
    EXPECT_EQ(shown.bar->controls().captions(), expected);
    EXPECT_EQ(shown.bar->controls()[expected.size() - 1].clickSinks().size(), 0u);

    // The next display works again.
    EXPECT_EQ(m_outlook.ShowContextMenu().bar->controls().captions().back(), kDomainsItem);
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

} // namespace
} // namespace sw::test
