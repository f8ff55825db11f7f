// The Welcome page's link to the product's web page.
#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>
#include "common/handles.h"
#include "common/product.h"
#include "common/prompt.h"
#include "common/text.h"
#include "setup/entry.h"
#include "setup/pages.h"

namespace {

// From Windows Vista on, setup runs elevated. The browser is whatever the
// user's own hive names for http, and started from here it would get those
// rights; earlier systems have no elevation to pass on.
bool setupMayBeElevated() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    return checkCalls.getVersionEx(&version) && version.dwMajorVersion >= 6;
}

// Has the desktop's shell (Explorer, which runs with the user's own rights)
// open the address: its window list yields the desktop's view, whose
// automation object has ShellExecute.
HRESULT openInDesktopShell(const wchar_t* address) {
    ComPtr<IShellWindows> windows;
    HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                  windows.receive());
    if (FAILED(hr)) return hr;
    VARIANT desktop, none;
    VariantInit(&desktop);
    VariantInit(&none);
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> found;
    hr = windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                               reinterpret_cast<IDispatch**>(found.receive()));
    if (hr != S_OK || !found) return FAILED(hr) ? hr : E_FAIL;  // S_FALSE: no desktop
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> background;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(hr = found->QueryInterface(IID_IServiceProvider, services.receive())) ||
        FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.receive())) ||
        FAILED(hr = browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.receive()))) ||
        FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.receive())) ||
        FAILED(hr = background->QueryInterface(IID_IShellFolderViewDual, folderView.receive())) ||
        FAILED(hr = folderView->get_Application(reinterpret_cast<IDispatch**>(application.receive()))) ||
        FAILED(hr = application->QueryInterface(IID_IShellDispatch2, shell.receive())))
        return hr;
    BSTR file = SysAllocString(address);
    if (!file) return E_OUTOFMEMORY;
    hr = shell->ShellExecute(file, none, none, none, none);
    SysFreeString(file);
    return hr;
}

}  // namespace

void openProductPage(HWND page) {
    if (!setupMayBeElevated()) {
        ShellExecuteA(nullptr, "open", ORLAN_PRODUCT_PAGE, nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    HRESULT com = CoInitialize(nullptr);
    HRESULT opened = openInDesktopShell(L"" ORLAN_PRODUCT_PAGE);
    if (SUCCEEDED(com)) CoUninitialize();
    // Without a desktop shell to ask, the address is shown, not opened here.
    if (FAILED(opened)) prompt::tell(page, product::kOpenProductPage, product::kSetupBoxCaption, MB_ICONINFORMATION);
}
