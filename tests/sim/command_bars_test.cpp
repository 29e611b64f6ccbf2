// The simulated Office command bars and host events, driven only through
// IDispatch and connection points, the way the add-in drives the real host.
#include "sim/outlook/dispatch_client.h"
#include "sim/outlook/outlook_ids.h"
#include "sim/outlook/outlook_session.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <functional>
#include <ostream>

namespace sw::sim {

// Defined with the other simulation tests.
void PrintTo(const RefCount& count, std::ostream* os);

namespace {

constexpr HRESULT kHostError = HRESULT(0x80040301);

com_ptr<IDispatch> Object(const DispatchResult& r) {
    EXPECT_TRUE(r.ok()) << std::hex << r.hr << " " << r.error;
    return r.object();
}

HRESULT Put(IDispatch* object, const wchar_t* name, const DispArg& value) {
    return InvokeName(object, name, DISPATCH_PROPERTYPUT, {value}).error;
}

// A VT_BOOL argument; DispArg has no constructor for one.
DispArg Bool(bool value) {
    DispArg arg(0);
    VARIANT& v = const_cast<VARIANT&>(arg.get());
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return arg;
}

// An event sink of the test's own: answers its dispinterface and records
// every event it receives.
class TestSink final : public IDispatch {
public:
    struct Event {
        DISPID id;
        WORD flags;
        LCID lcid;
        bool nullIid;
        std::vector<VARTYPE> types;              // in the event's argument order
        std::vector<com_ptr<IDispatch>> objects; // its object arguments, in order
    };

    explicit TestSink(const IID& events) : m_events(events) {}

    std::vector<Event> events;
    bool cancelDefault = false;    // what Click leaves in CancelDefault
    std::function<void()> onEvent; // runs inside every event

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != m_events)
            return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        Event event{id, flags, lcid, iid == IID_NULL, {}, {}};
        for (UINT i = params->cArgs; i-- > 0;) {
            VARIANT& arg = params->rgvarg[i];
            event.types.push_back(V_VT(&arg));
            if (V_VT(&arg) == VT_DISPATCH)
                event.objects.emplace_back(V_DISPATCH(&arg));
            if (V_VT(&arg) == (VT_BYREF | VT_BOOL) && cancelDefault)
                *V_BOOLREF(&arg) = VARIANT_TRUE;
        }
        events.push_back(std::move(event));
        if (onEvent)
            onEvent();
        return S_OK;
    }

private:
    ~TestSink() = default;
    IID m_events;
    ULONG m_refs = 0;
};

com_ptr<TestSink> MakeSink(const IID& events) {
    return com_ptr<TestSink>(new TestSink(events));
}

com_ptr<IConnectionPoint> FindPoint(IDispatch* source, const IID& events, HRESULT* hr = nullptr) {
    com_ptr<IConnectionPointContainer> container;
    com_ptr<IConnectionPoint> point;
    HRESULT result = com_ptr<IDispatch>(source).query(IID_IConnectionPointContainer, container);
    if (SUCCEEDED(result))
        result = container->FindConnectionPoint(events, point.put());
    if (hr)
        *hr = result;
    return point;
}

HRESULT Advise(IDispatch* source, const IID& events, IDispatch* sink, DWORD& cookie) {
    HRESULT hr = S_OK;
    auto point = FindPoint(source, events, &hr);
    return point ? point->Advise(sink, &cookie) : hr;
}

HRESULT Unadvise(IDispatch* source, const IID& events, DWORD cookie) {
    HRESULT hr = S_OK;
    auto point = FindPoint(source, events, &hr);
    return point ? point->Unadvise(cookie) : hr;
}

class CommandBarsSim : public testing::Test {
protected:
    CommandBarsSim() {
        Mailbox& box = outlook.mailbox();
        Item& a = box.AddMail(box.Inbox(), L"ann@example.org", {L"me@example.com"}, L"one");
        Item& b = box.AddMail(box.Inbox(), L"bob@example.net", {L"me@example.com"}, L"two");
        box.Select({&a, &b});
        app = outlook.Application();
    }

