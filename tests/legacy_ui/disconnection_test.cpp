// The event sinks, and what is left of the surface once the host has let
// the add-in go: no subscription, no temporary button, no reference.
#include "tests/legacy_ui/legacy_fixture.h"

#include "commands/command_guard.h"
#include "legacy_ui/event_bindings.h"
#include "legacy_ui/legacy_ui.h"
#include "legacy_ui/event_sink.h"
#include "outlook/office_ids.h"
#include "sim/outlook/event_sinks.h"

#include <gmock/gmock.h>

namespace sw::test {
namespace {

using ::testing::IsEmpty;

using DisconnectionTest = LegacySurfaceTest;

TEST_F(DisconnectionTest, ASinkAnswersItsEventsAndLeavesTheObjectsLifetimeAlone) {
    com_ptr<IConnect> object;
    ASSERT_EQ(CreateAddInObject(nullptr, IID_IConnect, object.put_void()), S_OK);
    Connect& connect = static_cast<Connect&>(*object.get());
    const UserCommands commands;
    LegacyUi surface(*object.get(), commands);
    EventSinkSet* sinks = EventSinkSet::Create(surface);
    EventSink& sink = sinks->Sink(kSinkBlockSendersButton);
    EXPECT_EQ(sink.cookie(), 0xFEFEFEFEu);

    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &kIidCommandBarButtonEvents}) {
        com_ptr<IUnknown> answer;
        EXPECT_EQ(sink.QueryInterface(*iid, answer.put_void()), S_OK);
        EXPECT_EQ(answer.get(), static_cast<IUnknown*>(&sink));
    }
    com_ptr<IUnknown> none;
    EXPECT_EQ(sink.QueryInterface(kIidCommandBarsEvents, none.put_void()), E_NOINTERFACE);
    UINT count = 7;
    EXPECT_EQ(sink.GetTypeInfoCount(&count), E_NOTIMPL);
    com_ptr<ITypeInfo> info;
    EXPECT_EQ(sink.GetTypeInfo(0, 0, info.put()), E_NOTIMPL);

    // References on the sink are not references on the object.
    object->AddRef();
    const ULONG before = object->Release();
    sink.AddRef();
    sink.AddRef();
    object->AddRef();
    EXPECT_EQ(object->Release(), before);
    sink.Release();
    sink.Release();

    // A sink that is not connected drops whatever reaches it.
    connect.OnConnection(m_outlook.Application().get(), ext_cm_Startup, nullptr, nullptr);
    m_outlook.mailbox().ShowFolder(m_outlook.mailbox().Calendar());
    DISPPARAMS noArguments{};
    EXPECT_EQ(sink.Invoke(kDispidClick, IID_NULL, 0, DISPATCH_METHOD, &noArguments, nullptr,
                          nullptr, nullptr),
              S_OK);
    EXPECT_THAT(m_messages.texts(), IsEmpty()) << "Block Senders did not run";
    sinks->Detach();
}

TEST_F(DisconnectionTest, ASinkTheHostKeepsOutlivesTheObjectHarmlessly) {
    com_ptr<IConnect> object;
    ASSERT_EQ(CreateAddInObject(nullptr, IID_IConnect, object.put_void()), S_OK);
    const UserCommands commands;
    LegacyUi surface(*object.get(), commands);
    EventSinkSet* sinks = EventSinkSet::Create(surface);
    com_ptr<IDispatch> kept(&sinks->Sink(kSinkBlockDomainsButton)); // the host's hold
    sinks->Detach();
    object = nullptr; // the add-in is gone, the host still holds the sink

    DISPPARAMS noArguments{};
    EXPECT_EQ(kept->Invoke(kDispidClick, IID_NULL, 0, DISPATCH_METHOD, &noArguments, nullptr,
                           nullptr, nullptr),
              S_OK);
    kept = nullptr; // the last reference ends the sinks
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(DisconnectionTest, NothingReachesTheObjectOnceItIsGone) {
    for (const wchar_t* version : {L"12.0.0.6423", L"11.0.0.8312"}) {
        SCOPED_TRACE(version[1] == L'2' ? "version 12" : "version 11");
        m_outlook.SetVersion(version);
        const auto start = m_outlook.References();
        auto& box = m_outlook.mailbox();
        box.ShowFolder(box.Inbox());
        sim::Item& ann = Mail(L"ann@spam.example");
        sim::Item& bob = Mail(L"bob@spam.example");
        {
            auto connect = Started(version);
            std::vector<sim::CommandBarControl*> clickable;
            for (size_t i = 0; i < Toolbar()->controls().size(); ++i)
                clickable.push_back(&Toolbar()->controls()[i]);
            box.Select({&ann, &bob});
            sim::CommandBar* menu = m_outlook.ShowContextMenu().bar;
            if (m_outlook.majorVersion() == 12) {
                clickable.push_back(&menu->controls()[menu->controls().size() - 1]);
                clickable.push_back(&menu->controls()[menu->controls().size() - 2]);
            }
            box.Select({&ann});
            menu = m_outlook.ShowContextMenu().bar;
            ASSERT_EQ(menu->controls()[0].caption, L"Open");
            for (size_t i = 0; i < menu->controls().size(); ++i) {
                if (menu->controls()[i].caption == L"Junk E-mail")
                    clickable.push_back(&menu->controls()[i].controls()[1]);
            }

            EXPECT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, nullptr), S_OK);
            EXPECT_THAT(Toolbar()->controls().captions(), IsEmpty())
                << "the temporary buttons are gone";
            for (sim::CommandBarControl* control : clickable)
                EXPECT_EQ(control->clickSinks().size(), 0u) << control->tag << control->caption;
        }
        g_host.hostApp = nullptr; // what unloading the module does

        // Every former event: clicks, the context menu, OnUpdate.
        m_outlook.ShowContextMenu();
        EXPECT_EQ(m_outlook.FireOnUpdate(), 0u);
        EXPECT_EQ(bars().applicationSinks().size(), 0u);
        EXPECT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
        EXPECT_FALSE(box.JunkEmail().contains(ann));
        m_outlook.Restart();
    }

    // A host that releases the add-in without disconnecting it first.
    const auto start = m_outlook.References();
    {
        auto connect = Started(L"11.0.0.8312");
        EXPECT_EQ(bars().updateSinks().size(), 1u);
    }
    g_host.hostApp = nullptr;
    EXPECT_EQ(m_outlook.FireOnUpdate(), 0u);
    m_outlook.ClickControl(Toolbar()->controls()[0]);
    EXPECT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
    EXPECT_THAT(m_messages.texts(), IsEmpty());
}

TEST_F(DisconnectionTest, ASecondStartupLeavesEverySinkConnectedOnce) {
    const auto start = m_outlook.References();
    {
        auto connect = Started(L"11.0.0.8312");
        EXPECT_EQ(connect->OnStartupComplete(nullptr), S_OK);
        EXPECT_EQ(bars().updateSinks().size(), 1u);
        const sim::CommandBarControls& controls = Toolbar()->controls();
        ASSERT_EQ(controls.size(), 10u);
        for (size_t i = 0; i < controls.size(); ++i) {
            EXPECT_EQ(const_cast<sim::CommandBarControl&>(controls[i]).clickSinks().size(),
                      i < 5 ? 0u : 1u)
                << i;
        }
        connect->OnDisconnection(ext_dm_HostShutdown, nullptr);
    }
    g_host.hostApp = nullptr;
    EXPECT_EQ(m_outlook.References(), start) << sim::DescribeRefCounts(m_outlook.References());
}

} // namespace
} // namespace sw::test
