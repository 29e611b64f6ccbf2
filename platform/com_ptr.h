// Owning smart references for COM interfaces.
#pragma once

#include <objbase.h>

#include <utility>

namespace sw {

template <class T> class com_ptr {
public:
    com_ptr() = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Takes a new counted reference to `p`.
    explicit com_ptr(T* p) noexcept : m_ptr(p) {
        if (m_ptr)
            m_ptr->AddRef();
    }
    com_ptr(const com_ptr& other) noexcept : com_ptr(other.m_ptr) {}
    com_ptr(com_ptr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    com_ptr& operator=(const com_ptr& other) noexcept {
        if (this != &other)
            com_ptr(other).swap(*this);
        return *this;
    }
    com_ptr& operator=(com_ptr&& other) noexcept {
        com_ptr(std::move(other)).swap(*this);
        return *this;
    }
    com_ptr& operator=(std::nullptr_t) noexcept {
        reset();
        return *this;
    }
    ~com_ptr() { reset(); }

    // Adopts a reference the caller already owns (no AddRef).
    static com_ptr attach(T* p) noexcept {
        com_ptr r;
        r.m_ptr = p;
        return r;
    }

    T* get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    void reset() noexcept {
        if (T* p = std::exchange(m_ptr, nullptr))
            p->Release();
    }
    T* detach() noexcept { return std::exchange(m_ptr, nullptr); }
    void swap(com_ptr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    // For out-parameters: releases the held reference and exposes the slot.
    T** put() noexcept {
        reset();
        return &m_ptr;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // QueryInterface for `iid` into a com_ptr<U>; returns the HRESULT.
    template <class U> HRESULT query(REFIID iid, com_ptr<U>& out) const noexcept {
        if (!m_ptr) {
            out.reset();
            return E_POINTER;
        }
        return m_ptr->QueryInterface(iid, out.put_void());
    }

private:
    T* m_ptr = nullptr;
};

} // namespace sw
