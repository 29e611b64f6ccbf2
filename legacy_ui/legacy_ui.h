// The command-bar surface of hosts before version 14: the "Spamwarden"
// toolbar, the context-menu items and the ten event sinks that deliver their
// events. The module hands the Connect object `CreateLegacySurface` to make
// one; Connect starts it when start-up completes and stops it at
// disconnection. On version 14 and later hosts it stays idle.
#pragma once

#include "legacy_ui/event_bindings.h"
#include "legacy_ui/event_sink.h"
#include "platform/com_ptr.h"
#include "user_commands/command_surface.h"
#include "user_commands/user_commands.h"

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <memory>

namespace sw {

class LegacyUi final : public CommandSurface {
public:
    // `lifetime` is the COM object this surface belongs to: an event handler
    // holds a reference on it while it runs, as a modal window may let the
    // host release the add-in meanwhile. The clicks run `commands`.
    LegacyUi(IUnknown& lifetime, const UserCommands& commands);
    // Disconnects every sink, releases the host's objects (command-bar items
    // first, the command bars, the explorer last) and lets go of the sinks;
    // a sink the host still holds then reaches nothing.
    ~LegacyUi() override;

    void SetExplorer(com_ptr<IDispatch> explorer, com_ptr<IDispatch> commandBars) noexcept override;
    // On hosts before version 14: builds the toolbar and subscribes to the
    // context-menu event source of the host's version. A second start
    // subscribes nothing twice. Reports its own failures.
    void Start() noexcept override;
    // Ends every subscription, the context-menu sources' and the clicks of
    // the toolbar and of the last context items alike, and deletes the
    // temporary toolbar buttons.
    void Stop() noexcept override;

    // Sink `number` (1 to 10); for tests of the sinks.
    EventSink& Sink(int number) noexcept { return m_sinks->Sink(number); }

private:
    // The event binding table calls the handlers below.
    friend class EventBindings;

    // Builds the "Spamwarden" toolbar on the explorer; reports its own failures.
    void BuildToolbar() noexcept;
    // Adds one temporary icon button to `controls`, keeps it in `buttonField`
    // and connects `sink` to its clicks. `imageId` names the button's picture
    // resource, or is 0 for the host's face `faceId`. Raises host failures.
    void AddToolbarButton(IDispatch* controls, const wchar_t* text, WORD imageId, LONG faceId,
                          com_ptr<IDispatch>& buttonField, EventSink& sink, bool beginsGroup);

    // Event handlers. None of them lets a failure out.
    void OnClickBlockSenders(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickBlockDomains(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickOptions(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickSupport(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickHelp(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void OnClickBlockSenderDomain(IDispatch* control, VARIANT_BOOL* cancelDefault) noexcept;
    void AddContextMenuItems(IDispatch* contextBar, IDispatch* selection) noexcept;
    void OnCommandBarsUpdate() noexcept;

    // The bodies of the two context-menu handlers; they raise host failures.
    void InsertContextMenuItems(IDispatch* contextBar, IDispatch* selection);
    void InsertForMultipleSelection(IDispatch* controls);
    void InsertForSingleSelection(IDispatch* controls);
    void FindContextMenuAndInsert();
    // Replaces the context item in `field` by a new temporary button on
    // `controls` (before `before`, or last for 0) and moves `sink` to it.
    void ReplaceContextItem(IDispatch* controls, LONG before, com_ptr<IDispatch>& field,
                            EventSink& sink, const wchar_t* caption, bool beginsGroup);

    // The source sink `number` is connected to.
    IDispatch* SinkSource(int number) const noexcept;
    // Disconnects every sink still connected from its source.
    void DisconnectSinks() noexcept;
    // Deletes the temporary toolbar buttons from the host's bar.
    void DeleteToolbarButtons() noexcept;

    IUnknown& m_lifetime;
    const UserCommands& m_commands;

    com_ptr<IDispatch> m_explorer;
    com_ptr<IDispatch> m_commandBars;

    // The toolbar, its buttons (_CommandBarButton) and their two pictures
    // with their masks.
    com_ptr<IDispatch> m_toolbar;
    com_ptr<IDispatch> m_btnBlockSenders;
    com_ptr<IDispatch> m_btnBlockDomains;
    com_ptr<IDispatch> m_btnOptions;
    com_ptr<IDispatch> m_btnSupport;
    com_ptr<IDispatch> m_btnHelp;
    com_ptr<IPictureDisp> m_picBlockSenders;
    com_ptr<IPictureDisp> m_picBlockDomains;
    com_ptr<IPictureDisp> m_maskBlockSenders;
    com_ptr<IPictureDisp> m_maskBlockDomains;
    // The context-menu items created last.
    com_ptr<IDispatch> m_ctxBlockSenderDomain;
    com_ptr<IDispatch> m_ctxBlockSenders;
    com_ptr<IDispatch> m_ctxBlockDomains;

    // The event sinks, by their number in the event binding table.
    EventSinkSet* m_sinks;
};

// The command-bar surface, as a CommandSurfaceFactory.
std::unique_ptr<CommandSurface> CreateLegacySurface(IUnknown& lifetime,
                                                    const UserCommands& commands);

} // namespace sw
