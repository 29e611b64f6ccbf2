// Resource ids of the Options sheet: dialog templates and their controls.
// Included by manager.rc and by the C++ code, so it holds #defines only.
#pragma once

// Dialog templates.
#define IDD_BLOCKED_SENDERS 206
#define IDD_EMAIL_ADDRESS 211
#define IDD_OPTIONS 216
#define IDD_TIDY 230
#define IDD_HISTORY 250

// The manifest that selects version 6 of the common controls; id 2 is the
// one an activation context is built from when the code lives in a DLL.
#define IDR_MANAGER_MANIFEST 2

// Blocked Senders page.
#define IDC_SEARCH 201
#define IDC_REMOVE 203
#define IDC_EDIT 204
#define IDC_CONVERT_TO_DOMAIN 205
#define IDC_TOTAL 206
#define IDC_SHOWN 209
#define IDC_ENTRIES 208
#define IDC_TIDY 222
#define IDC_IMPORT 223
#define IDC_EXPORT 224
#define IDC_CAPACITY_BAR 225
#define IDC_CAPACITY_TEXT 226
// The list's label, which names it for screen readers.
#define IDC_ENTRIES_LABEL 213

// Tidy dialog: a check box, what it saves and a preview for each group.
#define IDC_TIDY_DUPLICATES 231
#define IDC_TIDY_COVERED 232
#define IDC_TIDY_FOLD 233
#define IDC_TIDY_THRESHOLD 234
#define IDC_TIDY_THRESHOLD_SPIN 235
#define IDC_TIDY_DUPLICATES_SAVES 236
#define IDC_TIDY_COVERED_SAVES 237
#define IDC_TIDY_FOLD_SAVES 238
#define IDC_TIDY_DUPLICATES_LIST 239
#define IDC_TIDY_COVERED_LIST 240
#define IDC_TIDY_FOLD_LIST 241
#define IDC_TIDY_TOTAL 242
#define IDC_TIDY_FOLD_LABEL 243
// The labels of the three previews and of the threshold box.
#define IDC_TIDY_DUPLICATES_LIST_LABEL 256
#define IDC_TIDY_COVERED_LIST_LABEL 257
#define IDC_TIDY_FOLD_LIST_LABEL 258

// Email Address dialog.
#define IDC_EMAIL_ADDRESS 207
#define IDC_EMAIL_ADDRESS_LABEL 248

// Options page (its Remove button shares id 203 with the Blocked Senders page).
#define IDC_SYN_LISTS 218
#define IDC_HAS_SAFE_DOMAINS 219
#define IDC_SAFE_DOMAINS 220
#define IDC_ADD 221
#define IDC_SAFE_DOMAINS_LABEL 214
#define IDC_MOVE_EARLIER 227
#define IDC_MOVE_NEW_MAIL 245
// "Set by your administrator." beside a control that a policy sets.
#define IDC_HAS_SAFE_DOMAINS_POLICY 228
#define IDC_SAFE_DOMAINS_POLICY 229
#define IDC_MOVE_EARLIER_POLICY 244
#define IDC_MOVE_NEW_MAIL_POLICY 246

// History page.
#define IDC_HISTORY_LIST 251
#define IDC_UNBLOCK 252
#define IDC_UNBLOCK_RESTORE 253
#define IDC_HISTORY_ENTRIES 254
#define IDC_HISTORY_LIST_LABEL 255