    com_ptr<IDispatch> Bars() {
        auto explorer = Object(CallMethod(app.get(), L"ActiveExplorer"));
        return Object(GetProperty(explorer.get(), L"CommandBars"));
    }
    // A bar the way the add-in makes its toolbar.
    com_ptr<IDispatch> AddBar(const wchar_t* name) {
        return Object(CallMethod(Bars().get(), L"Add",
                                 {name, DispArg::Missing(), DispArg::Missing(), short(0)}));
    }
    com_ptr<IDispatch> Controls(IDispatch* owner) {
        return Object(GetProperty(owner, L"Controls"));
    }
    // A temporary button, last, the way the add-in adds its buttons.
    com_ptr<IDispatch> AddButton(IDispatch* controls, const wchar_t* tag) {
        auto button = Object(
            CallMethod(controls, L"Add",
                       {1, DispArg::Missing(), DispArg::Missing(), DispArg::Missing(), short(-1)}));
        EXPECT_EQ(Put(button.get(), L"Tag", tag), S_OK);
        return button;
    }

    OutlookSession outlook{L"11.0.0.8312"};
    com_ptr<IDispatch> app;
};

TEST_F(CommandBarsSim, BarsAreFoundByNameOnlyOnceAddedAndNamesStayUnique) {
    auto bars = Bars();
    const long count = GetProperty(bars.get(), L"Count").number();
    auto missing = CallMethod(bars.get(), L"Item", {L"Spamwarden"});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.error, E_INVALIDARG);

    auto added = AddBar(L"Spamwarden");
    EXPECT_EQ(GetProperty(bars.get(), L"Count").number(), count + 1);
    auto found = Object(CallMethod(bars.get(), L"Item", {L"SPAMWARDEN"}));
    EXPECT_EQ(GetProperty(found.get(), L"Name").text(), L"Spamwarden");
    auto last = Object(CallMethod(bars.get(), L"Item", {count + 1}));
    EXPECT_EQ(GetProperty(last.get(), L"Name").text(), L"Spamwarden");
    for (long index : {0L, count + 2})
        EXPECT_EQ(CallMethod(bars.get(), L"Item", {index}).error, E_INVALIDARG) << index;
    EXPECT_EQ(CallMethod(bars.get(), L"Add", {L"spamwarden"}).error, E_INVALIDARG);

    // New bars are hidden; every argument may be left out.
    EXPECT_FALSE(GetProperty(found.get(), L"Visible").number());
    auto custom = Object(CallMethod(bars.get(), L"Add"));
    EXPECT_EQ(GetProperty(custom.get(), L"Name").text(), L"Custom 1");
    Object(CallMethod(bars.get(), L"Add", {L"Scratch", 4, Bool(false), Bool(true)}));

    CommandBarSet& model = outlook.commandBars();
    ASSERT_TRUE(model.Find(L"Spamwarden"));
    EXPECT_FALSE(model.Find(L"Spamwarden")->temporary());
    EXPECT_FALSE(model.Find(L"Custom 1")->temporary());
    EXPECT_TRUE(model.Find(L"Scratch")->temporary());
    EXPECT_EQ(model.Find(L"Scratch")->position, 4);
}

