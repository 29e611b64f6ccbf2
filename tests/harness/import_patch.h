// Fault injection at the system boundary: replaces one function that the test
// executable imports from a system DLL (its import address table entry) for
// the lifetime of the object. Code linked into the executable then calls the
// replacement, which may call the original to reach the real system.
#pragma once

#include <windows.h>

namespace sw::test {

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool active() const noexcept { return m_slot != nullptr; }
    template <class F> F original() const noexcept { return reinterpret_cast<F>(m_original); }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

} // namespace sw::test
