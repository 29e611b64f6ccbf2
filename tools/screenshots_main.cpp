// Renders the three pages of the Options sheet over a sample list and history, the
// capacity meter of a nearly full list, the Tidy dialog, the report of an
// import and the progress window of a long run into PNG files for the
// documentation. Usage: manager_screenshots OUTPUT_FOLDER
// (run under Wine with a display; scripts/screenshots.sh does that). A tool
// for the documentation, not a test.
#include "manager/file_chooser.h"
#include "platform/command_progress.h"
#include "manager/resource.h"
#include "platform/com_ptr.h"
#include "store/history.h"
#include "store/profile_store.h"
#include "store/settings.h"
#include "store/state.h"
#include "tests/harness/registry_sandbox.h"
#include "tests/manager/sample_data.h"
#include "tests/manager/sheet_driver.h"

#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using sw::com_ptr;
using sw::test::kSampleList;
using sw::test::kUntidyEntries;
using sw::test::SheetDriver;

// What the import screenshot imports: a few good lines and a few bad ones.
constexpr char kImportFile[] = "ann@offers.example\r\nexample-spam.com\r\n*@junkmail.example\r\n"
                               "deals@bargain-outlet.example\r\nnot an address\r\n"
                               "bob@offers.example; carl@offers.example\r\nvip@\r\n";

std::wstring g_importPath;

bool ChooseImportFile(HWND, sw::FileChoice, std::wstring& path) {
    path = g_importPath;
    return true;
}

// `count` addresses of 36 characters: 74 bytes each as stored.
std::wstring LongList(size_t count) {
    std::wstring list;
    for (size_t i = 0; i < count; ++i) {
        wchar_t entry[64];
        swprintf(entry, 64, L"offer%05zu@promo-mailer%05zu.example;", i, i % 977);
        list += entry;
    }
    return list;
}

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

// Moves nothing: the screenshot shows the page, not its result.
class NoRestorer : public sw::MessageRestorer {
public:
    sw::RestoreReport Restore(const std::vector<sw::HistoryAction>&) noexcept override {
        return {};
    }
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
    sw::g_host.profileName = L"Screenshots";
    const std::wstring listKey =
        sw::ProfileSubkeyPath(sw::g_host.Profile(), sw::kProfileListSubkey);
    const auto store = [&](const std::wstring& list) {
        sandbox.SetValue(listKey, L"001f041a", REG_BINARY, list.c_str(),
                         static_cast<DWORD>((list.size() + 1) * sizeof(wchar_t)));
    };
    store(kSampleList);
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

    wchar_t historyTemp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, historyTemp);
    const std::wstring historyFolder = std::wstring(historyTemp) + L"spamwarden-screenshot-history";
    const std::wstring previousHistory = sw::SetHistoryFolder(historyFolder);
    DeleteFileW(sw::HistoryFilePath().c_str());
    sw::test::RecordSampleHistory();
    NoRestorer restorer;
    sw::test::RunOptionsSheet(
        [&](SheetDriver& sheet) {
            ComApartment com;
            const HWND history = sheet.ShowPage(2);
            const HWND runs = GetDlgItem(history, IDC_HISTORY_LIST);
            // The mistaken Block Domains run.
            SheetDriver::SelectRows(runs, {2});
            SendMessageW(history, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(runs), TRUE);
            saved &= Save(sheet.sheet(), folder, L"history-page.png");
            sheet.PressCancel();
        },
        &restorer);
    DeleteFileW(sw::HistoryFilePath().c_str());
    RemoveDirectoryW(historyFolder.c_str());
    sw::SetHistoryFolder(previousHistory);

    // A list at 95 % of what Exchange keeps: the meter turns amber.
    store(LongList(6600));
    sw::test::RunOptionsSheet([&](SheetDriver& sheet) {
        ComApartment com;
        sheet.ShowPage(1);
        saved &= Save(sheet.sheet(), folder, L"blocked-senders-meter.png");
        sheet.PressCancel();
    });

    store(std::wstring(kSampleList) + kUntidyEntries);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    g_importPath = std::wstring(temp) + L"spamwarden-screenshot-import.txt";
    std::ofstream(g_importPath.c_str(), std::ios::binary) << kImportFile;
    const sw::FileChooser previous = sw::SetFileChooser(&ChooseImportFile);
    sw::test::RunOptionsSheet([&](SheetDriver& sheet) {
        ComApartment com;
        const HWND blocked = sheet.ShowPage(1);
        SheetDriver::PostClick(blocked, IDC_TIDY);
        if (const HWND tidy = sheet.WaitForWindow(L"Tidy the Blocked Senders List")) {
            saved &= Save(tidy, folder, L"tidy-dialog.png");
            SheetDriver::Click(tidy, IDCANCEL);
            SheetDriver::WaitUntilGone(tidy);
        } else {
            saved = false;
        }
        SheetDriver::PostClick(blocked, IDC_IMPORT);
        if (const HWND report = sheet.WaitForWindow(L"Spamwarden")) {
            saved &= Save(report, folder, L"import-result.png");
            PostMessageW(report, WM_COMMAND, IDOK, 0);
            SheetDriver::WaitUntilGone(report);
        } else {
            saved = false;
        }
        sheet.PressCancel();
    });
    sw::SetFileChooser(previous);
    DeleteFileW(g_importPath.c_str());

    // The progress window of a long blocking run.
    {
        ComApartment com;
        std::unique_ptr<sw::CommandProgress> progress =
            sw::ShowCommandProgress(L"Block Senders", 240, 0);
        if (progress && progress->Step(87, 240)) {
            const HWND window = FindWindowW(L"SpamwardenProgress", L"Block Senders");
            saved &= window && Save(window, folder, L"command-progress.png");
        } else {
            saved = false;
        }
    }
    return saved ? 0 : 1;
}
