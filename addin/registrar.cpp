#include "addin/registrar.h"

#include "platform/registry_key.h"

#include <cwctype>
#include <stdexcept>

namespace sw {
namespace {

class Tokenizer {
public:
    explicit Tokenizer(std::wstring_view text) : m_text(text) {}

    // The next token: "{", "}", "=", a quoted text (quotes removed, '' is one
    // quote) or a bare word; empty at the end.
    std::wstring Next(bool* quoted = nullptr) {
        if (quoted)
            *quoted = false;
        while (m_pos < m_text.size() && std::iswspace(m_text[m_pos]))
            ++m_pos;
        if (m_pos >= m_text.size())
            return {};
        const wchar_t c = m_text[m_pos];
        if (c == L'{' || c == L'}' || c == L'=') {
            ++m_pos;
            return std::wstring(1, c);
        }
        if (c == L'\'') {
            if (quoted)
                *quoted = true;
            std::wstring text;
            for (++m_pos;; ++m_pos) {
                if (m_pos >= m_text.size())
                    throw std::invalid_argument("unterminated quoted text");
                if (m_text[m_pos] == L'\'') {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == L'\'') {
                        text.push_back(L'\'');
                        ++m_pos;
                        continue;
                    }
                    ++m_pos;
                    return text;
                }
                text.push_back(m_text[m_pos]);
            }
        }
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !std::iswspace(m_text[m_pos]) && m_text[m_pos] != L'{' &&
               m_text[m_pos] != L'}' && m_text[m_pos] != L'=' && m_text[m_pos] != L'\'')
            ++m_pos;
        return std::wstring(m_text.substr(start, m_pos - start));
    }

    std::wstring Peek() {
        const size_t saved = m_pos;
        std::wstring token = Next();
        m_pos = saved;
        return token;
    }

    void Expect(const wchar_t* token) {
        if (Next() != token)
            throw std::invalid_argument("registration script: unexpected token");
    }

private:
    std::wstring_view m_text;
    size_t m_pos = 0;
};

bool SameWord(const std::wstring& a, const wchar_t* b) {
    return lstrcmpiW(a.c_str(), b) == 0;
}

HKEY RootFromName(const std::wstring& name) {
    if (SameWord(name, L"HKCR") || SameWord(name, L"HKEY_CLASSES_ROOT"))
        return HKEY_CLASSES_ROOT;
    if (SameWord(name, L"HKLM") || SameWord(name, L"HKEY_LOCAL_MACHINE"))
        return HKEY_LOCAL_MACHINE;
    if (SameWord(name, L"HKCU") || SameWord(name, L"HKEY_CURRENT_USER"))
        return HKEY_CURRENT_USER;
    throw std::invalid_argument("registration script: unknown root key");
}

ScriptValue ParseValue(Tokenizer& tokens, std::wstring name) {
    ScriptValue value;
    value.name = std::move(name);
    const std::wstring type = tokens.Next();
    const std::wstring data = tokens.Next();
    if (SameWord(type, L"s")) {
        value.text = data;
    } else if (SameWord(type, L"d")) {
        value.isDword = true;
        size_t used = 0;
        value.number = static_cast<DWORD>(std::stoul(data, &used, 0));
        if (used != data.size())
            throw std::invalid_argument("registration script: bad number");
    } else {
        throw std::invalid_argument("registration script: unknown value type");
    }
    return value;
}

