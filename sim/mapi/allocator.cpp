// The MAPI allocator: MAPIAllocateBuffer makes a root block, MAPIAllocateMore
// links a further block to a root block, and MAPIFreeBuffer of the root frees
// the root and everything linked to it.
#include "sim/mapi/counters.h"

#include <windows.h>
#include <mapix.h>

#include <cstdint>

namespace sw::simmapi {
namespace {

constexpr std::uint32_t kRootMagic = 0x544f4f52;   // "ROOT"
constexpr std::uint32_t kLinkedMagic = 0x4b4e494c; // "LINK"
constexpr std::uint32_t kFreedMagic = 0x45455246;  // "FREE"

// Precedes every block handed out; its size keeps the caller's part aligned
// as HeapAlloc aligns (16 bytes on x64).
struct alignas(MEMORY_ALLOCATION_ALIGNMENT) BlockHeader {
    BlockHeader* next; // root: first linked block; linked block: the next one
    std::uint32_t magic;
};
static_assert(sizeof(BlockHeader) % MEMORY_ALLOCATION_ALIGNMENT == 0);

// Guards the chains of linked blocks.
SRWLOCK g_chainLock = SRWLOCK_INIT;

BlockHeader* HeaderOf(void* buffer) noexcept {
    return static_cast<BlockHeader*>(buffer) - 1;
}

BlockHeader* NewBlock(ULONG size, std::uint32_t magic) noexcept {
    auto* header = static_cast<BlockHeader*>(
        HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(BlockHeader) + SIZE_T{size}));
    if (!header)
        return nullptr;
    header->next = nullptr;
    header->magic = magic;
    InterlockedIncrement(&g_counters.buffers);
    InterlockedIncrement(&g_counters.buffersAllocated);
    return header;
}

void DeleteBlock(BlockHeader* header) noexcept {
    header->magic = kFreedMagic;
    HeapFree(GetProcessHeap(), 0, header);
    InterlockedDecrement(&g_counters.buffers);
}

} // namespace
} // namespace sw::simmapi

using namespace sw::simmapi;

extern "C" SCODE WINAPI MAPIAllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) {
    if (!lppBuffer)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    BlockHeader* header = NewBlock(cbSize, kRootMagic);
    if (!header)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    *lppBuffer = header + 1;
    return S_OK;
}

extern "C" SCODE WINAPI MAPIAllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) {
    if (!lppBuffer)
        return MAPI_E_INVALID_PARAMETER;
    *lppBuffer = nullptr;
    // Only a block from MAPIAllocateBuffer can own others.
    if (!lpObject || HeaderOf(lpObject)->magic != kRootMagic)
        return MAPI_E_INVALID_PARAMETER;
    BlockHeader* header = NewBlock(cbSize, kLinkedMagic);
    if (!header)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    BlockHeader* root = HeaderOf(lpObject);
    AcquireSRWLockExclusive(&g_chainLock);
    header->next = root->next;
    root->next = header;
    ReleaseSRWLockExclusive(&g_chainLock);
    *lppBuffer = header + 1;
    return S_OK;
}

extern "C" ULONG WINAPI MAPIFreeBuffer(LPVOID lpBuffer) {
    if (!lpBuffer)
        return S_OK;
    BlockHeader* root = HeaderOf(lpBuffer);
    // A linked block goes with its root; anything else is not ours.
    if (root->magic != kRootMagic)
        return static_cast<ULONG>(MAPI_E_INVALID_PARAMETER);
    AcquireSRWLockExclusive(&g_chainLock);
    BlockHeader* linked = root->next;
    root->next = nullptr;
    ReleaseSRWLockExclusive(&g_chainLock);
    while (linked) {
        BlockHeader* next = linked->next;
        DeleteBlock(linked);
        linked = next;
    }
    DeleteBlock(root);
    return S_OK;
}
