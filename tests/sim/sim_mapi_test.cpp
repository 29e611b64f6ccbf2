// The simulated MAPI provider's own contract (sim/mapi): the allocator, the
// profile administration object and the profile table, called directly and
// through Wine's mapi32, which forwards to it.
#include "tests/harness/registry_sandbox.h"
#include "tests/sim/sim_mapi_provider.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mapix.h>
#include <mapitags.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::kLegacyProfilesKey;
using test::kSimMapiConfigKey;
using test::OutlookKey;
using test::RegistrySandbox;

constexpr IID kIidMapiTable = {0x00020301, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidProfAdmin = {0x0002031C, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidMapiProp = {0x00020303, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

using FreeProwsFn = void(WINAPI*)(LPSRowSet);

class SimMapiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_provider.loaded()) << "SimMapi.dll is not registered in this Wine prefix";
        m_before = m_provider.counts();
        m_allocateBuffer = m_provider.proc<LPMAPIALLOCATEBUFFER>("MAPIAllocateBuffer");
        m_allocateMore = m_provider.proc<LPMAPIALLOCATEMORE>("MAPIAllocateMore");
        m_freeBuffer = m_provider.proc<LPMAPIFREEBUFFER>("MAPIFreeBuffer");
        m_adminProfiles = m_provider.proc<LPMAPIADMINPROFILES>("MAPIAdminProfiles");
        ASSERT_TRUE(m_allocateBuffer && m_allocateMore && m_freeBuffer && m_adminProfiles);
    }

    void TearDown() override {
        const SimMapiCounts after = m_provider.counts();
        EXPECT_EQ(after.profAdmins, 0);
        EXPECT_EQ(after.tables, 0);
        EXPECT_EQ(after.buffers, m_before.buffers);
    }

    // Alpha, Bravo (the default) and Charlie in the legacy location.
    static void AddSampleProfiles() {
        for (const wchar_t* name : {L"Alpha", L"Bravo", L"Charlie"})
            RegistrySandbox::CreateKey(std::wstring(kLegacyProfilesKey) + L"\\" + name);
        RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"Bravo");
    }

    IProfAdmin* NewAdmin() {
        IProfAdmin* admin = nullptr;
        EXPECT_EQ(m_adminProfiles(0, &admin), S_OK);
        return admin;
    }

    IMAPITable* NewTable(ULONG flags = 0) {
        IProfAdmin* admin = NewAdmin();
        if (!admin)
            return nullptr;
        IMAPITable* table = nullptr;
        EXPECT_EQ(admin->GetProfileTable(flags, &table), S_OK);
        admin->Release();
        return table;
    }

    void FreeRows(LPSRowSet rows) {
        if (!rows)
            return;
        for (ULONG i = 0; i < rows->cRows; ++i)
            m_freeBuffer(rows->aRow[i].lpProps);
        m_freeBuffer(rows);
    }

    // The names (first column, 8-bit) of the next `count` rows.
    std::vector<std::string> ReadNames(IMAPITable* table, LONG count) {
        std::vector<std::string> names;
        LPSRowSet rows = nullptr;
        EXPECT_EQ(table->QueryRows(count, 0, &rows), S_OK);
        if (!rows)
            return names;
        for (ULONG i = 0; i < rows->cRows; ++i) {
            const SRow& row = rows->aRow[i];
            EXPECT_GE(row.cValues, 1u);
            if (row.cValues >= 1 && row.lpProps[0].ulPropTag == PR_DISPLAY_NAME_A)
                names.emplace_back(row.lpProps[0].Value.lpszA);
            else
                names.emplace_back("<not a PR_DISPLAY_NAME_A>");
        }
        FreeRows(rows);
        return names;
    }

    using Names = std::vector<std::string>;

    RegistrySandbox m_sandbox;
    test::SimMapiProvider m_provider;
    SimMapiCounts m_before = {};
    LPMAPIALLOCATEBUFFER m_allocateBuffer = nullptr;
    LPMAPIALLOCATEMORE m_allocateMore = nullptr;
    LPMAPIFREEBUFFER m_freeBuffer = nullptr;
    LPMAPIADMINPROFILES m_adminProfiles = nullptr;
};