void ParseKeyList(Tokenizer& tokens, std::vector<ScriptKey>& keys,
                  std::vector<ScriptValue>* values) {
    for (;;) {
        bool quoted = false;
        std::wstring word = tokens.Next(&quoted);
        if (word.empty())
            throw std::invalid_argument("registration script: missing '}'");
        if (!quoted && word == L"}")
            return;
        if (!quoted && SameWord(word, L"val")) {
            if (!values)
                throw std::invalid_argument("registration script: value outside a key");
            std::wstring name = tokens.Next();
            tokens.Expect(L"=");
            values->push_back(ParseValue(tokens, std::move(name)));
            continue;
        }
        ScriptKey key;
        while (!quoted && (SameWord(word, L"NoRemove") || SameWord(word, L"ForceRemove"))) {
            (SameWord(word, L"NoRemove") ? key.noRemove : key.forceRemove) = true;
            word = tokens.Next(&quoted);
        }
        if (word.empty() || (!quoted && (word == L"{" || word == L"}" || word == L"=")))
            throw std::invalid_argument("registration script: missing key name");
        key.name = std::move(word);
        if (tokens.Peek() == L"=") {
            tokens.Next();
            key.values.push_back(ParseValue(tokens, {}));
        }
        if (tokens.Peek() == L"{") {
            tokens.Next();
            ParseKeyList(tokens, key.children, &key.values);
        }
        keys.push_back(std::move(key));
    }
}

std::wstring Substitute(std::wstring_view script,
                        const std::vector<std::pair<std::wstring, std::wstring>>& replacements) {
    std::wstring text(script);
    for (const auto& [name, replacement] : replacements) {
        const std::wstring marker = L"%" + name + L"%";
        for (size_t at = text.find(marker); at != std::wstring::npos;
             at = text.find(marker, at + replacement.size()))
            text.replace(at, marker.size(), replacement);
    }
    return text;
}

LONG DeleteTree(HKEY parent, const std::wstring& name) {
    LONG rc = RegDeleteTreeW(parent, name.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        LONG removed = RegDeleteKeyW(parent, name.c_str());
        if (removed != ERROR_FILE_NOT_FOUND)
            rc = removed;
    }
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

LONG SetValue(HKEY key, const ScriptValue& value) {
    const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
    if (value.isDword)
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                              sizeof value.number);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                          static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t)));
}

LONG RegisterKey(HKEY parent, const ScriptKey& key) {
    if (key.forceRemove) {
        if (LONG rc = DeleteTree(parent, key.name); rc != ERROR_SUCCESS)
            return rc;
    }
    unique_hkey handle;
    LONG rc = RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE, nullptr, handle.put(), nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    for (const ScriptValue& value : key.values) {
        if ((rc = SetValue(handle.get(), value)) != ERROR_SUCCESS)
            return rc;
    }
    for (const ScriptKey& child : key.children) {
        if ((rc = RegisterKey(handle.get(), child)) != ERROR_SUCCESS)
            return rc;
    }
    return ERROR_SUCCESS;
}

void UnregisterKey(HKEY parent, const ScriptKey& key) {
    if (!key.noRemove) {
        DeleteTree(parent, key.name);
        return;
    }
    unique_hkey handle;
    if (RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, handle.put()) !=
        ERROR_SUCCESS)
        return;
    for (const ScriptKey& child : key.children)
        UnregisterKey(handle.get(), child);
}

} // namespace

std::vector<ScriptRoot>
ParseRegistrationScript(std::wstring_view script,
                        const std::vector<std::pair<std::wstring, std::wstring>>& replacements) {
    const std::wstring text = Substitute(script, replacements);
    Tokenizer tokens(text);
    std::vector<ScriptRoot> roots;
    for (std::wstring word = tokens.Next(); !word.empty(); word = tokens.Next()) {
        ScriptRoot root;
        root.root = RootFromName(word);
        tokens.Expect(L"{");
        ParseKeyList(tokens, root.keys, nullptr);
        roots.push_back(std::move(root));
    }
    return roots;
}

HRESULT RegisterScript(const std::vector<ScriptRoot>& roots) noexcept {
    for (const ScriptRoot& root : roots) {
        for (const ScriptKey& key : root.keys) {
            if (LONG rc = RegisterKey(root.root, key); rc != ERROR_SUCCESS)
                return HRESULT_FROM_WIN32(rc);
        }
    }
    return S_OK;
}

void UnregisterScript(const std::vector<ScriptRoot>& roots) noexcept {
    for (const ScriptRoot& root : roots) {
        for (const ScriptKey& key : root.keys)
            UnregisterKey(root.root, key);
    }
}

} // namespace sw
