// Registers type libraries given on the command line, as an Office
// installation registers its own: sim_install_typelibs FILE.tlb...
#include <windows.h>
#include <oleauto.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        ITypeLib* library = nullptr;
        HRESULT hr = LoadTypeLibEx(argv[i], REGKIND_REGISTER, &library);
        if (FAILED(hr)) {
            std::fwprintf(stderr, L"cannot register %ls: 0x%08lX\n", argv[i],
                          static_cast<unsigned long>(hr));
            ++failures;
            continue;
        }
        library->Release();
    }
    return failures == 0 ? 0 : 1;
}
