#include "host/command_guard.h"

namespace sw {

int g_commandRunning = 0;

} // namespace sw
