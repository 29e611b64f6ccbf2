#include "manager/window_text.h"

namespace sw {

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::vector<std::wstring> ListBoxRows(HWND listBox) {
    std::vector<std::wstring> rows;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR) {
            rows.emplace_back();
            continue;
        }
        std::wstring row(static_cast<size_t>(length) + 1, L'\0');
        const LRESULT copied = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i),
                                            reinterpret_cast<LPARAM>(row.data()));
        row.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace sw
