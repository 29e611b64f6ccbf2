// Definitions of the MAPI interface identifiers the provider answers to.
#include <windows.h>
#include <initguid.h>

#define USES_IID_IMAPITable
#define USES_IID_IProfAdmin
#include <mapiguid.h>
