// Resource ids of the Options sheet: dialog templates and their controls.
// Included by manager.rc and by the C++ code, so it holds #defines only.
#pragma once

// Dialog templates.
#define IDD_BLOCKED_SENDERS 206
#define IDD_EMAIL_ADDRESS 211
#define IDD_OPTIONS 216

// The manifest that selects version 6 of the common controls; id 2 is the
// one an activation context is built from when the code lives in a DLL.
#define IDR_MANAGER_MANIFEST 2

// Blocked Senders page.
#define IDC_SEARCH 201
#define IDC_REMOVE 203
#define IDC_EDIT 204
#define IDC_CONVERT_TO_DOMAIN 205
#define IDC_TOTAL 206
#define IDC_ENTRIES 208

// Email Address dialog.
#define IDC_EMAIL_ADDRESS 207

// Options page (its Remove button shares id 203 with the Blocked Senders page).
#define IDC_SYN_LISTS 218
#define IDC_HAS_SAFE_DOMAINS 219
#define IDC_SAFE_DOMAINS 220
#define IDC_ADD 221