SPropValue BoolValue(ULONG tag, bool value) {
    SPropValue prop = {};
    prop.ulPropTag = tag;
    prop.Value.b = value ? 1 : 0;
    return prop;
}

SPropValue AnsiValue(ULONG tag, const char* text) {
    SPropValue prop = {};
    prop.ulPropTag = tag;
    prop.Value.lpszA = const_cast<char*>(text);
    return prop;
}

SRestriction PropertyRestriction(ULONG relop, SPropValue& value) {
    SRestriction restriction = {};
    restriction.rt = RES_PROPERTY;
    restriction.res.resProperty.relop = relop;
    restriction.res.resProperty.ulPropTag = value.ulPropTag;
    restriction.res.resProperty.lpProp = &value;
    return restriction;
}

// --- The allocator -------------------------------------------------------

TEST_F(SimMapiTest, FreeingABufferFreesTheBuffersLinkedToIt) {
    void* root = nullptr;
    ASSERT_EQ(m_allocateBuffer(24, &root), S_OK);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(root) % MEMORY_ALLOCATION_ALIGNMENT, 0u);
    std::memset(root, 0xAB, 24);
    for (ULONG size : {0u, 1u, 100u}) {
        void* more = nullptr;
        ASSERT_EQ(m_allocateMore(size, root, &more), S_OK);
        ASSERT_NE(more, nullptr);
        std::memset(more, 0xCD, size);
    }
    EXPECT_EQ(m_provider.counts().buffers, m_before.buffers + 4);

    EXPECT_EQ(m_freeBuffer(root), 0u);
    EXPECT_EQ(m_provider.counts().buffers, m_before.buffers);
}

TEST_F(SimMapiTest, OnlyABufferFromAllocateBufferCanOwnOthers) {
    void* root = nullptr;
    void* child = nullptr;
    ASSERT_EQ(m_allocateBuffer(8, &root), S_OK);
    ASSERT_EQ(m_allocateMore(8, root, &child), S_OK);

    void* grandchild = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_allocateMore(8, child, &grandchild), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(grandchild, nullptr);
    EXPECT_EQ(m_allocateMore(8, nullptr, &grandchild), MAPI_E_INVALID_PARAMETER);
    // A linked buffer goes only with its owner.
    EXPECT_NE(m_freeBuffer(child), 0u);
    EXPECT_EQ(m_provider.counts().buffers, m_before.buffers + 2);

    EXPECT_EQ(m_freeBuffer(nullptr), 0u);
    EXPECT_EQ(m_freeBuffer(root), 0u);
}