TEST_F(CommandBarsSim, ControlsGoLastOrBeforeAPlaceAndOnlyButtonsAreButtons) {
    auto bar = AddBar(L"Spamwarden");
    auto controls = Controls(bar.get());
    AddButton(controls.get(), L"A");
    AddButton(controls.get(), L"C");
    auto popup = Object(CallMethod(controls.get(), L"Add",
                                   {10, DispArg::Missing(), DispArg::Missing(), 2, Bool(true)}));
    Put(popup.get(), L"Tag", L"B");
    for (long before : {0L, 5L}) {
        EXPECT_EQ(CallMethod(controls.get(), L"Add", {1, 1, L"", before}).error, E_INVALIDARG)
            << before;
    }
    EXPECT_EQ(CallMethod(controls.get(), L"Add", {99}).error, E_INVALIDARG);
    EXPECT_EQ(GetProperty(controls.get(), L"Count").number(), 3);

    std::vector<std::wstring> tags;
    for (long i = 1; i <= 3; ++i) {
        auto control = Object(CallMethod(controls.get(), L"Item", {i}));
        tags.push_back(GetProperty(control.get(), L"Tag").text());
        const bool isPopup = GetProperty(control.get(), L"Type").number() == 10;
        com_ptr<IDispatch> typed;
        EXPECT_EQ(control.query(kIidCommandBarButton, typed) == S_OK, !isPopup) << i;
        EXPECT_EQ(control.query(kIidCommandBarPopup, typed) == S_OK, isPopup) << i;
        EXPECT_EQ(control.query(kIidCommandBarControl, typed), S_OK) << i;
    }
    EXPECT_EQ(tags, (std::vector<std::wstring>{L"A", L"B", L"C"}));
    EXPECT_EQ(CallMethod(controls.get(), L"Item", {4}).error, E_INVALIDARG);

    // A popup holds controls of its own; it has no Click source.
    auto entries = Controls(popup.get());
    AddButton(entries.get(), L"B1");
    com_ptr<IConnectionPointContainer> container;
    EXPECT_EQ(popup.query(IID_IConnectionPointContainer, container), E_NOINTERFACE);

    const CommandBarControls& model = outlook.commandBars().Find(L"Spamwarden")->controls();
    ASSERT_EQ(model.size(), 3u);
    EXPECT_TRUE(model[0].temporary());
    EXPECT_TRUE(model[1].isPopup());
    EXPECT_EQ(model[1].controls()[0].tag, L"B1");
}

TEST_F(CommandBarsSim, ButtonPropertiesRoundTripAndThePictureIsKept) {
    auto button = AddButton(Controls(AddBar(L"Spamwarden").get()).get(), L"BlockSenders");
    EXPECT_EQ(Put(button.get(), L"Style", 1), S_OK);
    EXPECT_EQ(Put(button.get(), L"FaceId", 917), S_OK);
    EXPECT_EQ(Put(button.get(), L"Visible", Bool(false)), S_OK);
    EXPECT_EQ(Put(button.get(), L"Enabled", short(0)), S_OK);
    EXPECT_EQ(Put(button.get(), L"BeginGroup", Bool(true)), S_OK);
    EXPECT_EQ(Put(button.get(), L"TooltipText", L"Block Senders"), S_OK);
    EXPECT_EQ(Put(button.get(), L"Caption", L"&Block"), S_OK);
    EXPECT_EQ(GetProperty(button.get(), L"Style").number(), 1);
    EXPECT_EQ(GetProperty(button.get(), L"FaceId").number(), 917);
    EXPECT_EQ(GetProperty(button.get(), L"Visible").value.type(), VT_BOOL);
    EXPECT_EQ(GetProperty(button.get(), L"TooltipText").text(), L"Block Senders");
    EXPECT_EQ(GetProperty(button.get(), L"Caption").text(), L"&Block");

    // A 16 x 16 picture, as OleLoadPicture makes for the button images.
    HBITMAP bitmap = CreateBitmap(16, 16, 1, 32, nullptr);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    com_ptr<IDispatch> picture;
    ASSERT_EQ(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.put_void()), S_OK);
    EXPECT_EQ(Put(button.get(), L"Picture", picture.get()), S_OK);
    EXPECT_EQ(Object(GetProperty(button.get(), L"Picture")).get(), picture.get());
    EXPECT_EQ(Put(button.get(), L"Picture", app.get()), E_INVALIDARG);

    const CommandBarControl& model = outlook.commandBars().Find(L"Spamwarden")->controls()[0];
    EXPECT_EQ(model.style, 1);
    EXPECT_EQ(model.faceId, 917);
    EXPECT_FALSE(model.visible);
    EXPECT_FALSE(model.enabled);
    EXPECT_TRUE(model.beginGroup);
    EXPECT_EQ(model.tag, L"BlockSenders");
    EXPECT_EQ(model.pictureWidth(), 16);
    EXPECT_EQ(model.pictureHeight(), 16);
    EXPECT_EQ(model.picture().get(), picture.get());
}

