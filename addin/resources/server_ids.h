// Resource ids of the server's registration script and type library.
#pragma once

#define IDR_TYPELIB 1
#define IDR_REGISTRATION_SCRIPT 102