TEST_F(SimMapiTest, Mapi32ForwardsTheAllocatorToTheProvider) {
    HMODULE mapi = LoadLibraryExW(L"mapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ASSERT_NE(mapi, nullptr);
    auto allocateBuffer = reinterpret_cast<LPMAPIALLOCATEBUFFER>(
        reinterpret_cast<void*>(GetProcAddress(mapi, "MAPIAllocateBuffer")));
    auto allocateMore = reinterpret_cast<LPMAPIALLOCATEMORE>(
        reinterpret_cast<void*>(GetProcAddress(mapi, "MAPIAllocateMore")));
    auto freeBuffer = reinterpret_cast<LPMAPIFREEBUFFER>(
        reinterpret_cast<void*>(GetProcAddress(mapi, "MAPIFreeBuffer")));
    ASSERT_TRUE(allocateBuffer && allocateMore && freeBuffer);

    void* root = nullptr;
    void* more = nullptr;
    ASSERT_EQ(allocateBuffer(16, &root), S_OK);
    ASSERT_EQ(allocateMore(16, root, &more), S_OK);
    EXPECT_EQ(m_provider.counts().buffers, m_before.buffers + 2);
    // What mapi32 hands out, the provider frees, and the other way round.
    EXPECT_EQ(m_freeBuffer(root), 0u);
    EXPECT_EQ(m_provider.counts().buffers, m_before.buffers);
    ASSERT_EQ(m_allocateBuffer(16, &root), S_OK);
    EXPECT_EQ(freeBuffer(root), 0u);
    FreeLibrary(mapi);
}

// --- Profile administration through mapi32 -------------------------------

TEST_F(SimMapiTest, Mapi32ForwardsMAPIAdminProfilesByNameAndOrdinals) {
    AddSampleProfiles();
    HMODULE mapi = LoadLibraryExW(L"mapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ASSERT_NE(mapi, nullptr);
    auto freeProws =
        reinterpret_cast<FreeProwsFn>(reinterpret_cast<void*>(GetProcAddress(mapi, "FreeProws@4")));
    ASSERT_NE(freeProws, nullptr);

    const LPCSTR names[] = {MAKEINTRESOURCEA(18), MAKEINTRESOURCEA(19), "MAPIAdminProfiles"};
    for (LPCSTR name : names) {
        auto adminProfiles = reinterpret_cast<LPMAPIADMINPROFILES>(
            reinterpret_cast<void*>(GetProcAddress(mapi, name)));
        ASSERT_NE(adminProfiles, nullptr);
        const LONG callsBefore = m_provider.counts().adminProfilesCalls;
        IProfAdmin* admin = nullptr;
        ASSERT_EQ(adminProfiles(0, &admin), S_OK);
        ASSERT_NE(admin, nullptr);
        EXPECT_EQ(m_provider.counts().adminProfilesCalls, callsBefore + 1);

        IMAPITable* table = nullptr;
        ASSERT_EQ(admin->GetProfileTable(0, &table), S_OK);
        LPSRowSet rows = nullptr;
        ASSERT_EQ(table->QueryRows(10, 0, &rows), S_OK);
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->cRows, 3u);
        EXPECT_GT(m_provider.counts().buffers, m_before.buffers);
        // mapi32's FreeProws frees the rows through the provider's allocator.
        freeProws(rows);
        EXPECT_EQ(m_provider.counts().buffers, m_before.buffers);
        table->Release();
        admin->Release();
    }
    FreeLibrary(mapi);
}

TEST_F(SimMapiTest, AdminProfilesRejectsUnknownFlagsAndANullOutput) {
    IProfAdmin* admin = reinterpret_cast<IProfAdmin*>(1);
    EXPECT_EQ(m_adminProfiles(0x40, &admin), MAPI_E_UNKNOWN_FLAGS);
    EXPECT_EQ(admin, nullptr);
    EXPECT_EQ(m_adminProfiles(0, nullptr), MAPI_E_INVALID_PARAMETER);
}

// --- Objects and reference counts ----------------------------------------

TEST_F(SimMapiTest, ObjectsCountTheirReferences) {
    IProfAdmin* admin = NewAdmin();
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(m_provider.counts().profAdmins, 1);
    EXPECT_EQ(admin->AddRef(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(admin->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(admin));
    IProfAdmin* again = nullptr;
    ASSERT_EQ(admin->QueryInterface(kIidProfAdmin, reinterpret_cast<void**>(&again)), S_OK);
    EXPECT_EQ(again, admin);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(admin->QueryInterface(kIidMapiTable, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(again->Release(), 3u);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(admin->Release(), 1u);

    IMAPITable* table = nullptr;
    ASSERT_EQ(admin->GetProfileTable(0, &table), S_OK);
    EXPECT_EQ(m_provider.counts().tables, 1);
    // The table does not need the administration object.
    EXPECT_EQ(admin->Release(), 0u);
    EXPECT_EQ(m_provider.counts().profAdmins, 0);
    ULONG count = 99;
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 0u);
    IMAPITable* sameTable = nullptr;
    ASSERT_EQ(table->QueryInterface(kIidMapiTable, reinterpret_cast<void**>(&sameTable)), S_OK);
    EXPECT_EQ(sameTable, table);
    EXPECT_EQ(table->QueryInterface(kIidMapiProp, &other), E_NOINTERFACE);
    EXPECT_EQ(sameTable->Release(), 1u);
    EXPECT_EQ(table->Release(), 0u);
    EXPECT_EQ(m_provider.counts().tables, 0);
}

TEST_F(SimMapiTest, InitializationSucceedsAndUnloadingWaitsForLiveObjects) {
    auto initialize = m_provider.proc<LPMAPIINITIALIZE>("MAPIInitialize");
    auto uninitialize = m_provider.proc<LPMAPIUNINITIALIZE>("MAPIUninitialize");
    auto canUnloadNow = m_provider.proc<HRESULT(WINAPI*)()>("DllCanUnloadNow");
    ASSERT_TRUE(initialize && uninitialize && canUnloadNow);
    MAPIINIT_0 init = {MAPI_INIT_VERSION, 0};
    EXPECT_EQ(initialize(&init), S_OK);
    EXPECT_EQ(initialize(nullptr), S_OK);
    uninitialize();
    uninitialize();

    EXPECT_EQ(canUnloadNow(), S_OK);
    IProfAdmin* admin = NewAdmin();
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    admin->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(SimMapiTest, OtherAdministrationIsNotSupported) {
    IProfAdmin* admin = NewAdmin();
    ASSERT_NE(admin, nullptr);
    wchar_t name[] = L"New";
    EXPECT_EQ(admin->CreateProfile(name, nullptr, 0, 0), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(admin->DeleteProfile(name, 0), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(admin->SetDefaultProfile(name, 0), MAPI_E_NO_SUPPORT);
    LPSERVICEADMIN services = nullptr;
    EXPECT_EQ(admin->AdminServices(name, nullptr, 0, 0, &services), MAPI_E_NO_SUPPORT);
    IMAPITable* table = reinterpret_cast<IMAPITable*>(1);
    EXPECT_EQ(admin->GetProfileTable(0x1, &table), MAPI_E_UNKNOWN_FLAGS);
    EXPECT_EQ(table, nullptr);
    admin->Release();
}

// --- The profile table ---------------------------------------------------

TEST_F(SimMapiTest, ListsEveryProfileWithItsNameAndDefaultFlag) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    ULONG count = 0;
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 3u);

    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(10, 0, &rows), S_OK);
    ASSERT_NE(rows, nullptr);
    ASSERT_EQ(rows->cRows, 3u);
    const char* names[] = {"Alpha", "Bravo", "Charlie"};
    for (ULONG i = 0; i < 3; ++i) {
        const SRow& row = rows->aRow[i];
        ASSERT_EQ(row.cValues, 2u);
        EXPECT_EQ(row.lpProps[0].ulPropTag, PR_DISPLAY_NAME_A);
        EXPECT_STREQ(row.lpProps[0].Value.lpszA, names[i]);
        EXPECT_EQ(row.lpProps[1].ulPropTag, PR_DEFAULT_PROFILE);
        EXPECT_EQ(row.lpProps[1].Value.b != 0, i == 1) << names[i];
    }
    FreeRows(rows);
    // The cursor is at the end now.
    EXPECT_EQ(ReadNames(table, 1), Names{});
    table->Release();
}

TEST_F(SimMapiTest, UnicodeTablesGiveWideNames) {
    AddSampleProfiles();
    IMAPITable* table = NewTable(MAPI_UNICODE);
    ASSERT_NE(table, nullptr);
    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    EXPECT_EQ(rows->aRow[0].lpProps[0].ulPropTag, PR_DISPLAY_NAME_W);
    EXPECT_STREQ(rows->aRow[0].lpProps[0].Value.lpszW, L"Alpha");
    FreeRows(rows);
    table->Release();
}

TEST_F(SimMapiTest, AMissingProfilesKeyGivesAnEmptyTable) {
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->cRows, 0u);
    FreeRows(rows);
    table->Release();
}

TEST_F(SimMapiTest, EachTableIsASnapshotOfTheRegistryWhenItWasMade) {
    AddSampleProfiles();
    IMAPITable* before = NewTable();
    ASSERT_NE(before, nullptr);
    RegistrySandbox::DeleteKey(std::wstring(kLegacyProfilesKey) + L"\\Alpha");
    RegistrySandbox::SetDword(kSimMapiConfigKey, L"OutlookVersion", 16);
    RegistrySandbox::CreateKey(OutlookKey(16) + L"\\Profiles\\Delta");

    IMAPITable* after = NewTable();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(ReadNames(before, 10), (Names{"Alpha", "Bravo", "Charlie"}));
    EXPECT_EQ(ReadNames(after, 10), Names{"Delta"});
    before->Release();
    after->Release();
}

TEST_F(SimMapiTest, TheDefaultNameIsMatchedWithoutRegardToCase) {
    AddSampleProfiles();
    RegistrySandbox::SetText(kLegacyProfilesKey, L"DefaultProfile", L"CHARLIE");
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    SPropValue isDefault = BoolValue(PR_DEFAULT_PROFILE, true);
    SRestriction restriction = PropertyRestriction(RELOP_EQ, isDefault);
    ASSERT_EQ(table->Restrict(&restriction, TBL_BATCH), S_OK);
    EXPECT_EQ(ReadNames(table, 10), Names{"Charlie"});
    table->Release();
}

TEST_F(SimMapiTest, RestrictKeepsTheMatchingRowsAndNullLiftsIt) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    ULONG count = 0;

    SPropValue isDefault = BoolValue(PR_DEFAULT_PROFILE, true);
    SRestriction defaultOnly = PropertyRestriction(RELOP_EQ, isDefault);
    ASSERT_EQ(table->Restrict(&defaultOnly, TBL_BATCH), S_OK);
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(ReadNames(table, 10), Names{"Bravo"});

    SRestriction others = PropertyRestriction(RELOP_NE, isDefault);
    ASSERT_EQ(table->Restrict(&others, TBL_BATCH), S_OK);
    EXPECT_EQ(ReadNames(table, 10), (Names{"Alpha", "Charlie"}));

    SPropValue name = AnsiValue(PR_DISPLAY_NAME_A, "charlie");
    SRestriction byName = PropertyRestriction(RELOP_EQ, name);
    ASSERT_EQ(table->Restrict(&byName, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), Names{"Charlie"});
    SRestriction notByName = PropertyRestriction(RELOP_NE, name);
    ASSERT_EQ(table->Restrict(&notByName, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), (Names{"Alpha", "Bravo"}));

    // A restriction moves the cursor back to the beginning.
    ASSERT_EQ(table->Restrict(nullptr, 0), S_OK);
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(ReadNames(table, 10), (Names{"Alpha", "Bravo", "Charlie"}));
    table->Release();
}

TEST_F(SimMapiTest, CompoundRestrictionsAndPropertiesRowsLack) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);

    SPropValue isDefault = BoolValue(PR_DEFAULT_PROFILE, true);
    SPropValue alpha = AnsiValue(PR_DISPLAY_NAME_A, "Alpha");
    SRestriction parts[] = {PropertyRestriction(RELOP_EQ, isDefault),
                            PropertyRestriction(RELOP_EQ, alpha)};
    SRestriction either = {};
    either.rt = RES_OR;
    either.res.resOr.cRes = 2;
    either.res.resOr.lpRes = parts;
    ASSERT_EQ(table->Restrict(&either, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), (Names{"Alpha", "Bravo"}));

    SRestriction neither = {};
    neither.rt = RES_NOT;
    neither.res.resNot.lpRes = &either;
    ASSERT_EQ(table->Restrict(&neither, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), Names{"Charlie"});

    SRestriction both = {};
    both.rt = RES_AND;
    both.res.resAnd.cRes = 2;
    both.res.resAnd.lpRes = parts;
    ASSERT_EQ(table->Restrict(&both, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), Names{});

    // No row has an e-mail address: neither "equal" nor "not equal" holds.
    SPropValue address = AnsiValue(PR_EMAIL_ADDRESS_A, "x@example.com");
    SRestriction byAddress = PropertyRestriction(RELOP_NE, address);
    ASSERT_EQ(table->Restrict(&byAddress, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), Names{});
    SRestriction exists = {};
    exists.rt = RES_EXIST;
    exists.res.resExist.ulPropTag = PR_DEFAULT_PROFILE;
    ASSERT_EQ(table->Restrict(&exists, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 10), (Names{"Alpha", "Bravo", "Charlie"}));
    table->Release();
}

