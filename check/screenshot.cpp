#include "check/screenshot.h"
#include "outside/libraries.h"
#include "outside/text.h"

// GDI+'s flat interface, as the library exports it; loaded only when a
// picture is asked for.
struct GdiplusStartupInput {
    UINT32 GdiplusVersion;
    void *DebugEventCallback;
    BOOL SuppressBackgroundThread;
    BOOL SuppressExternalCodecs;
};
typedef int(WINAPI *StartupFunction)(ULONG_PTR *, const GdiplusStartupInput *, void *);
typedef void(WINAPI *ShutdownFunction)(ULONG_PTR);
typedef int(WINAPI *FromBitmapFunction)(HBITMAP, HPALETTE, void **);
typedef int(WINAPI *SaveFunction)(void *, const WCHAR *, const CLSID *, const void *);
typedef int(WINAPI *DisposeFunction)(void *);

// GDI+'s built-in PNG encoder.
static const CLSID PNG_ENCODER = {0x557cf406, 0x1a04, 0x11d3,
                                  {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

// The window's rectangle of the screen, copied into a bitmap.
static HBITMAP CopyWindowArea(HWND hwnd)
{
    RECT rect;
    if (!g_window.GetWindowRect(hwnd, &rect))
        return NULL;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = g_window.GetDC(NULL);
    HDC memory = g_window.CreateCompatibleDC(screen);
    HBITMAP bitmap = g_window.CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = g_window.SelectObject(memory, bitmap);
    g_window.BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    g_window.SelectObject(memory, old);
    g_window.DeleteDC(memory);
    g_window.ReleaseDC(NULL, screen);
    return bitmap;
}

static bool SaveBitmapPng(HMODULE gdiplus, HBITMAP bitmap, const std::wstring &path,
                          std::string *error)
{
    StartupFunction startup = (StartupFunction)(void *)GetProcAddress(gdiplus, "GdiplusStartup");
    ShutdownFunction shutdown = (ShutdownFunction)(void *)GetProcAddress(gdiplus, "GdiplusShutdown");
    FromBitmapFunction fromBitmap =
        (FromBitmapFunction)(void *)GetProcAddress(gdiplus, "GdipCreateBitmapFromHBITMAP");
    SaveFunction save = (SaveFunction)(void *)GetProcAddress(gdiplus, "GdipSaveImageToFile");
    DisposeFunction dispose = (DisposeFunction)(void *)GetProcAddress(gdiplus, "GdipDisposeImage");
    if (!startup || !shutdown || !fromBitmap || !save || !dispose) {
        *error = "the platform's GDI+ lacks the functions to write PNG";
        return false;
    }
    GdiplusStartupInput input = {1, NULL, FALSE, FALSE};
    ULONG_PTR token = 0;
    int status = startup(&token, &input, NULL);
    void *image = NULL;
    if (status == 0)
        status = fromBitmap(bitmap, NULL, &image);
    if (status == 0)
        status = save(image, path.c_str(), &PNG_ENCODER, NULL);
    if (status != 0)
        *error = "GDI+ could not write the PNG file (status " + std::to_string(status) +
                 "); check that its folder exists and can be written";
    if (image)
        dispose(image);
    if (token)
        shutdown(token);
    return status == 0;
}

bool SaveWindowPng(HWND hwnd, const std::wstring &path, std::string *error)
{
    HMODULE gdiplus = LoadLibraryA("gdiplus.dll");
    if (!gdiplus) {
        *error = "the platform has no GDI+ (gdiplus.dll): " + ErrorText(GetLastError());
        return false;
    }
    HBITMAP bitmap = CopyWindowArea(hwnd);
    if (!bitmap) {
        *error = "the window could not be copied from the screen";
        return false;
    }
    bool saved = SaveBitmapPng(gdiplus, bitmap, path, error);
    g_window.DeleteObject(bitmap);
    return saved;
}