TEST_F(CommandBarsSim, ClickReachesAdvisedSinksUntilTheyAreUnadvised) {
    auto bar = AddBar(L"Spamwarden");
    EXPECT_EQ(Put(bar.get(), L"Visible", Bool(true)), S_OK);
    auto button = AddButton(Controls(bar.get()).get(), L"Help");
    auto first = MakeSink(kIidCommandBarButtonEvents);
    auto second = MakeSink(kIidCommandBarButtonEvents);
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, first.get(), firstCookie), S_OK);
    ASSERT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, second.get(), secondCookie), S_OK);
    EXPECT_NE(firstCookie, 0u);
    EXPECT_NE(firstCookie, secondCookie);

    CommandBarControl& model = outlook.commandBars().Find(L"Spamwarden")->controls()[0];
    first->cancelDefault = true;
    ClickOutcome click = outlook.ClickControl(model);
    EXPECT_TRUE(click.clicked);
    EXPECT_EQ(click.sinksReached, 2u);
    EXPECT_TRUE(click.cancelDefault);
    ASSERT_EQ(first->events.size(), 1u);
    const TestSink::Event& event = first->events[0];
    EXPECT_EQ(event.id, kDispidClick);
    EXPECT_EQ(event.flags, DISPATCH_METHOD);
    EXPECT_EQ(event.lcid, 0u);
    EXPECT_TRUE(event.nullIid);
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{VT_DISPATCH, VT_BYREF | VT_BOOL}));
    ASSERT_EQ(event.objects.size(), 1u);
    EXPECT_EQ(GetProperty(event.objects[0].get(), L"Tag").text(), L"Help");
    first->events.clear();

    // A sink unadvised by an earlier sink's handler is not reached any more.
    first->onEvent = [&] {
        EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, secondCookie), S_OK);
    };
    EXPECT_EQ(outlook.ClickControl(model).sinksReached, 1u);
    EXPECT_EQ(second->events.size(), 1u);
    first->onEvent = nullptr;
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, secondCookie),
              CONNECT_E_NOCONNECTION);
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, firstCookie + 1000),
              CONNECT_E_NOCONNECTION);
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, firstCookie), S_OK);
    EXPECT_EQ(outlook.ClickControl(model).sinksReached, 0u);
    EXPECT_EQ(first->events.size(), 1u);

    // Controls the user cannot reach are not clicked.
    ASSERT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, first.get(), firstCookie), S_OK);
    Put(button.get(), L"Enabled", Bool(false));
    EXPECT_FALSE(outlook.ClickControl(model).clicked);
    Put(button.get(), L"Enabled", Bool(true));
    Put(bar.get(), L"Visible", Bool(false));
    EXPECT_FALSE(outlook.ClickControl(model).clicked);
    EXPECT_EQ(first->events.size(), 1u);
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, firstCookie), S_OK);

    // Wrong interfaces and sinks that do not answer the events are refused.
    HRESULT hr = S_OK;
    EXPECT_FALSE(FindPoint(button.get(), kIidCommandBarsEvents, &hr));
    EXPECT_EQ(hr, CONNECT_E_NOCONNECTION);
    auto stranger = MakeSink(kIidCommandBarsEvents);
    DWORD cookie = 0;
    EXPECT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, stranger.get(), cookie),
              CONNECT_E_CANNOTCONNECT);
    auto point = FindPoint(button.get(), kIidCommandBarButtonEvents);
    com_ptr<IEnumConnections> connections;
    EXPECT_EQ(point->EnumConnections(connections.put()), E_NOTIMPL);
}

