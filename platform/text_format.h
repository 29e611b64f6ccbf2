// Composition of the texts the add-in shows or records.
#pragma once

#include <string>

namespace sw {

// printf-style composition for the message texts ("RegOpenKeyEx Failed: %ld.").
std::wstring FormatText(const wchar_t* format, ...);

} // namespace sw
