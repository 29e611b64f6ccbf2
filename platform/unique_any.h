// The one owning wrapper for a handle of any kind, after WIL's unique_any:
// `Traits` names the handle type, the value that means "no handle", which
// values are handles, and how one is closed. unique_hkey, unique_handle,
// unique_gdi and unique_module are its instances.
#pragma once

#include <utility>

namespace sw {

// Traits for a handle whose only "no handle" is null. `Close` answers
// whether the system closed it (`Closed` is its success value).
template <class Handle, auto Close, auto Closed> struct null_handle_traits {
    using type = Handle;
    static constexpr type none() noexcept { return nullptr; }
    static bool valid(type handle) noexcept { return handle != nullptr; }
    static bool close(type handle) noexcept { return Close(handle) == Closed; }
};

template <class Traits> class unique_any {
public:
    using handle_type = typename Traits::type;

    unique_any() = default;
    explicit unique_any(handle_type handle) noexcept : m_handle(handle) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept
        : m_handle(std::exchange(other.m_handle, Traits::none())) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_handle, Traits::none()));
        return *this;
    }
    ~unique_any() { reset(); }

    handle_type get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return Traits::valid(m_handle); }

    // Closes the held handle and takes `handle` in its place.
    void reset(handle_type handle = Traits::none()) noexcept {
        if (Traits::valid(m_handle))
            Traits::close(m_handle);
        m_handle = handle;
    }
    handle_type release() noexcept { return std::exchange(m_handle, Traits::none()); }

    // For out-parameters: closes the held handle and exposes the slot.
    handle_type* put() noexcept {
        reset();
        return &m_handle;
    }

    // Closes the held handle now and answers whether the system did; a file
    // written to reports a late write failure here.
    bool close() noexcept {
        const bool closed = !Traits::valid(m_handle) || Traits::close(m_handle);
        m_handle = Traits::none();
        return closed;
    }

private:
    handle_type m_handle = Traits::none();
};

} // namespace sw
