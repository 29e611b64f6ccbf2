// Resource ids of the button images and the ribbon document, which the
// ribbon (addin/) and the toolbar (legacy_ui/) share. Included by
// images_ribbon.rc and by the C++ code, so it holds #defines only. The
// Options sheet's dialog ids are its own (manager/resource.h).
#pragma once

// Resources of type "IMAGE", each a complete 32-bit bitmap file with an
// alpha channel, N x N pixels for the N in the name.
#define IDB_BLOCK_DOMAINS_32 205
#define IDB_BLOCK_SENDERS_32 210
#define IDB_BLOCK_DOMAINS_16 212
#define IDB_BLOCK_SENDERS_16 213
#define IDB_BLOCK_SENDERS_20 220
#define IDB_BLOCK_SENDERS_24 221
#define IDB_BLOCK_SENDERS_40 222
#define IDB_BLOCK_SENDERS_48 223
#define IDB_BLOCK_SENDERS_64 224
#define IDB_BLOCK_DOMAINS_20 230
#define IDB_BLOCK_DOMAINS_24 231
#define IDB_BLOCK_DOMAINS_40 232
#define IDB_BLOCK_DOMAINS_48 233
#define IDB_BLOCK_DOMAINS_64 234

// The ribbon XML document (RCDATA), ASCII text without a terminator.
#define IDR_RIBBON_XML 301