TEST_F(SimMapiTest, UnsupportedRestrictionsAreRefusedAndChangeNothing) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    SPropValue name = AnsiValue(PR_DISPLAY_NAME_A, "A.*");
    SRestriction regex = PropertyRestriction(RELOP_RE, name);
    EXPECT_EQ(table->Restrict(&regex, 0), MAPI_E_TOO_COMPLEX);
    SRestriction content = {};
    content.rt = RES_CONTENT;
    content.res.resContent.ulFuzzyLevel = FL_SUBSTRING;
    content.res.resContent.ulPropTag = PR_DISPLAY_NAME_A;
    content.res.resContent.lpProp = &name;
    EXPECT_EQ(table->Restrict(&content, 0), MAPI_E_TOO_COMPLEX);
    EXPECT_EQ(table->FindRow(&content, BOOKMARK_BEGINNING, 0), MAPI_E_TOO_COMPLEX);
    SPropValue flag = BoolValue(PR_DEFAULT_PROFILE, true);
    SRestriction mismatched = PropertyRestriction(RELOP_EQ, flag);
    mismatched.res.resProperty.ulPropTag = PR_DISPLAY_NAME_A;
    EXPECT_EQ(table->Restrict(&mismatched, 0), MAPI_E_INVALID_PARAMETER);
    EXPECT_EQ(table->FindRow(nullptr, BOOKMARK_BEGINNING, 0), MAPI_E_INVALID_PARAMETER);

    ULONG count = 0;
    EXPECT_EQ(table->GetRowCount(0, &count), S_OK);
    EXPECT_EQ(count, 3u);
    table->Release();
}

