// The add-in's subscription to the host's NewMailEx event, which hands each
// new message to MoveNewMailFromBlockedSenders while "Move new mail from
// senders I block to Junk E-mail right away" is on. The Connect object owns
// one; with the setting off there is no subscription at all.
#pragma once

#include "platform/com_ptr.h"

#include <windows.h>
#include <oaidl.h>

namespace sw {

class NewMailWatch {
public:
    NewMailWatch();
    // Ends the subscription and lets go of the sink; a sink the host still
    // holds then takes no more events, and keeps the module loaded.
    ~NewMailWatch();
    NewMailWatch(const NewMailWatch&) = delete;
    NewMailWatch& operator=(const NewMailWatch&) = delete;

    // Brings the subscription in line with the setting: subscribes to
    // `application`'s ApplicationEvents_11 when g_settings.moveNewMail is on and the
    // host has the event (version 11, Outlook 2003, and later), once however
    // often it is called; ends it when the setting is off. Failures are
    // logged.
    void Follow(IDispatch* application) noexcept;
    // Ends the subscription and releases the host's object.
    void Stop() noexcept;
    bool subscribed() const noexcept { return m_sink != nullptr; }

private:
    class Sink;

    // While subscribed: the sink (one reference of its own), the source it
    // is advised on and the cookie.
    Sink* m_sink = nullptr;
    com_ptr<IDispatch> m_source;
    DWORD m_cookie = 0;
};

} // namespace sw