TEST_F(CommandBarsSim, DeletedControlsLeaveTheirListAndAnswerNoMore) {
    auto controls = Controls(AddBar(L"Spamwarden").get());
    auto doomed = AddButton(controls.get(), L"A");
    AddButton(controls.get(), L"B");
    auto sink = MakeSink(kIidCommandBarButtonEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(doomed.get(), kIidCommandBarButtonEvents, sink.get(), cookie), S_OK);
    CommandBarControl& model = outlook.commandBars().Find(L"Spamwarden")->controls()[0];

    EXPECT_TRUE(CallMethod(doomed.get(), L"Delete").ok());
    EXPECT_EQ(GetProperty(controls.get(), L"Count").number(), 1);
    EXPECT_EQ(GetProperty(doomed.get(), L"Tag").error, kErrorRemovedObject);
    EXPECT_TRUE(model.removed());
    EXPECT_FALSE(outlook.ClickControl(model).clicked);
    // The sink stays held until it is unadvised.
    EXPECT_EQ(model.clickSinks().size(), 1u);
    EXPECT_EQ(Unadvise(doomed.get(), kIidCommandBarButtonEvents, cookie), S_OK);
    EXPECT_TRUE(sink->events.empty());
}

TEST_F(CommandBarsSim, ContextMenuRaisesItemContextMenuDisplayOnVersion12) {
    outlook.SetVersion(L"12.0.0.6423");
    auto display = MakeSink(kIidApplicationEvents11);
    auto update = MakeSink(kIidCommandBarsEvents);
    DWORD displayCookie = 0, updateCookie = 0;
    ASSERT_EQ(Advise(app.get(), kIidApplicationEvents11, display.get(), displayCookie), S_OK);
    ASSERT_EQ(Advise(Bars().get(), kIidCommandBarsEvents, update.get(), updateCookie), S_OK);

    // The add-in's way: a button second in the first "Junk" popup that has entries.
    display->onEvent = [&] {
        auto bar = display->events.back().objects.at(0);
        auto controls = Controls(bar.get());
        for (long i = 1; i <= GetProperty(controls.get(), L"Count").number(); ++i) {
            auto control = Object(CallMethod(controls.get(), L"Item", {i}));
            if (GetProperty(control.get(), L"Caption").text().find(L"Junk") == std::wstring::npos)
                continue;
            auto entries = Controls(control.get());
            if (GetProperty(entries.get(), L"Count").number() == 0)
                continue;
            auto item = Object(CallMethod(
                entries.get(), L"Add", {1, DispArg::Missing(), DispArg::Missing(), 2, short(-1)}));
            Put(item.get(), L"Caption", L"Block");
            break;
        }
    };
    MenuLayout layout = DefaultContextMenu(12);
    layout.insert(layout.begin(), MenuEntry::Popup(L"Junk", {}));
    ContextMenuDisplay shown = outlook.ShowContextMenu(layout);
    EXPECT_EQ(shown.sinksReached, 1u);
    EXPECT_TRUE(update->events.empty());
    ASSERT_EQ(display->events.size(), 1u);
    const TestSink::Event& event = display->events[0];
    EXPECT_EQ(event.id, kDispidItemContextMenuDisplay);
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{VT_DISPATCH, VT_DISPATCH}));
    EXPECT_EQ(GetProperty(event.objects[0].get(), L"Name").text(), L"Context Menu");
    EXPECT_EQ(GetProperty(event.objects[1].get(), L"Count").number(), 2);

    // The menu is one of the command bars while it is shown.
    ASSERT_TRUE(shown.bar);
    EXPECT_EQ(outlook.commandBars().Find(L"Context Menu"), shown.bar);
    const CommandBarControls& menu = shown.bar->controls();
    EXPECT_TRUE(menu[0].controls().empty());
    const std::vector<std::wstring> captions = menu.captions();
    const auto junk = std::find(captions.begin(), captions.end(), L"Junk E-mail");
    ASSERT_NE(junk, captions.end());
    const CommandBarControl& junkMail = menu[static_cast<size_t>(junk - captions.begin())];
    EXPECT_EQ(junkMail.controls().captions().at(0), L"Add Sender to Blocked Senders List");
    EXPECT_EQ(junkMail.controls().captions().at(1), L"Block");
    EXPECT_EQ(captions.back(), L"Message Options...");

    display->events.clear();
    outlook.CloseContextMenu();
    EXPECT_FALSE(outlook.commandBars().Find(L"Context Menu"));
    EXPECT_EQ(Unadvise(app.get(), kIidApplicationEvents11, displayCookie), S_OK);
    EXPECT_EQ(outlook.ShowContextMenu().sinksReached, 0u);
    EXPECT_EQ(Unadvise(Bars().get(), kIidCommandBarsEvents, updateCookie), S_OK);
}

