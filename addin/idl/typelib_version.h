/* The add-in's type library version and locale: read by spamwarden.idl, by
   the code that registers, unregisters and loads the library, and by the
   installer's build, which writes the keys RegisterTypeLib would. */
#pragma once

#define SW_TYPELIB_MAJOR 1
#define SW_TYPELIB_MINOR 0
#define SW_TYPELIB_LCID 0x0409
