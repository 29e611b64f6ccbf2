// The simulated Outlook object model, driven only through IDispatch the way
// the add-in drives the real host.
#include "sim/outlook/dispatch_client.h"
#include "sim/outlook/objects.h"
#include "sim/outlook/outlook_ids.h"
#include "sim/outlook/outlook_session.h"

#include <gtest/gtest.h>

#include <ostream>

namespace sw::sim {

void PrintTo(const RefCount& count, std::ostream* os) {
    *os << count.objects << " object(s), " << count.references << " reference(s)";
}

namespace {

constexpr HRESULT kHostError = HRESULT(0x80040301);

com_ptr<IDispatch> Object(const DispatchResult& r) {
    EXPECT_TRUE(r.ok()) << std::hex << r.hr;
    return r.object();
}

class OutlookSim : public testing::Test {
protected:
    OutlookSim() {
        Mailbox& box = outlook.mailbox();
        ann = &box.AddMail(box.Inbox(), L"ann@example.org", {L"me@example.com"}, L"one");
        bob =
            &box.AddMail(box.Inbox(), L"bob@example.net", {L"me@example.com", L"x@y.org"}, L"two");
        box.Select({ann, bob});
        app = outlook.Application();
    }

    com_ptr<IDispatch> Explorer() { return Object(CallMethod(app.get(), L"ActiveExplorer")); }
    com_ptr<IDispatch> Selection() { return Object(GetProperty(Explorer().get(), L"Selection")); }
    com_ptr<IDispatch> MakeStoreFor(Store& store) { return MakeStore(outlook.hostShare(), store); }
    com_ptr<IDispatch> Junk() {
        auto ns = Object(CallMethod(app.get(), L"GetNamespace", {L"MAPI"}));
        return Object(CallMethod(ns.get(), L"GetDefaultFolder", {23}));
    }

