// Resource ids of the button images and the ribbon document, which the
// ribbon (addin/) and the toolbar (legacy_ui/) share. Included by
// images_ribbon.rc and by the C++ code, so it holds #defines only. The
// Options sheet's dialog ids are its own (manager/resource.h).
#pragma once

// Resources of type "IMAGE", each a complete bitmap file.
#define IDB_BLOCK_DOMAINS_32 205
#define IDB_BLOCK_SENDERS_32 210
#define IDB_BLOCK_DOMAINS_16 212
#define IDB_BLOCK_SENDERS_16 213

// The ribbon XML document (RCDATA), ASCII text without a terminator.
#define IDR_RIBBON_XML 301
