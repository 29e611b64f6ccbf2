// Many connections in one host process, as Outlook loads, unloads and
// reloads the add-in: every host reference comes back, the module can
// unload, and no event after disconnection reaches the add-in.
#include "dll/class_factory.h"
#include "commands/block_commands.h"
#include "platform/module_lock.h"
#include "sim/outlook/command_bar_model.h"
#include "tests/addin/addin_fixture.h"

#include <gmock/gmock.h>

#include <functional>

namespace sw::test {
namespace {

class Lifecycle : public AddinTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(Lifecycle, HundredCyclesLeaveNothingBehind) {
    m_outlook.SetVersion(GetParam());
    CreateProfile(_wtoi(GetParam()));
    auto& box = m_outlook.mailbox();
    const auto start = m_outlook.References();
    const long locks = ModuleLockCount();

    for (int cycle = 0; cycle < 100; ++cycle) {
        SCOPED_TRACE(cycle);
        sim::Item& mail =
            box.AddMail(box.Inbox(), L"cycle@spam" + std::to_wstring(cycle) + L".example",
                        {L"me@corp.example", L"x@y.example"});
        box.ShowFolder(box.Inbox());
        box.Select({&mail});
        {
            com_ptr<_IDTExtensibility2> connect = NewConnect();
            ASSERT_EQ(connect->OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr,
                                            nullptr),
                      S_OK);
            ASSERT_EQ(connect->OnStartupComplete(nullptr), S_OK);
            m_outlook.ShowContextMenu();
            m_outlook.CloseContextMenu();
            BlockSelectedDomains();
            // New mail from the domain just blocked goes to Junk E-mail at once.
            sim::Item& next =
                box.AddMail(box.Inbox(), L"next@spam" + std::to_wstring(cycle) + L".example",
                            {L"me@corp.example"});
            m_outlook.FireNewMailEx(next.entryId);
            ASSERT_TRUE(box.JunkEmail().contains(next));
            ASSERT_EQ(connect->OnBeginShutdown(nullptr), E_NOTIMPL);
            ASSERT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
        }
        ResetAddinState(); // the module unloads between loads
        ASSERT_TRUE(box.JunkEmail().contains(mail));

        // Whatever the host still fires reaches nothing of the add-in.
        EXPECT_EQ(m_outlook.ShowContextMenu().sinksReached, 0u);
        m_outlook.CloseContextMenu();
        EXPECT_EQ(m_outlook.FireOnUpdate(), 0u);
        EXPECT_EQ(m_outlook.FireNewMailEx(mail.entryId), 0u);
        if (sim::CommandBar* bar = m_outlook.commandBars().Find(L"Spamwarden")) {
            for (size_t i = 0; i < bar->controls().size(); ++i)
                EXPECT_EQ(m_outlook.ClickControl(bar->controls()[i]).sinksReached, 0u);
        }
        ASSERT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
        ASSERT_EQ(ModuleLockCount(), locks) << "DllCanUnloadNow would answer S_FALSE";
    }
    EXPECT_EQ(locks, 0);
    EXPECT_THAT(m_messages.texts(), ::testing::IsEmpty());
}

// Every object the add-in hands the host keeps the module loaded while the
// host holds it, also after disconnection and after Connect has gone: the
// host's last Release must never call into an unloaded module.
TEST_F(AddinTest, EveryObjectHandedToTheHostHoldsTheModule) {
    struct Case {
        const char* what;
        const wchar_t* version;
        std::function<com_ptr<IUnknown>(sim::OutlookSession&)> take;
    };
    const auto first = [](const std::vector<com_ptr<IDispatch>>& sinks) {
        return sinks.empty() ? com_ptr<IUnknown>() : com_ptr<IUnknown>(sinks.front().get());
    };
    const Case cases[] = {
        {"the class factory", L"16.0.0.4266",
         [](sim::OutlookSession&) {
             com_ptr<IUnknown> factory;
             EXPECT_EQ(ConnectClassFactory()->QueryInterface(IID_IClassFactory, factory.put_void()),
                       S_OK);
             return factory;
         }},
        {"a toolbar button's Click sink", L"12.0.0.6423",
         [&](sim::OutlookSession& outlook) {
             sim::CommandBar* bar = outlook.commandBars().Find(L"Spamwarden");
             return bar ? first(bar->controls()[0].clickSinks().Sinks()) : com_ptr<IUnknown>();
         }},
        {"the item context menu's sink", L"12.0.0.6423",
         [&](sim::OutlookSession& outlook) {
             return first(outlook.commandBars().applicationSinks().Sinks());
         }},
        {"the command bars' OnUpdate sink", L"11.0.0.8312",
         [&](sim::OutlookSession& outlook) {
             return first(outlook.commandBars().updateSinks().Sinks());
         }},
        {"the new-mail sink", L"16.0.0.4266",
         [&](sim::OutlookSession& outlook) {
             return first(outlook.commandBars().applicationSinks().Sinks());
         }},
    };
    const long locks = ModuleLockCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_outlook.SetVersion(c.version);
        CreateProfile(_wtoi(c.version));
        com_ptr<IUnknown> held;
        {
            com_ptr<_IDTExtensibility2> connect = Started(c.version);
            held = c.take(m_outlook);
            ASSERT_TRUE(held);
            ASSERT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
        }
        ResetAddinState();
        m_outlook.Restart(); // the host lets go of what it advised, but not of `held`
        EXPECT_NE(ModuleLockCount(), 0) << "DllCanUnloadNow would answer S_OK";
        held = nullptr;
        EXPECT_EQ(ModuleLockCount(), locks) << "DllCanUnloadNow would answer S_FALSE";
    }
}

INSTANTIATE_TEST_SUITE_P(HostVersions, Lifecycle,
                         ::testing::Values(L"11.0.0.8312", L"12.0.0.6423", L"16.0.0.4266"));

} // namespace
} // namespace sw::test