TEST_F(CommandBarsSim, OlderHostsRaiseOnUpdateAndLaterOnesNeitherEvent) {
    auto display = MakeSink(kIidApplicationEvents11);
    auto update = MakeSink(kIidCommandBarsEvents);
    DWORD displayCookie = 0, updateCookie = 0;
    ASSERT_EQ(Advise(app.get(), kIidApplicationEvents11, display.get(), displayCookie), S_OK);
    ASSERT_EQ(Advise(Bars().get(), kIidCommandBarsEvents, update.get(), updateCookie), S_OK);

    // The OnUpdate handler finds the shown menu among the command bars.
    std::wstring lastBar;
    update->onEvent = [&] {
        auto bars = Bars();
        const long count = GetProperty(bars.get(), L"Count").number();
        lastBar =
            GetProperty(Object(CallMethod(bars.get(), L"Item", {count})).get(), L"Name").text();
    };
    EXPECT_EQ(outlook.ShowContextMenu().sinksReached, 1u);
    EXPECT_EQ(lastBar, L"Context Menu");
    ASSERT_EQ(update->events.size(), 1u);
    EXPECT_EQ(update->events[0].id, kDispidOnUpdate);
    EXPECT_TRUE(update->events[0].types.empty());
    EXPECT_EQ(outlook.FireOnUpdate(), 1u);
    EXPECT_TRUE(display->events.empty());

    outlook.SetVersion(L"14.0.0.4760");
    EXPECT_EQ(outlook.ShowContextMenu().sinksReached, 0u);
    EXPECT_EQ(update->events.size(), 2u);
    EXPECT_TRUE(display->events.empty());
    EXPECT_EQ(Unadvise(app.get(), kIidApplicationEvents11, displayCookie), S_OK);
    EXPECT_EQ(Unadvise(Bars().get(), kIidCommandBarsEvents, updateCookie), S_OK);
}

TEST_F(CommandBarsSim, RestartDropsTemporaryControlsAndSinksButKeepsTheBar) {
    const auto start = outlook.References();
    {
        auto bar = AddBar(L"Spamwarden");
        auto controls = Controls(bar.get());
        auto button = AddButton(controls.get(), L"BlockSenders");
        auto kept = Object(CallMethod(controls.get(), L"Add"));
        Put(kept.get(), L"Tag", L"Kept");
        Object(CallMethod(Bars().get(), L"Add",
                          {L"Scratch", DispArg::Missing(), DispArg::Missing(), Bool(true)}));
        DWORD cookie = 0;
        ASSERT_EQ(Advise(button.get(), kIidCommandBarButtonEvents,
                         MakeSink(kIidCommandBarButtonEvents).get(), cookie),
                  S_OK);
    }
    outlook.ShowContextMenu();
    EXPECT_EQ(outlook.References().at(kAdvisedSinkKind), (RefCount{0, 1}));

    outlook.Restart();
    EXPECT_EQ(outlook.References(), start);
    CommandBarSet& model = outlook.commandBars();
    EXPECT_FALSE(model.Find(L"Scratch"));
    EXPECT_FALSE(model.contextMenu());
    ASSERT_TRUE(model.Find(L"Spamwarden"));
    EXPECT_EQ(model.Find(L"Spamwarden")->controls().size(), 1u);
    EXPECT_EQ(model.Find(L"Spamwarden")->controls()[0].tag, L"Kept");

    // The next run finds its bar and adds its buttons anew.
    auto bar = Object(CallMethod(Bars().get(), L"Item", {L"Spamwarden"}));
    AddButton(Controls(bar.get()).get(), L"BlockSenders");
    EXPECT_EQ(model.Find(L"Spamwarden")->controls().size(), 2u);
}