TEST_F(SimMapiTest, FindRowPutsTheCursorOnTheFirstMatchingRow) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    SPropValue isDefault = BoolValue(PR_DEFAULT_PROFILE, true);
    SRestriction defaultOnly = PropertyRestriction(RELOP_EQ, isDefault);

    ASSERT_EQ(table->FindRow(&defaultOnly, BOOKMARK_BEGINNING, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 1), Names{"Bravo"});
    // From the row after it, no other default follows.
    EXPECT_EQ(table->FindRow(&defaultOnly, BOOKMARK_CURRENT, 0), MAPI_E_NOT_FOUND);
    EXPECT_EQ(ReadNames(table, 1), Names{}) << "a failed forward search ends at the end";

    SPropValue notDefault = BoolValue(PR_DEFAULT_PROFILE, false);
    SRestriction others = PropertyRestriction(RELOP_EQ, notDefault);
    ASSERT_EQ(table->FindRow(&others, BOOKMARK_END, DIR_BACKWARD), S_OK);
    EXPECT_EQ(ReadNames(table, 1), Names{"Charlie"});
    ASSERT_EQ(table->FindRow(&others, BOOKMARK_BEGINNING, 0), S_OK);
    EXPECT_EQ(ReadNames(table, 1), Names{"Alpha"});

    SPropValue nobody = AnsiValue(PR_DISPLAY_NAME_A, "Nobody");
    SRestriction byName = PropertyRestriction(RELOP_EQ, nobody);
    EXPECT_EQ(table->FindRow(&byName, BOOKMARK_BEGINNING, 0), MAPI_E_NOT_FOUND);
    EXPECT_EQ(table->FindRow(&byName, BOOKMARK_BEGINNING, 0x100), MAPI_E_UNKNOWN_FLAGS);
    table->Release();
}

