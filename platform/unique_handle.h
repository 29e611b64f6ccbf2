// Owning wrapper for a kernel object handle (a file, an event...). Both
// nullptr and INVALID_HANDLE_VALUE count as "no handle", since CreateFileW
// answers the one and most other creators the other.
#pragma once

#include <windows.h>

#include <utility>

namespace sw {

class unique_handle {
public:
    unique_handle() = default;
    explicit unique_handle(HANDLE handle) noexcept : m_handle(handle) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    ~unique_handle() { reset(); }

    HANDLE get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept {
        return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE;
    }

    // Closes the held handle and takes `handle` in its place.
    void reset(HANDLE handle = nullptr) noexcept {
        if (*this)
            CloseHandle(m_handle);
        m_handle = handle;
    }
    HANDLE release() noexcept { return std::exchange(m_handle, nullptr); }

    // Closes the held handle now and answers whether the system did; a file
    // written to reports a late write failure here.
    bool close() noexcept {
        const bool closed = !*this || CloseHandle(m_handle);
        m_handle = nullptr;
        return closed;
    }

private:
    HANDLE m_handle = nullptr;
};

} // namespace sw
