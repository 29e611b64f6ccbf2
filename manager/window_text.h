// Texts of windows and list box rows as std::wstring.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sw {

std::wstring WindowText(HWND window);

// Every row of a list box, in order.
std::vector<std::wstring> ListBoxRows(HWND listBox);

} // namespace sw
