// Renders the two pages of the Options sheet over a sample list into PNG
// files for the documentation. Usage: manager_screenshots OUTPUT_FOLDER
// (run under Wine with a display; scripts/screenshots.sh does that).
#include "manager/resource.h"
#include "platform/com_ptr.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/manager/sheet_driver.h"

#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using sw::com_ptr;
using sw::test::SheetDriver;

constexpr wchar_t kSampleList[] =
    L"deals@bargain-outlet.example;winner@lottery-prize.example;@spam-king.example;"
    L"newsletter@promo.example.net;offers@cheap-meds.test;no-reply@phish.invalid;"
    L"Info@Crypto-Gains.example;support@account-verify.example.org;"
    L"sales@seo-masters.example;hello@dating-now.example;@bulkmail.example;"
    L"alerts@bank-secure.invalid;team@free-gift-cards.example;prince@inheritance.example;"
    L"promo@casino-royale.test;jobs@work-from-home.example;admin@password-reset.invalid;"
    L"marketing@leads4u.example;";

// Screen pixels of a window, top-down BGR rows padded to 4 bytes.
struct Capture {
    int width = 0;
    int height = 0;
    UINT stride = 0;
    std::vector<BYTE> pixels;
};

class ScreenDc {
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ~ScreenDc() { ReleaseDC(nullptr, m_dc); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const noexcept { return m_dc; }

private:
    HDC m_dc;
};

class MemoryDc {
public:
    explicit MemoryDc(HDC like) : m_dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { DeleteDC(m_dc); }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const noexcept { return m_dc; }

private:
    HDC m_dc;
};

class Bitmap {
public:
    Bitmap(HDC like, int width, int height)
        : m_bitmap(CreateCompatibleBitmap(like, width, height)) {}
    ~Bitmap() { DeleteObject(m_bitmap); }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    HBITMAP get() const noexcept { return m_bitmap; }

private:
    HBITMAP m_bitmap;
};

Capture CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    RECT rect = {};
    GetWindowRect(window, &rect);
    Capture capture;
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    capture.stride = static_cast<UINT>((capture.width * 3 + 3) & ~3);
    capture.pixels.resize(static_cast<size_t>(capture.stride) * capture.height);

    ScreenDc screen;
    MemoryDc memory(screen.get());
    Bitmap bitmap(screen.get(), capture.width, capture.height);
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, capture.width, capture.height, screen.get(), rect.left, rect.top,
           SRCCOPY);
    SelectObject(memory.get(), previous);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(capture.height),
              capture.pixels.data(), &info, DIB_RGB_COLORS);
    return capture;
}

HRESULT WritePng(const Capture& capture, const std::wstring& path) {
    com_ptr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void());
    com_ptr<IWICStream> stream;
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(stream.put());
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    com_ptr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    com_ptr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(frame.put(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(static_cast<UINT>(capture.width), static_cast<UINT>(capture.height));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR)
        hr = E_UNEXPECTED;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(static_cast<UINT>(capture.height), capture.stride,
                                static_cast<UINT>(capture.pixels.size()),
                                const_cast<BYTE*>(capture.pixels.data()));
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}

class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

bool Save(HWND window, const std::wstring& folder, const wchar_t* name) {
    const std::wstring path = folder + L"\\" + name;
    const HRESULT hr = WritePng(CaptureWindow(window), path);
    std::printf("%ls: %s (0x%08lx)\n", path.c_str(), SUCCEEDED(hr) ? "written" : "failed",
                static_cast<unsigned long>(hr));
    return SUCCEEDED(hr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: manager_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[1];

    sw::test::RegistrySandbox sandbox;
    sw::g_profileName = L"Screenshots";
    const std::wstring listKey = sw::ProfileSubkeyPath(sw::kProfileListSubkey);
    const std::wstring list = kSampleList;
    sandbox.SetValue(listKey, L"001f041a", REG_BINARY, list.c_str(),
                     static_cast<DWORD>((list.size() + 1) * sizeof(wchar_t)));
    sw::SetSettingsRoot(HKEY_CURRENT_USER, sw::kSettingsMaker);

    bool saved = true;
    sw::test::RunOptionsSheet([&](SheetDriver& sheet) {
        ComApartment com;
        const HWND options = sheet.PageWindow(0);
        SendMessageW(GetDlgItem(options, IDC_SAFE_DOMAINS), LB_SETCURSEL, 2, 0);
        saved &= Save(sheet.sheet(), folder, L"options-page.png");

        const HWND blocked = sheet.ShowPage(1);
        const HWND entries = GetDlgItem(blocked, IDC_ENTRIES);
        SheetDriver::SelectRows(entries, {1, 4});
        SendMessageW(blocked, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(entries), TRUE);
        saved &= Save(sheet.sheet(), folder, L"blocked-senders-page.png");

        SheetDriver::SetText(blocked, IDC_SEARCH, L"example.org");
        saved &= Save(sheet.sheet(), folder, L"blocked-senders-search.png");
        sheet.PressCancel();
    });
    return saved ? 0 : 1;
}
