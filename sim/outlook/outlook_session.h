// One run of the simulated Outlook: the mailbox, the fault plan, the call
// log, the reference tracker and the Application object that add-ins get.
//
//   sw::sim::OutlookSession outlook(L"14.0.0.4760");
//   auto& box = outlook.mailbox();
//   auto& mail = box.AddMail(box.Inbox(), L"ann@example.org", {L"me@example.com"});
//   box.Select({&mail});
//   sw::com_ptr<IDispatch> app = outlook.Application();
//
// The explorer's command bars live in the mailbox model (commandBars()) and
// survive Restart(), which plays the host ending and starting again in the
// same session: temporary bars and controls go, every advised sink is
// released, the rest stays as the last run left it. Restart once the add-in
// of the earlier run has released everything.
#pragma once

#include "platform/com_ptr.h"
#include "sim/outlook/host_state.h"

#include <oaidl.h>

#include <memory>
#include <string>

namespace sw::sim {

// What showing the item context menu did.
struct ContextMenuDisplay {
    CommandBar* bar = nullptr; // the "Context Menu" bar, shown until closed
    unsigned sinksReached = 0; // sinks that received the event
};

// What a click on a command-bar control did.
struct ClickOutcome {
    bool clicked = false;       // false: the user cannot reach the control
    unsigned sinksReached = 0;  // sinks that received Click
    bool cancelDefault = false; // what the sinks left in CancelDefault
};

class OutlookSession {
public:
    explicit OutlookSession(std::wstring version = L"14.0.0.4760");
    ~OutlookSession();
    OutlookSession(const OutlookSession&) = delete;
    OutlookSession& operator=(const OutlookSession&) = delete;

    // A new reference to the session's one Application object.
    com_ptr<IDispatch> Application() const { return m_application; }

    Mailbox& mailbox() noexcept { return m_host->mailbox; }
    FaultPlan& faults() noexcept { return m_host->faults; }
    CallLog& calls() noexcept { return m_host->calls; }
    // Live objects and outstanding references by kind; the session's own
    // reference to the Application object is among them, and so is every
    // sink reference a connection point holds (kind kAdvisedSinkKind).
    RefCounts References() const { return m_host->refs.Snapshot(); }

    const std::wstring& version() const noexcept { return m_host->version; }
    void SetVersion(std::wstring version) { m_host->version = std::move(version); }
    // The leading integer of version(): 11, 12, 14, ...
    long majorVersion() const noexcept;

    CommandBarSet& commandBars() noexcept { return m_host->mailbox.commandBars(); }

    // The user opens the context menu of the selected items: a "Context
    // Menu" bar built from `layout` (by default DefaultContextMenu of the
    // major version) joins the command bars, and the host raises
    // ItemContextMenuDisplay (bar, selection) on ApplicationEvents_11 for
    // major versions 12 and 13, or OnUpdate on _CommandBarsEvents below 12;
    // from 14 on it raises neither. The menu stays shown until
    // CloseContextMenu, the next ShowContextMenu, a click on one of its
    // entries, or Restart.
    ContextMenuDisplay ShowContextMenu();
    ContextMenuDisplay ShowContextMenu(const MenuLayout& layout);
    void CloseContextMenu();
    // The user clicks `control`: Click (the control, CancelDefault) reaches
    // its sinks if the user can reach it (CommandBarControl::userCanClick).
    // A click in the context menu closes the menu afterwards.
    ClickOutcome ClickControl(CommandBarControl& control);
    // The host raises OnUpdate on the command bars; answers the sinks reached.
    unsigned FireOnUpdate();
    // New mail has arrived: the host raises NewMailEx(EntryIDCollection) on
    // ApplicationEvents_11 (major version 11 and up), with one EntryID or,
    // as Outlook 2003 did, several separated by commas; the ids need not
    // find anything. Answers the sinks reached.
    unsigned FireNewMailEx(const std::wstring& entryIdCollection);
    // The user opens Outlook's window when it started without one: the
    // explorer opens, the host raises NewExplorer (the explorer) on the
    // Explorers collection, then Activate on the explorer. Answers the sinks
    // reached by both.
    unsigned OpenExplorer();
    // The host ends and starts again (see above).
    void Restart();

    // For objects that later work adds to the simulation.
    const std::shared_ptr<HostState>& hostShare() const noexcept { return m_host; }

private:
    std::shared_ptr<HostState> m_host;
    com_ptr<IDispatch> m_application;
};

} // namespace sw::sim
