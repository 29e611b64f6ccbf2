#include "manager/file_chooser.h"

#include "platform/diagnostics.h"

#include <commdlg.h>

#include <vector>

namespace sw {
namespace {

bool ShowFileDialog(HWND owner, FileChoice choice, std::wstring& path) {
    // Long paths fit; the dialog fails with FNERR_BUFFERTOOSMALL otherwise.
    std::vector<wchar_t> buffer(32768, L'\0');
    const std::wstring initial =
        path.empty() && choice == FileChoice::Save ? L"Blocked Senders.txt" : path;
    initial.copy(buffer.data(), std::min(initial.size(), buffer.size() - 1));

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    BOOL chosen = FALSE;
    if (choice == FileChoice::Open) {
        dialog.lpstrTitle = L"Import Blocked Senders";
        dialog.Flags |= OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameW(&dialog);
    } else {
        dialog.lpstrTitle = L"Export Blocked Senders";
        dialog.Flags |= OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameW(&dialog);
    }
    if (!chosen) {
        // Zero when the user cancelled; anything else is a failure of the dialog.
        if (const DWORD error = CommDlgExtendedError())
            SW_LOG_WIN32(L"common file dialog", error);
        return false;
    }
    path = buffer.data();
    return true;
}

// Process-wide, not in g_host: a test seam, replaced only by SetFileChooser.
FileChooser g_chooser = &ShowFileDialog;

} // namespace

bool ChooseListFile(HWND owner, FileChoice choice, std::wstring& path) noexcept {
    try {
        return g_chooser(owner, choice, path);
    } catch (...) {
        SW_LOG_CAUGHT();
        return false;
    }
}

FileChooser SetFileChooser(FileChooser chooser) noexcept {
    FileChooser previous = g_chooser;
    g_chooser = chooser ? chooser : &ShowFileDialog;
    return previous;
}

} // namespace sw