    OutlookSession outlook{L"12.0.0.6423"};
    Item* ann = nullptr;
    Item* bob = nullptr;
    com_ptr<IDispatch> app;
};

TEST_F(OutlookSim, ResolvesNamesWithoutRegardToCaseAndRejectsUnknownOnes) {
    DISPID lower = 0, upper = 0, unknown = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"version"), const_cast<LPOLESTR>(L"VERSION"),
                        const_cast<LPOLESTR>(L"Quit")};
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &names[0], 1, 0, &lower), S_OK);
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &names[1], 1, 0, &upper), S_OK);
    EXPECT_EQ(lower, upper);
    EXPECT_EQ(app->GetIDsOfNames(IID_NULL, &names[2], 1, 0, &unknown), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(unknown, DISPID_UNKNOWN);
    EXPECT_EQ(GetProperty(app.get(), L"vErSiOn").text(), L"12.0.0.6423");

    // Members keep their kind: a method is not a property get.
    EXPECT_EQ(GetProperty(app.get(), L"ActiveExplorer").hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(InvokeName(app.get(), L"ActiveExplorer", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {})
                  .value.type(),
              VT_DISPATCH);
    EXPECT_EQ(InvokeId(app.get(), 4711, DISPATCH_METHOD, {}).hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(OutlookSim, ApplicationAnswersItsInterfaceVersionAndExplorer) {
    com_ptr<IDispatch> typed;
    ASSERT_EQ(app.query(kIidApplication, typed), S_OK);
    EXPECT_EQ(typed.get(), app.get());
    outlook.SetVersion(L"14.0.0.4760");
    EXPECT_EQ(GetProperty(app.get(), L"Version").text(), L"14.0.0.4760");
    EXPECT_EQ(CallMethod(app.get(), L"GetNamespace", {L"OTHER"}).error, E_INVALIDARG);

    outlook.mailbox().SetExplorerOpen(false);
    auto none = CallMethod(app.get(), L"ActiveExplorer");
    EXPECT_EQ(none.hr, S_OK);
    EXPECT_EQ(none.value.type(), VT_DISPATCH);
    EXPECT_FALSE(none.object());
}

TEST_F(OutlookSim, FoldersReportTheirItemTypeAndDefaultFoldersTheirNumber) {
    Mailbox& box = outlook.mailbox();
    const std::vector<std::pair<Folder*, long>> folders = {{&box.Inbox(), 0},
                                                           {&box.Calendar(), 1},
                                                           {&box.Contacts(), 2},
                                                           {&box.AddFolder(L"Lists"), 0}};
    for (auto [folder, type] : folders) {
        box.ShowFolder(*folder);
        auto current = Object(GetProperty(Explorer().get(), L"CurrentFolder"));
        EXPECT_EQ(GetProperty(current.get(), L"DefaultItemType").number(), type);
        EXPECT_EQ(GetProperty(current.get(), L"Name").text(), folder->name());
    }
    EXPECT_EQ(GetProperty(Junk().get(), L"Name").text(), L"Junk E-mail");

    // The index coerces from VT_I2, VT_BSTR and by reference.
    auto ns = Object(CallMethod(app.get(), L"GetNamespace", {L"MAPI"}));
    VARIANT byRef;
    V_VT(&byRef) = VT_I4;
    V_I4(&byRef) = 10;
    EXPECT_EQ(
        GetProperty(Object(CallMethod(ns.get(), L"GetDefaultFolder", {short(9)})).get(), L"Name")
            .text(),
        L"Calendar");
    EXPECT_EQ(GetProperty(Object(CallMethod(ns.get(), L"GetDefaultFolder", {L"6"})).get(), L"Name")
                  .text(),
              L"Inbox");
    EXPECT_EQ(GetProperty(
                  Object(CallMethod(ns.get(), L"GetDefaultFolder", {DispArg::ByRef(&byRef)})).get(),
                  L"Name")
                  .text(),
              L"Contacts");
    auto missing = CallMethod(ns.get(), L"GetDefaultFolder", {99});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.error, kErrorNotFound);
    EXPECT_EQ(CallMethod(ns.get(), L"GetDefaultFolder", {L"junk"}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(CallMethod(ns.get(), L"GetDefaultFolder").hr, DISP_E_BADPARAMCOUNT);
}

TEST_F(OutlookSim, CollectionsIndexFromOne) {
    auto selection = Selection();
    EXPECT_EQ(GetProperty(selection.get(), L"Count").number(), 2);
    EXPECT_EQ(
        GetProperty(Object(CallMethod(selection.get(), L"Item", {1})).get(), L"Subject").text(),
        L"one");
    auto second = Object(CallMethod(selection.get(), L"Item", {2}));
    for (long index : {0L, 3L, -1L})
        EXPECT_EQ(CallMethod(selection.get(), L"Item", {index}).error, DISP_E_BADINDEX) << index;

    auto recipients = Object(GetProperty(second.get(), L"Recipients"));
    EXPECT_EQ(GetProperty(recipients.get(), L"Count").number(), 2);
    EXPECT_EQ(
        GetProperty(Object(CallMethod(recipients.get(), L"Item", {2})).get(), L"Address").text(),
        L"x@y.org");
    EXPECT_EQ(CallMethod(recipients.get(), L"Item", {3}).error, DISP_E_BADINDEX);
}

TEST_F(OutlookSim, OnlyMailMessagesAnswerTheMailItemInterface) {
    Mailbox& box = outlook.mailbox();
    Item& meeting = box.AddItem(box.Inbox(), ItemKind::MeetingRequest, L"meet");
    Item& report = box.AddItem(box.Inbox(), ItemKind::Report, L"undeliverable");
    Item& contact = box.AddItem(box.Contacts(), ItemKind::Contact, L"Ann");
    box.Select({ann, &meeting, &report, &contact});
    auto selection = Selection();
    for (long i = 1; i <= 4; ++i) {
        auto item = Object(CallMethod(selection.get(), L"Item", {i}));
        com_ptr<IDispatch> mail;
        EXPECT_EQ(item.query(kIidMailItem, mail) == S_OK, i == 1) << i;
    }
    auto contactItem = Object(CallMethod(selection.get(), L"Item", {4}));
    EXPECT_EQ(GetProperty(contactItem.get(), L"SenderEmailAddress").hr, DISP_E_UNKNOWNNAME);
    EXPECT_EQ(GetProperty(contactItem.get(), L"Class").number(), object_class::Contact);
}

TEST_F(OutlookSim, MoveMovesTheItemAndAnswersItInItsNewPlace) {
    auto selection = Selection();
    auto first = Object(CallMethod(selection.get(), L"Item", {1}));
    auto junk = Junk();
    auto moved = CallMethod(first.get(), L"Move", {junk.get()});
    EXPECT_EQ(GetProperty(Object(moved).get(), L"Subject").text(), L"one");

    Mailbox& box = outlook.mailbox();
    EXPECT_TRUE(box.JunkEmail().contains(*ann));
    EXPECT_EQ(box.Inbox().subjects(), std::vector<std::wstring>{L"two"});
    // The selection object keeps what was selected; the view has lost the item.
    EXPECT_EQ(GetProperty(selection.get(), L"Count").number(), 2);
    EXPECT_EQ(box.selection(), std::vector<Item*>{bob});
    auto junkItems = Object(GetProperty(junk.get(), L"Items"));
    EXPECT_EQ(GetProperty(junkItems.get(), L"Count").number(), 1);

    EXPECT_EQ(CallMethod(first.get(), L"Move", {app.get()}).hr, DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(box.JunkEmail().contains(*ann));
}

// The profile's stores by host version: Namespace.Stores and Folder.Store
// from 12, Store.GetDefaultFolder from 14; ids find another store's items
// only with its StoreID; a move into another store gives a new EntryID.
TEST_F(OutlookSim, StoresAnswerByHostVersionAndIdsFindTheirItemsOnlyInTheirStore) {
    Mailbox& box = outlook.mailbox();
    Store& imap = box.AddStore(L"me@outlook.example", StoreType::NotExchange, true);
    Store& archive = box.AddStore(L"Archive", StoreType::NotExchange, false);
    Store& publicFolders = box.AddStore(L"Public Folders", StoreType::PublicFolders, true);
    Store& boss = box.AddStore(L"Boss", StoreType::DelegateMailbox, true);
    box.OpenShared(*boss.DefaultFolder(default_folder::Inbox));
    Folder& imapInbox = *imap.DefaultFolder(default_folder::Inbox);
    Item& remote = box.AddMail(imapInbox, L"cy@example.org", {L"me@outlook.example"});
    EXPECT_EQ(publicFolders.DefaultFolder(default_folder::Inbox), nullptr);
    EXPECT_EQ(archive.DefaultFolder(default_folder::Junk), nullptr);

    for (const wchar_t* version : {L"11.0.0.8312", L"12.0.0.6423", L"14.0.0.4760"}) {
        SCOPED_TRACE(version);
        outlook.SetVersion(version);
        const long major = outlook.majorVersion();
        auto ns = Object(CallMethod(app.get(), L"GetNamespace", {L"MAPI"}));
        auto inbox = Object(CallMethod(ns.get(), L"GetDefaultFolder", {6}));
        auto stores = GetProperty(ns.get(), L"Stores");
        auto store = GetProperty(inbox.get(), L"Store");
        if (major < 12) {
            EXPECT_EQ(stores.hr, DISP_E_UNKNOWNNAME);
            EXPECT_EQ(store.hr, DISP_E_UNKNOWNNAME);
            continue;
        }
        EXPECT_EQ(GetProperty(Object(stores).get(), L"Count").number(), 5);
        auto second = Object(CallMethod(Object(stores).get(), L"Item", {2}));
        EXPECT_EQ(GetProperty(second.get(), L"StoreID").text(), imap.storeId());
        EXPECT_EQ(GetProperty(second.get(), L"DisplayName").text(), L"me@outlook.example");
        EXPECT_EQ(GetProperty(second.get(), L"ExchangeStoreType").number(), 3);
        EXPECT_EQ(GetProperty(Object(store).get(), L"StoreID").text(), box.storeId());
        EXPECT_EQ(GetProperty(Object(store).get(), L"ExchangeStoreType").number(), 0);
        auto junk = CallMethod(second.get(), L"GetDefaultFolder", {23});
        if (major < 14) {
            EXPECT_EQ(junk.hr, DISP_E_UNKNOWNNAME);
        } else {
            EXPECT_EQ(GetProperty(Object(junk).get(), L"EntryID").text(),
                      imap.DefaultFolder(default_folder::Junk)->entryId());
            auto none = CallMethod(MakeStoreFor(archive).get(), L"GetDefaultFolder", {23});
            EXPECT_EQ(none.hr, S_OK);
            EXPECT_EQ(none.object().get(), nullptr)
                << "a store without a Junk folder answers nothing";
        }
        // A shared folder opened as a delegate's has no Store.
        auto shared = MakeFolder(outlook.hostShare(), *boss.DefaultFolder(default_folder::Inbox));
        auto noStore = GetProperty(shared.get(), L"Store");
        EXPECT_EQ(noStore.hr, S_OK);
        EXPECT_EQ(noStore.object().get(), nullptr);
        EXPECT_EQ(GetProperty(shared.get(), L"StoreID").text(), boss.storeId());
    }

    // Without a StoreID only the default store's items and folders are found.
    auto ns = Object(CallMethod(app.get(), L"GetNamespace", {L"MAPI"}));
    EXPECT_EQ(CallMethod(ns.get(), L"GetItemFromID", {remote.entryId.c_str()}).error,
              HRESULT(kErrorNotFound));
    EXPECT_EQ(CallMethod(ns.get(), L"GetFolderFromID", {imapInbox.entryId().c_str()}).error,
              HRESULT(kErrorNotFound));
    auto found = Object(
        CallMethod(ns.get(), L"GetItemFromID", {remote.entryId.c_str(), imap.storeId().c_str()}));
    EXPECT_TRUE(CallMethod(ns.get(), L"GetFolderFromID",
                           {imapInbox.entryId().c_str(), imap.storeId().c_str()})
                    .ok());
    EXPECT_EQ(CallMethod(ns.get(), L"GetItemFromID", {ann->entryId.c_str(), imap.storeId().c_str()})
                  .error,
              HRESULT(kErrorNotFound));

    // Within a store an item keeps its EntryID; into another store it gets a new one.
    const std::wstring before = remote.entryId;
    auto imapJunk = MakeFolder(outlook.hostShare(), *imap.DefaultFolder(default_folder::Junk));
    auto moved = Object(CallMethod(found.get(), L"Move", {imapJunk.get()}));
    EXPECT_EQ(GetProperty(moved.get(), L"EntryID").text(), before);
    auto movedAway = Object(CallMethod(moved.get(), L"Move", {Junk().get()}));
    EXPECT_NE(GetProperty(movedAway.get(), L"EntryID").text(), before);
    EXPECT_TRUE(box.JunkEmail().contains(remote));
    EXPECT_TRUE(CallMethod(ns.get(), L"GetItemFromID", {remote.entryId.c_str()}).ok());

    // Every store member is under the fault plan.
    outlook.faults().Add(Fault::Fail(L"ExchangeStoreType", kHostError).On(L"Store"));
    auto store =
        Object(GetProperty(Object(CallMethod(ns.get(), L"GetDefaultFolder", {6})).get(), L"Store"));
    EXPECT_EQ(GetProperty(store.get(), L"ExchangeStoreType").error, kHostError);
}

TEST_F(OutlookSim, FaultOnTheNthCallOnlyOrFromTheNthOn) {
    auto selection = Selection();
    outlook.faults().Add(Fault::Fail(L"item", kHostError).OnCall(2));
    EXPECT_TRUE(CallMethod(selection.get(), L"Item", {1}).ok());
    auto failed = CallMethod(selection.get(), L"Item", {1});
    EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.error, kHostError);
    EXPECT_TRUE(CallMethod(selection.get(), L"Item", {1}).ok());

    outlook.faults().Clear();
    outlook.faults().Add(Fault::Fail(L"Count", E_ACCESSDENIED).FromCall(2));
    EXPECT_TRUE(GetProperty(selection.get(), L"Count").ok());
    EXPECT_EQ(GetProperty(selection.get(), L"Count").error, E_ACCESSDENIED);
    EXPECT_EQ(GetProperty(selection.get(), L"Count").error, E_ACCESSDENIED);
    EXPECT_EQ(outlook.faults().firedCount(), 2u);

    // Without an EXCEPINFO the caller gets the code itself.
    DISPPARAMS none{};
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Count");
    ASSERT_EQ(selection->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
    EXPECT_EQ(
        selection->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
        E_ACCESSDENIED);
}

TEST_F(OutlookSim, FailedMoveMovesNothingButAnEmptyAnswerStillMoves) {
    auto first = Object(CallMethod(Selection().get(), L"Item", {1}));
    auto junk = Junk();
    outlook.faults().Add(Fault::Fail(L"Move", kHostError).OnCall(1));
    outlook.faults().Add(Fault::ReturnEmpty(L"Move").OnCall(2));
    EXPECT_EQ(CallMethod(first.get(), L"Move", {junk.get()}).error, kHostError);
    EXPECT_TRUE(outlook.mailbox().Inbox().contains(*ann));
    auto empty = CallMethod(first.get(), L"Move", {junk.get()});
    EXPECT_EQ(empty.hr, S_OK);
    EXPECT_EQ(empty.value.type(), VT_EMPTY);
    EXPECT_TRUE(outlook.mailbox().JunkEmail().contains(*ann));
}

TEST_F(OutlookSim, FaultsCanAnswerNothingAndBeLimitedToOneKindOfObject) {
    outlook.faults().Add(Fault::ReturnNullObject(L"Item").On(L"Recipients"));
    outlook.faults().Add(Fault::ReturnEmpty(L"SenderEmailAddress"));
    auto first = Object(CallMethod(Selection().get(), L"Item", {1}));
    auto recipients = Object(GetProperty(first.get(), L"Recipients"));
    auto recipient = CallMethod(recipients.get(), L"Item", {1});
    EXPECT_EQ(recipient.hr, S_OK);
    EXPECT_EQ(recipient.value.type(), VT_DISPATCH);
    EXPECT_FALSE(recipient.object());
    EXPECT_EQ(GetProperty(first.get(), L"SenderEmailAddress").value.type(), VT_EMPTY);

    outlook.faults().Add(Fault::FailQuery(kIidMailItem).On(L"MailItem").OnCall(1));
    com_ptr<IDispatch> mail;
    EXPECT_EQ(first.query(kIidMailItem, mail), E_NOINTERFACE);
    EXPECT_FALSE(mail);
    EXPECT_EQ(first.query(kIidMailItem, mail), S_OK);
}

// What a blocking command asks of the host, stopping at the first failure.
HRESULT WalkSelection(IDispatch* app) {
    auto step = [](const DispatchResult& r, com_ptr<IDispatch>* out = nullptr) {
        if (!r.ok())
            return r.error;
        if (out && !(*out = r.object()))
            return E_POINTER;
        return S_OK;
    };
    com_ptr<IDispatch> explorer, folder, ns, junk, selection;
    HRESULT hr = S_OK;
    if (FAILED(hr = step(CallMethod(app, L"ActiveExplorer"), &explorer)) ||
        FAILED(hr = step(GetProperty(explorer.get(), L"CurrentFolder"), &folder)) ||
        FAILED(hr = step(GetProperty(folder.get(), L"DefaultItemType"))) ||
        FAILED(hr = step(CallMethod(app, L"GetNamespace", {L"MAPI"}), &ns)) ||
        FAILED(hr = step(CallMethod(ns.get(), L"GetDefaultFolder", {23}), &junk)) ||
        FAILED(hr = step(GetProperty(explorer.get(), L"Selection"), &selection)))
        return hr;
    auto count = GetProperty(selection.get(), L"Count");
    if (!count.ok())
        return count.error;
    for (long i = 1; i <= count.number(); ++i) {
        com_ptr<IDispatch> item, mail, recipients;
        if (FAILED(hr = step(CallMethod(selection.get(), L"Item", {i}), &item)))
            return hr;
        if (FAILED(item.query(kIidMailItem, mail)))
            continue;
        if (FAILED(hr = step(GetProperty(mail.get(), L"SenderEmailAddress"))) ||
            FAILED(hr = step(GetProperty(mail.get(), L"Recipients"), &recipients)) ||
            FAILED(hr = step(CallMethod(mail.get(), L"Move", {junk.get()}))))
            return hr;
    }
    return S_OK;
}

TEST_F(OutlookSim, CallLogListsEveryHostCallSoThatEachCanBeFailedInTurn) {
    app = nullptr;
    const auto start = outlook.References();
    {
        auto host = outlook.Application();
        ASSERT_EQ(WalkSelection(host.get()), S_OK);
    }
    EXPECT_EQ(outlook.References(), start);
    const CallLog log = outlook.calls();
    const auto mailQuery = L"MailItem.QueryInterface({00063034-0000-0000-C000-000000000046})";
    EXPECT_EQ(
        log.lines(),
        (std::vector<std::wstring>{
            L"Application.ActiveExplorer", L"Explorer.CurrentFolder", L"Folder.DefaultItemType",
            L"Application.GetNamespace", L"Namespace.GetDefaultFolder", L"Explorer.Selection",
            L"Selection.Count", L"Selection.Item", mailQuery, L"MailItem.SenderEmailAddress",
            L"MailItem.Recipients", L"MailItem.Move", L"Selection.Item", mailQuery,
            L"MailItem.SenderEmailAddress", L"MailItem.Recipients", L"MailItem.Move"}));
    EXPECT_EQ(log.Occurrence(12), 2u);

    for (size_t i = 0; i < log.size(); ++i) {
        OutlookSession rerun;
        Mailbox& box = rerun.mailbox();
        Item& a = box.AddMail(box.Inbox(), L"ann@example.org", {L"me@example.com"});
        Item& b = box.AddMail(box.Inbox(), L"bob@example.net", {L"me@example.com"});
        box.Select({&a, &b});
        rerun.faults().Add(Fault::FailRecorded(log, i, kHostError));
        const auto before = rerun.References();
        HRESULT hr = WalkSelection(rerun.Application().get());
        EXPECT_EQ(rerun.faults().firedCount(), 1u) << i;
        ASSERT_GT(rerun.calls().size(), i);
        EXPECT_EQ(rerun.calls().records()[i], log.records()[i]) << i;
        if (!log.records()[i].isQuery()) { // a failed query only skips the item
            EXPECT_EQ(hr, kHostError) << i;
            EXPECT_EQ(rerun.calls().size(), i + 1);
        }
        EXPECT_EQ(rerun.References(), before) << i;
    }
}

TEST_F(OutlookSim, ReferenceCountsReturnToTheirStartOnlyWhenEverythingIsReleased) {
    const auto start = outlook.References();
    EXPECT_EQ(start.at(L"Application"), (RefCount{1, 2})); // the session's and the fixture's
    com_ptr<IDispatch> kept;
    {
        auto selection = Selection();
        auto item = Object(CallMethod(selection.get(), L"Item", {2}));
        auto recipients = Object(GetProperty(item.get(), L"Recipients"));
        kept = Object(CallMethod(recipients.get(), L"Item", {1}));
        Object(CallMethod(item.get(), L"Move", {Junk().get()}));
    }
    auto leaked = outlook.References();
    EXPECT_EQ(leaked.at(L"Recipient"), (RefCount{1, 1}));
    EXPECT_EQ(leaked.size(), start.size() + 1);
    kept = nullptr;
    EXPECT_EQ(outlook.References(), start);
}

} // namespace
} // namespace sw::sim
