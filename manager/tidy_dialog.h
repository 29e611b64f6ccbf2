// The Tidy dialog: Tidy's three proposals for the page's working list, each
// with a check box, what it saves and a preview of its changes. OK hands the
// chosen groups back to the page, which applies them to its working list.
#pragma once

#include "manager/list_tidy.h"

#include <windows.h>

#include <string>

namespace sw {

class CTidyDialog {
public:
    // `input` points at the page's entries, which stay as they are while
    // the dialog is open. `storedBytes` and `storedEntries` are the list's
    // capacity before tidying, besides the Safe Senders bytes in `otherBytes`.
    CTidyDialog(TidyInput input, size_t storedBytes, size_t storedEntries, size_t otherBytes);

    // Runs the dialog modally over `parent`: IDOK or IDCANCEL.
    INT_PTR DoModal(HWND parent);

    // After IDOK: the proposals as last shown and the groups chosen.
    const TidyProposals& proposals() const noexcept { return m_proposals; }
    const TidyChoice& choice() const noexcept { return m_choice; }
    // Whether any chosen group changes anything.
    bool ChangesAnything() const noexcept;

    static CTidyDialog* FromInitParam(LPARAM lParam) noexcept {
        return reinterpret_cast<CTidyDialog*>(lParam);
    }
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Propose();
    void ShowProposals();
    void ShowTotal();
    void ReadChoice();

    HWND m_window = nullptr;
    TidyInput m_input;
    TidyProposals m_proposals;
    TidyChoice m_choice = {true, true, true};
    size_t m_storedBytes;
    size_t m_storedEntries;
    size_t m_otherBytes;
    bool m_ready = false;
};

// "12 entries · 3 KB" or, under 1 KB, "2 entries · 68 bytes": what a change saves.
std::wstring SavingsText(size_t entries, size_t bytes);

} // namespace sw
