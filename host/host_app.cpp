#include "host/host_app.h"

namespace sw {

com_ptr<IDispatch> g_hostApp;

} // namespace sw
