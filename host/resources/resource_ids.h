// Resource ids of the ribbon document and the button images. Included by
// images_ribbon.rc and by the C++ code, so it holds #defines only.
#pragma once

// Resources of type "IMAGE", each a complete bitmap file.
#define IDB_BLOCK_DOMAINS_32 205
#define IDB_BLOCK_SENDERS_32 210
#define IDB_BLOCK_DOMAINS_16 212
#define IDB_BLOCK_SENDERS_16 213

// The ribbon XML document (RCDATA), ASCII text without a terminator.
#define IDR_RIBBON_XML 301
