// Registers type libraries given on the command line, as an Office
// installation registers its own: sim_install_typelibs FILE.tlb...
// An installation has one version of each library: versions registered
// before (an earlier stand-in) are removed first.
#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <string>

namespace {

// Registers the library at `path` alone; S_OK or the failure.
HRESULT RegisterAlone(wchar_t* path) {
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attributes = nullptr;
    hr = library->GetLibAttr(&attributes);
    if (SUCCEEDED(hr)) {
        wchar_t id[40] = {};
        StringFromGUID2(attributes->guid, id, 40);
        library->ReleaseTLibAttr(attributes);
        const LSTATUS status =
            RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"TypeLib\\") + id).c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            hr = HRESULT_FROM_WIN32(status);
    }
    if (SUCCEEDED(hr))
        hr = RegisterTypeLib(library, path, nullptr);
    library->Release();
    return hr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const HRESULT hr = RegisterAlone(argv[i]);
        if (FAILED(hr)) {
            std::fwprintf(stderr, L"cannot register %ls: 0x%08lX\n", argv[i],
                          static_cast<unsigned long>(hr));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
