// The command-bar surface of hosts before version 14: the toolbar and the
// context-menu event sources, started and stopped with the connection.
#include "host/connect.h"

namespace sw {

void Connect::StartLegacySurface() {}

void Connect::StopLegacySurface() {}

} // namespace sw
