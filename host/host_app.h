// The host application the add-in is connected to.
#pragma once

#include "host/com_ptr.h"

#include <oaidl.h>

namespace sw {

// The host's _Application; set at connection, released when the module unloads.
extern com_ptr<IDispatch> g_hostApp;

inline IDispatch* HostApp() noexcept {
    return g_hostApp.get();
}

} // namespace sw
