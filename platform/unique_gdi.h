// Owning wrapper for a GDI object the add-in creates (a font, a bitmap):
// deleted with DeleteObject when the wrapper ends. Select it out of every
// device context first, as GDI requires.
#pragma once

#include "platform/unique_any.h"

#include <windows.h>

namespace sw {

template <class Handle> struct gdi_object_traits {
    using type = Handle;
    static constexpr type none() noexcept { return nullptr; }
    static bool valid(type handle) noexcept { return handle != nullptr; }
    static bool close(type handle) noexcept { return DeleteObject(handle) != FALSE; }
};

template <class Handle> using unique_gdi = unique_any<gdi_object_traits<Handle>>;
using unique_font = unique_gdi<HFONT>;
using unique_bitmap = unique_gdi<HBITMAP>;

} // namespace sw
