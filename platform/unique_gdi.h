// Owning wrapper for a GDI object the add-in creates (a font, a bitmap):
// deleted with DeleteObject when the wrapper ends. Select it out of every
// device context first, as GDI requires.
#pragma once

#include <windows.h>

#include <utility>

namespace sw {

template <class Handle> class unique_gdi {
public:
    unique_gdi() = default;
    explicit unique_gdi(Handle handle) noexcept : m_handle(handle) {}
    unique_gdi(const unique_gdi&) = delete;
    unique_gdi& operator=(const unique_gdi&) = delete;
    unique_gdi(unique_gdi&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    unique_gdi& operator=(unique_gdi&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_handle, nullptr));
        return *this;
    }
    ~unique_gdi() { reset(); }

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

    void reset(Handle handle = nullptr) noexcept {
        if (m_handle)
            DeleteObject(m_handle);
        m_handle = handle;
    }
    Handle release() noexcept { return std::exchange(m_handle, nullptr); }

private:
    Handle m_handle = nullptr;
};

using unique_font = unique_gdi<HFONT>;
using unique_bitmap = unique_gdi<HBITMAP>;

} // namespace sw
