// A surface that offers the user's commands on an explorer window by the
// host's command bars: the toolbar and context-menu items of hosts before
// the ribbon. The Connect object owns one, made by the factory the module
// hands it, and tells it which explorer to work in and when to start and
// stop; it knows nothing else of it.
#pragma once

#include "platform/com_ptr.h"
#include "user_commands/user_commands.h"

#include <oaidl.h>

#include <memory>

namespace sw {

class CommandSurface {
public:
    virtual ~CommandSurface() = default;

    // The explorer the add-in works in and its command bars; either may be
    // null.
    virtual void SetExplorer(com_ptr<IDispatch> explorer,
                             com_ptr<IDispatch> commandBars) noexcept = 0;
    // Builds the surface on the explorer, where the host has command bars to
    // build on; reports its own failures. A second start builds nothing twice.
    virtual void Start() noexcept = 0;
    // Takes the surface off the explorer again.
    virtual void Stop() noexcept = 0;

protected:
    CommandSurface() = default;
    CommandSurface(const CommandSurface&) = delete;
    CommandSurface& operator=(const CommandSurface&) = delete;
};

// Makes the surface of the COM object `lifetime`, which holds a reference on
// it while an event runs, whose clicks run `commands`; both outlive the
// surface. Raises std::bad_alloc.
using CommandSurfaceFactory = std::unique_ptr<CommandSurface> (*)(IUnknown& lifetime,
                                                                  const UserCommands& commands);

} // namespace sw
