#include "addin/resource_text.h"
#include "addin/ribbon.h"
#include "platform/automation.h"
#include "platform/resource_ids.h"
#include "tests/addin/resource_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kExpected =
    "<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" "
    "onLoad=\"OnRibbonLoad\">\n"
    "<ribbon>\n"
    "<tabs>\n"
    "<tab idMso=\"TabMail\">\n"
    "<group id=\"Spamwarden\" label=\"Spamwarden\" insertAfterMso=\"GroupMailDelete\">\n"
    "<button id=\"BlockSenders\" getImage=\"GetBlockSenderImage\" size=\"large\" "
    "label=\"Block Senders\" onAction=\"OnBlockSenders\"/>\n"
    "<button id=\"BlockDomain\" getImage=\"GetBlockDomainImage\" size=\"large\" "
    "label=\"Block Domains\" onAction=\"OnBlockDomains\"/>\n"
    "<button id=\"ManBlockedSenders\" imageMso=\"PropertySheet\" size=\"normal\" "
    "label=\"Options\" onAction=\"OnManageBlockedSenders\"/>\n"
    "<button id=\"Mailsentinel_Support\" imageMso=\"QuickSearchHasEmailAddress\" "
    "size=\"normal\" label=\"Support\" onAction=\"OnRibbonSupport\"/>\n"
    "<button id=\"Mailsentinel_Help\" imageMso=\"ShapeHelp\" size=\"normal\" label=\"Help\" "
    "onAction=\"OnRibbonHelp\"/>\n"
    "</group>\n"
    "</tab>\n"
    "</tabs>\n"
    "</ribbon>\n"
    "<contextMenus>\n"
    "<contextMenu idMso=\"ContextMenuMailItem\">\n"
    "<menu idMso=\"JunkMenu\">\n"
    "<button id=\"BlockSenderDomain\" label=\"Add Sender's Domain to Blocked Senders List\" "
    "insertAfterMso=\"JunkEmailAddToBlockedSendersList\" onAction=\"OnBlockSingleDomain\"/>\n"
    "</menu>\n"
    "</contextMenu>\n"
    "<contextMenu idMso=\"ContextMenuMultipleItems\">\n"
    "<menu id=\"SpamwardenMenu\" label=\"Junk\">\n"
    "<button id=\"BlockSendersMenuItem\" label=\"Add Senders to Blocked Senders List\" "
    "onAction=\"OnBlockSenders\"/>\n"
    "<button id=\"BlockDomainsMenuItem\" label=\"Add Domains to Blocked Senders List\" "
    "onAction=\"OnBlockDomains\"/>\n"
    "</menu>\n"
    "</contextMenu>\n"
    "</contextMenus>\n"
    "</customUI>";

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

// The value of ` name="value"` in a tag; empty when the tag lacks it.
std::string_view Attribute(std::string_view tag, std::string_view name) {
    for (size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
        size_t value = at + name.size() + 2;
        if (at > 0 && tag[at - 1] == ' ' && tag.substr(at + name.size(), 2) == "=\"")
            return tag.substr(value, tag.find('"', value) - value);
    }
    return {};
}

TEST(RibbonDocument, ResourceHoldsTheDocumentByteForByte) {
    std::string_view bytes = sw::test::ResourceBytes(RT_RCDATA, IDR_RIBBON_XML);
    EXPECT_EQ(bytes, kExpected);
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(),
                            [](char c) { return c > 0 && static_cast<unsigned char>(c) < 0x80; }));
    EXPECT_EQ(bytes.find('\r'), std::string_view::npos);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '>');
    EXPECT_EQ(Lines(bytes).size(), 28u);
}

TEST(RibbonDocument, GroupHoldsTheFiveButtonsInOrder) {
    std::vector<std::string_view> lines = Lines(sw::test::ResourceBytes(RT_RCDATA, IDR_RIBBON_XML));
    ASSERT_EQ(lines.size(), 28u);
    EXPECT_TRUE(lines[4].starts_with("<group id=\"Spamwarden\""));
    const char* labels[] = {"Block Senders", "Block Domains", "Options", "Support", "Help"};
    for (size_t i = 0; i < 5; ++i) {
        std::string_view line = lines[5 + i];
        EXPECT_TRUE(line.starts_with("<button ") && line.ends_with("\"/>")) << line;
        EXPECT_EQ(Attribute(line, "label"), labels[i]);
    }
    EXPECT_EQ(lines[10], "</group>");
}

// The ribbon document and the registration script are UTF-8: a character
// beyond ASCII comes out the same under every system code page.
TEST(Utf8Resource, DecodesUtf8WhateverTheCodePageAndRefusesAnythingElse) {
    const HRESULT notUtf8 = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
    struct Case {
        std::string_view bytes;
        std::wstring text; // what comes out; "unchanged" when refused
        HRESULT hr;
    };
    const Case cases[] = {
        {"<customUI/>", L"<customUI/>", S_OK},
        {"Caf\xC3\xA9 \xE2\x82\xAC", L"Caf\u00e9 \u20ac", S_OK},
        {"\xF0\x9F\x93\xA7", L"\U0001F4E7", S_OK},
        {"\xEF\xBB\xBF<x/>", L"<x/>", S_OK},
        {"", L"", S_OK},
        {"Caf\xE9", L"unchanged", notUtf8},  // the ANSI code page's bytes
        {"\xC3", L"unchanged", notUtf8},     // cut off
        {"\xC0\xAF", L"unchanged", notUtf8}, // overlong
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bytes));
        std::wstring text = L"unchanged";
        EXPECT_EQ(sw::DecodeUtf8Resource(c.bytes, text), c.hr);
        EXPECT_EQ(text, c.text);
    }
}

TEST(GetRibbonDocument, ExplorerRibbonInAnyCaseGetsTheDocument) {
    const std::wstring expected(kExpected.begin(), kExpected.end());
    for (const wchar_t* id : {L"Microsoft.Outlook.Explorer", L"microsoft.outlook.explorer",
                              L"MICROSOFT.OUTLOOK.EXPLORER"}) {
        sw::unique_bstr ribbonId(id);
        sw::unique_bstr xml;
        ASSERT_EQ(sw::GetRibbonDocument(ribbonId.get(), xml.put()), S_OK);
        EXPECT_EQ(xml.str(), expected);
    }
}

TEST(GetRibbonDocument, OtherRibbonsAreRefusedAndTheOutputKept) {
    const std::wstring embeddedNul(L"Microsoft.Outlook.Explorer\0x", 28);
    sw::unique_bstr sentinel(L"untouched");
    for (std::wstring_view id : {std::wstring_view(L"Microsoft.Outlook.Mail.Read"),
                                 std::wstring_view(L"Microsoft.Outlook.Explorer "),
                                 std::wstring_view(L"Microsoft.Outlook.Explore"),
                                 std::wstring_view(L""), std::wstring_view(embeddedNul)}) {
        sw::unique_bstr ribbonId(id);
        BSTR xml = sentinel.get();
        EXPECT_EQ(sw::GetRibbonDocument(ribbonId.get(), &xml), E_POINTER);
        EXPECT_EQ(xml, sentinel.get());
    }
    BSTR xml = sentinel.get();
    EXPECT_EQ(sw::GetRibbonDocument(nullptr, &xml), E_POINTER);
    EXPECT_EQ(xml, sentinel.get());
}

TEST(GetRibbonDocument, NullOutputIsRefused) {
    sw::unique_bstr ribbonId(L"Microsoft.Outlook.Explorer");
    EXPECT_EQ(sw::GetRibbonDocument(ribbonId.get(), nullptr), E_POINTER);
}

} // namespace
