#include "platform/image_picture.h"

#include "platform/com_ptr.h"
#include "platform/module.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace sw {

namespace {

// A read-only stream over bytes it neither owns nor copies, such as a loaded
// resource; the bytes must outlive the stream and its clones.
class ConstBufferStream final : public IStream {
public:
    ConstBufferStream(const BYTE* data, ULONG size, ULONGLONG position) noexcept
        : m_data(data), m_size(size), m_position(position) {}
    ConstBufferStream(const ConstBufferStream&) = delete;
    ConstBufferStream& operator=(const ConstBufferStream&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *object = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG refs = InterlockedDecrement(&m_refs);
        if (refs == 0)
            delete this;
        return refs;
    }

    // ISequentialStream: reading at or past the end yields fewer bytes (or
    // none) and still succeeds, as memory streams do.
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
        if (!buffer)
            return STG_E_INVALIDPOINTER;
        ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(count, Remaining()));
        if (n)
            std::memcpy(buffer, m_data + m_position, n);
        m_position += n;
        if (read)
            *read = n;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written)
            *written = 0;
        return STG_E_ACCESSDENIED;
    }

    // IStream
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                   ULARGE_INTEGER* newPosition) override {
        LONGLONG base;
        switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<LONGLONG>(m_position);
            break;
        case STREAM_SEEK_END:
            base = m_size;
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        // A position before the start, or one that does not fit, is refused.
        if (move.QuadPart < -base || move.QuadPart > LLONG_MAX - base)
            return STG_E_INVALIDFUNCTION;
        m_position = static_cast<ULONGLONG>(base + move.QuadPart);
        if (newPosition)
            newPosition->QuadPart = m_position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                     ULARGE_INTEGER* written) override {
        if (!target)
            return STG_E_INVALIDPOINTER;
        ULONG n = static_cast<ULONG>(std::min<ULONGLONG>(count.QuadPart, Remaining()));
        ULONG done = 0;
        HRESULT hr = n ? target->Write(m_data + m_position, n, &done) : S_OK;
        m_position += n;
        if (read)
            read->QuadPart = n;
        if (written)
            written->QuadPart = done;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = m_size;
        stat->grfMode = STGM_READ | STGM_SHARE_DENY_WRITE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** copy) override {
        if (!copy)
            return STG_E_INVALIDPOINTER;
        *copy = new (std::nothrow) ConstBufferStream(m_data, m_size, m_position);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~ConstBufferStream() = default;

    ULONGLONG Remaining() const noexcept { return m_position < m_size ? m_size - m_position : 0; }

    LONG m_refs = 1;
    const BYTE* m_data;
    ULONG m_size;
    ULONGLONG m_position;
};

} // namespace

HRESULT LoadImagePicture(WORD id, IPictureDisp** picture) noexcept {
    if (!picture)
        return E_POINTER;
    HINSTANCE module = AddinModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), L"IMAGE");
    if (!info)
        return S_FALSE;
    DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const BYTE* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!bytes)
        return S_FALSE;

    // The resource stays mapped as long as the module is loaded, so the
    // stream can read it in place.
    auto stream = com_ptr<IStream>::attach(new (std::nothrow) ConstBufferStream(bytes, size, 0));
    if (!stream)
        return E_OUTOFMEMORY;
    return OleLoadPicture(stream.get(), 0, FALSE, IID_IPictureDisp,
                          reinterpret_cast<void**>(picture));
}

} // namespace sw