TEST_F(SimMapiTest, SeekRowMovesTheCursorWithinTheTable) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    LONG sought = 0;
    ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 2, &sought), S_OK);
    EXPECT_EQ(sought, 2);
    EXPECT_EQ(ReadNames(table, 5), Names{"Charlie"});
    ASSERT_EQ(table->SeekRow(BOOKMARK_CURRENT, -10, &sought), S_OK);
    EXPECT_EQ(sought, -3);
    ASSERT_EQ(table->SeekRow(BOOKMARK_END, 5, &sought), S_OK);
    EXPECT_EQ(sought, 0);
    ASSERT_EQ(table->SeekRow(BOOKMARK_END, -1, nullptr), S_OK);
    EXPECT_EQ(ReadNames(table, 5), Names{"Charlie"});

    BOOKMARK mark = 0;
    ASSERT_EQ(table->SeekRow(BOOKMARK_BEGINNING, 1, nullptr), S_OK);
    ASSERT_EQ(table->CreateBookmark(&mark), S_OK);
    ASSERT_EQ(table->SeekRow(BOOKMARK_END, 0, nullptr), S_OK);
    ASSERT_EQ(table->SeekRow(mark, 0, &sought), S_OK);
    EXPECT_EQ(ReadNames(table, 1), Names{"Bravo"});
    EXPECT_EQ(table->FreeBookmark(mark), S_OK);
    EXPECT_EQ(table->SeekRow(mark, 0, nullptr), MAPI_E_INVALID_BOOKMARK);
    table->Release();
}

