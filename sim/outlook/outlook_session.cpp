#include "sim/outlook/outlook_session.h"

#include "sim/outlook/objects.h"

namespace sw::sim {

OutlookSession::OutlookSession(std::wstring version)
    : m_host(std::make_shared<HostState>()), m_application(MakeApplication(m_host)) {
    m_host->version = std::move(version);
}

OutlookSession::~OutlookSession() = default;

} // namespace sw::sim
