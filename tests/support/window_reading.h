// What the tests read of the program's windows as any program could, in the program's process or from
// another: their titles, a pixel of a window's own image, and the name a screen reader reads for a window.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

namespace tintavo::test_support {

// The clock windows' titles, as the program writes them.
inline constexpr const wchar_t* kMainTitle = L"ZuziradOdor Digital Tintavo";
inline constexpr const wchar_t* kCompactTitle = L"Quorvin Clock";

// A pixel of the window's client area in the window's own image (not the screen, where another window may
// lie).
inline COLORREF PixelOf(HWND window, POINT client) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, client.x, client.y);
    ReleaseDC(window, dc);
    return color;
}

// What a screen reader reads for a window: the name of its client object; empty when it offers none.
// mingw-w64 exports IID_IAccessible as code, not data: its value, spelled out.
inline std::wstring AccessibleName(HWND window) {
    static constexpr IID kIidAccessible{
        0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    const HRESULT com =
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // the object may be another process's
    std::wstring text;
    IAccessible* accessible = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                             reinterpret_cast<void**>(&accessible)))) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        if (SUCCEEDED(accessible->get_accName(self, &name)) && name) text = name;
        SysFreeString(name);
        accessible->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return text;
}

} // namespace tintavo::test_support
