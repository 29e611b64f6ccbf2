// Owning wrappers for automation strings and variants.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace sw {

class unique_bstr {
public:
    unique_bstr() = default;
    explicit unique_bstr(std::wstring_view text)
        : m_bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    unique_bstr(const unique_bstr&) = delete;
    unique_bstr& operator=(const unique_bstr&) = delete;
    unique_bstr(unique_bstr&& other) noexcept : m_bstr(std::exchange(other.m_bstr, nullptr)) {}
    unique_bstr& operator=(unique_bstr&& other) noexcept {
        if (this != &other) {
            reset();
            m_bstr = std::exchange(other.m_bstr, nullptr);
        }
        return *this;
    }
    ~unique_bstr() { reset(); }

    // Adopts a string the caller already owns.
    static unique_bstr attach(BSTR text) noexcept {
        unique_bstr r;
        r.m_bstr = text;
        return r;
    }

    BSTR get() const noexcept { return m_bstr; }
    void reset(BSTR text = nullptr) noexcept { SysFreeString(std::exchange(m_bstr, text)); }
    BSTR* put() noexcept {
        reset();
        return &m_bstr;
    }
    BSTR release() noexcept { return std::exchange(m_bstr, nullptr); }
    // The whole string, embedded NULs included.
    std::wstring str() const { return m_bstr ? std::wstring(m_bstr, SysStringLen(m_bstr)) : L""; }

private:
    BSTR m_bstr = nullptr;
};

// Copies an automation string the host still owns, embedded NULs included.
inline std::wstring BstrText(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&m_value); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    unique_variant(unique_variant&& other) noexcept : m_value(other.m_value) {
        VariantInit(&other.m_value);
    }
    unique_variant& operator=(unique_variant&& other) noexcept {
        if (this != &other) {
            reset();
            m_value = other.m_value;
            VariantInit(&other.m_value);
        }
        return *this;
    }
    ~unique_variant() { reset(); }

    static unique_variant FromLong(LONG value) noexcept {
        unique_variant v;
        v.m_value.vt = VT_I4;
        v.m_value.lVal = value;
        return v;
    }
    static unique_variant FromText(std::wstring_view text) {
        unique_variant v;
        v.m_value.bstrVal = unique_bstr(text).release();
        v.m_value.vt = VT_BSTR;
        return v;
    }
    // Takes a new reference to `object`.
    static unique_variant FromDispatch(IDispatch* object) noexcept {
        unique_variant v;
        if (object)
            object->AddRef();
        v.m_value.vt = VT_DISPATCH;
        v.m_value.pdispVal = object;
        return v;
    }

    VARIANT& get() noexcept { return m_value; }
    const VARIANT& get() const noexcept { return m_value; }
    VARTYPE type() const noexcept { return V_VT(&m_value); }
    VARIANT* put() noexcept {
        reset();
        return &m_value;
    }
    void reset() noexcept {
        VariantClear(&m_value);
        VariantInit(&m_value);
    }
    // Hands the value over to `out`, which must hold nothing that needs freeing.
    void release_to(VARIANT* out) noexcept {
        *out = m_value;
        VariantInit(&m_value);
    }
    void swap(unique_variant& other) noexcept { std::swap(m_value, other.m_value); }

private:
    VARIANT m_value;
};

} // namespace sw