TEST_F(CommandBarsSim, FaultsFailAddAndAdviseAndChangeNothing) {
    auto controls = Controls(AddBar(L"Spamwarden").get());
    outlook.faults().Add(Fault::Fail(L"Add", kHostError).On(L"CommandBarControls").OnCall(2));
    auto button = AddButton(controls.get(), L"A");
    auto failed = CallMethod(controls.get(), L"Add", {1});
    EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.error, kHostError);
    EXPECT_EQ(outlook.commandBars().Find(L"Spamwarden")->controls().size(), 1u);

    const auto before = outlook.References();
    outlook.calls().Clear();
    outlook.faults().Add(Fault::Fail(L"Advise", kHostError).On(L"ConnectionPoint").OnCall(1));
    auto sink = MakeSink(kIidCommandBarButtonEvents);
    DWORD cookie = 0;
    EXPECT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, sink.get(), cookie), kHostError);
    EXPECT_EQ(outlook.References(), before);
    EXPECT_EQ(outlook.calls().lines(),
              (std::vector<std::wstring>{
                  L"CommandBarButton.QueryInterface({B196B284-BAB4-101A-B69C-00AA00341D07})",
                  L"CommandBarButton.FindConnectionPoint", L"ConnectionPoint.Advise"}));

    outlook.faults().Add(Fault::Fail(L"FindConnectionPoint", kHostError).OnCall(1));
    EXPECT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, sink.get(), cookie), kHostError);
    outlook.faults().Add(Fault::FailQuery(IID_IConnectionPointContainer).OnCall(1));
    EXPECT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, sink.get(), cookie), E_NOINTERFACE);
    EXPECT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, sink.get(), cookie), S_OK);
    outlook.faults().Add(Fault::Fail(L"Unadvise", kHostError).OnCall(1));
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, cookie), kHostError);
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, cookie), S_OK);
}

TEST_F(CommandBarsSim, ReferencesReturnToTheirStartAndALeftSinkShowsUp) {
    app = nullptr;
    const auto start = outlook.References();
    auto sink = MakeSink(kIidCommandBarButtonEvents);
    DWORD cookie = 0;
    {
        auto host = outlook.Application();
        auto explorer = Object(CallMethod(host.get(), L"ActiveExplorer"));
        auto bars = Object(GetProperty(explorer.get(), L"CommandBars"));
        auto bar = Object(CallMethod(bars.get(), L"Add", {L"Spamwarden"}));
        Put(bar.get(), L"Visible", Bool(true));
        auto controls = Controls(bar.get());
        auto control = AddButton(controls.get(), L"Help");
        com_ptr<IDispatch> button;
        ASSERT_EQ(control.query(kIidCommandBarButton, button), S_OK);
        ASSERT_EQ(Advise(button.get(), kIidCommandBarButtonEvents, sink.get(), cookie), S_OK);
        auto popup = Object(CallMethod(controls.get(), L"Add", {10}));
        AddButton(Controls(popup.get()).get(), L"Inner");
    }
    EXPECT_EQ(outlook.References().at(kAdvisedSinkKind), (RefCount{0, 1}));
    // Clicks after the add-in let go of every object still reach the sink.
    CommandBarControl& model = outlook.commandBars().Find(L"Spamwarden")->controls()[0];
    EXPECT_EQ(outlook.ClickControl(model).sinksReached, 1u);
    sink->events.clear();
    auto host = outlook.Application();
    auto bars = Object(
        GetProperty(Object(CallMethod(host.get(), L"ActiveExplorer")).get(), L"CommandBars"));
    auto bar = Object(CallMethod(bars.get(), L"Item", {L"Spamwarden"}));
    auto button = Object(CallMethod(Controls(bar.get()).get(), L"Item", {1}));
    EXPECT_EQ(Unadvise(button.get(), kIidCommandBarButtonEvents, cookie), S_OK);
    bars = bar = button = host = nullptr;
    EXPECT_EQ(outlook.References(), start);
    EXPECT_EQ(outlook.ClickControl(model).sinksReached, 0u);
}

} // namespace
} // namespace sw::sim