TEST_F(SimMapiTest, QueryRowsReadsFromTheCursorAndAdvances) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(1, TBL_NOADVANCE, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    FreeRows(rows);
    EXPECT_EQ(ReadNames(table, 2), (Names{"Alpha", "Bravo"}));
    EXPECT_EQ(ReadNames(table, -1), Names{"Bravo"}) << "a negative count reads backwards";
    EXPECT_EQ(ReadNames(table, 5), (Names{"Bravo", "Charlie"}));
    EXPECT_EQ(table->QueryRows(1, 0, nullptr), MAPI_E_INVALID_PARAMETER);
    table->Release();
}

TEST_F(SimMapiTest, ColumnsCanBeQueriedAndSet) {
    AddSampleProfiles();
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    LPSPropTagArray columns = nullptr;
    ASSERT_EQ(table->QueryColumns(0, &columns), S_OK);
    ASSERT_NE(columns, nullptr);
    ASSERT_EQ(columns->cValues, 2u);
    EXPECT_EQ(columns->aulPropTag[0], PR_DISPLAY_NAME_A);
    EXPECT_EQ(columns->aulPropTag[1], PR_DEFAULT_PROFILE);
    m_freeBuffer(columns);

    SizedSPropTagArray(3, wanted) = {3,
                                     {PR_DEFAULT_PROFILE, PR_EMAIL_ADDRESS_A, PR_DISPLAY_NAME_W}};
    ASSERT_EQ(table->SetColumns(reinterpret_cast<LPSPropTagArray>(&wanted), 0), S_OK);
    LPSRowSet rows = nullptr;
    ASSERT_EQ(table->QueryRows(1, 0, &rows), S_OK);
    ASSERT_EQ(rows->cRows, 1u);
    const SRow& row = rows->aRow[0];
    ASSERT_EQ(row.cValues, 3u);
    EXPECT_EQ(row.lpProps[0].ulPropTag, PR_DEFAULT_PROFILE);
    EXPECT_EQ(row.lpProps[1].ulPropTag, CHANGE_PROP_TYPE(PR_EMAIL_ADDRESS_A, PT_ERROR));
    EXPECT_EQ(row.lpProps[1].Value.err, MAPI_E_NOT_FOUND);
    EXPECT_EQ(row.lpProps[2].ulPropTag, PR_DISPLAY_NAME_W);
    EXPECT_STREQ(row.lpProps[2].Value.lpszW, L"Alpha");
    FreeRows(rows);
    table->Release();
}

TEST_F(SimMapiTest, OtherTableOperationsAreNotSupported) {
    IMAPITable* table = NewTable();
    ASSERT_NE(table, nullptr);
    ULONG connection = 0;
    EXPECT_EQ(table->Advise(0, nullptr, &connection), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(table->SortTable(nullptr, 0), MAPI_E_NO_SUPPORT);
    LPSSortOrderSet order = nullptr;
    EXPECT_EQ(table->QuerySortOrder(&order), MAPI_E_NO_SUPPORT);
    EXPECT_EQ(table->Abort(), MAPI_E_NO_SUPPORT);
    table->Release();
}

} // namespace
} // namespace sw
