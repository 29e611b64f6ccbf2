// Owning wrapper for a registry key handle.
#pragma once

#include <windows.h>

#include <utility>

namespace sw {

class unique_hkey {
public:
    unique_hkey() = default;
    explicit unique_hkey(HKEY key) noexcept : m_key(key) {}
    unique_hkey(const unique_hkey&) = delete;
    unique_hkey& operator=(const unique_hkey&) = delete;
    unique_hkey(unique_hkey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    unique_hkey& operator=(unique_hkey&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_key, nullptr));
        return *this;
    }
    ~unique_hkey() { reset(); }

    HKEY get() const noexcept { return m_key; }
    explicit operator bool() const noexcept { return m_key != nullptr; }

    // Closes the held key and takes `key` in its place.
    void reset(HKEY key = nullptr) noexcept {
        if (m_key)
            RegCloseKey(m_key);
        m_key = key;
    }
    HKEY release() noexcept { return std::exchange(m_key, nullptr); }

    // For out-parameters: closes the held key and exposes the slot.
    HKEY* put() noexcept {
        reset();
        return &m_key;
    }

private:
    HKEY m_key = nullptr;
};

} // namespace sw
