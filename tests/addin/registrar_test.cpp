#include "addin/registrar.h"
#include "tests/harness/registry_sandbox.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace sw::test {
namespace {

constexpr wchar_t kScript[] = LR"(
HKCU
{
    NoRemove Software
    {
        Tallpine.Test = s 'It''s a test'
        {
            val Count = d 0x10
            ForceRemove '{0000-KEY}' = s '%MODULE%'
            {
                val Mode = s 'Apartment'
                ForceRemove Empty
            }
        }
    }
})";

TEST(Registrar, ParsesTheScriptWithReplacements) {
    auto roots = ParseRegistrationScript(kScript, {{L"MODULE", L"C:\\x.dll"}});
    ASSERT_EQ(roots.size(), 1u);
    EXPECT_EQ(roots[0].root, HKEY_CURRENT_USER);
    const ScriptKey& software = roots[0].keys.at(0);
    EXPECT_TRUE(software.noRemove);
    const ScriptKey& test = software.children.at(0);
    EXPECT_EQ(test.name, L"Tallpine.Test");
    ASSERT_EQ(test.values.size(), 2u);
    EXPECT_EQ(test.values[0].text, L"It's a test");
    EXPECT_EQ(test.values[1].number, 16u);
    const ScriptKey& guid = test.children.at(0);
    EXPECT_TRUE(guid.forceRemove);
    EXPECT_EQ(guid.name, L"{0000-KEY}");
    EXPECT_EQ(guid.values.at(0).text, L"C:\\x.dll");
}

TEST(Registrar, RejectsMalformedScripts) {
    for (const wchar_t* bad :
         {L"HKXX { }", L"HKCU { Key = s 'unterminated }", L"HKCU { Key = q 'x' }",
          L"HKCU { Key { val V = d 12abc } }", L"HKCU { Key", L"HKCU { val V = s 'x' }"})
        EXPECT_THROW(ParseRegistrationScript(bad, {}), std::invalid_argument) << bad;
}

TEST(Registrar, ForceRemoveRewritesAndRemovalKeepsNoRemoveKeys) {
    RegistrySandbox sandbox;
    auto roots = ParseRegistrationScript(kScript, {{L"MODULE", L"C:\\x.dll"}});
    const std::wstring key = L"Software\\Tallpine.Test\\{0000-KEY}";
    RegistrySandbox::CreateKey(key + L"\\Leftover");
    ASSERT_EQ(RegisterScript(roots), S_OK);
    EXPECT_FALSE(RegistrySandbox::KeyExists(key + L"\\Leftover"));
    EXPECT_TRUE(RegistrySandbox::KeyExists(key + L"\\Empty"));
    EXPECT_EQ(RegistrySandbox::GetText(key, L"Mode"), L"Apartment");

    RegistrySandbox::CreateKey(L"Software\\Other");
    UnregisterScript(roots);
    EXPECT_FALSE(RegistrySandbox::KeyExists(L"Software\\Tallpine.Test"));
    EXPECT_TRUE(RegistrySandbox::KeyExists(L"Software\\Other"));
}

} // namespace
} // namespace sw::test
