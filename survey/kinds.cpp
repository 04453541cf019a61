// The kinds of modal loop the survey runs: one small function per modal.
// Each records its initialisation through NoteInit; the bracket records
// the rest and closes the modal.
#include "survey/survey.h"

// One hook serves every common dialog: they all call it with WM_INITDIALOG.
static UINT_PTR CALLBACK InitHook(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG)
        NoteInit();
    return 0;
}

static DWORD DialogError(BOOL ok)
{
    return ok ? 0 : CommDlgExtendedError();
}

static DWORD RunOpenFile(HWND owner, DWORD flags, BOOL(WINAPI *call)(OPENFILENAMEA *))
{
    char fileName[MAX_PATH] = "";
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = OPEN_FILE_RECORD_SIZE;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = sizeof(fileName);
    ofn.Flags = flags | OFN_ENABLEHOOK;
    ofn.lpfnHook = InitHook;
    return DialogError(call(&ofn));
}

static DWORD OpenExplorer(HWND owner)
{
    return RunOpenFile(owner, OFN_EXPLORER, GetOpenFileNameA);
}

static DWORD OpenOld(HWND owner)
{
    return RunOpenFile(owner, 0, GetOpenFileNameA);
}

static DWORD SaveExplorer(HWND owner)
{
    return RunOpenFile(owner, OFN_EXPLORER, GetSaveFileNameA);
}

static DWORD OpenWide(HWND owner)
{
    wchar_t fileName[MAX_PATH] = L"";
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = fileName;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK;
    ofn.lpfnHook = InitHook;
    return DialogError(GetOpenFileNameW(&ofn));
}

static DWORD Font(HWND owner)
{
    LOGFONTA font;
    ZeroMemory(&font, sizeof(font));
    CHOOSEFONTA cf;
    ZeroMemory(&cf, sizeof(cf));
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner;
    cf.lpLogFont = &font;
    cf.Flags = CF_SCREENFONTS | CF_ENABLEHOOK;
    cf.lpfnHook = InitHook;
    return DialogError(ChooseFontA(&cf));
}

static DWORD Colour(HWND owner)
{
    COLORREF custom[16] = {0};
    CHOOSECOLORA cc;
    ZeroMemory(&cc, sizeof(cc));
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.lpCustColors = custom;
    cc.Flags = CC_ENABLEHOOK;
    cc.lpfnHook = InitHook;
    return DialogError(ChooseColorA(&cc));
}

static void FreePrinterHandles(HGLOBAL devMode, HGLOBAL devNames)
{
    if (devMode)
        GlobalFree(devMode);
    if (devNames)
        GlobalFree(devNames);
}

static DWORD PrintSetup(HWND owner)
{
    PRINTDLGA pd;
    ZeroMemory(&pd, sizeof(pd));
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = owner;
    pd.Flags = PD_PRINTSETUP | PD_ENABLESETUPHOOK;
    pd.lpfnSetupHook = InitHook;
    DWORD error = DialogError(PrintDlgA(&pd));
    FreePrinterHandles(pd.hDevMode, pd.hDevNames);
    return error;
}

static DWORD PageSetup(HWND owner)
{
    PAGESETUPDLGA psd;
    ZeroMemory(&psd, sizeof(psd));
    psd.lStructSize = sizeof(psd);
    psd.hwndOwner = owner;
    psd.Flags = PSD_ENABLEPAGESETUPHOOK;
    psd.lpfnPageSetupHook = InitHook;
    DWORD error = DialogError(PageSetupDlgA(&psd));
    FreePrinterHandles(psd.hDevMode, psd.hDevNames);
    return error;
}

static int CALLBACK BrowseCallback(HWND, UINT message, LPARAM, LPARAM)
{
    if (message == BFFM_INITIALIZED)
        NoteInit();
    return 0;
}

static DWORD BrowseFolder(HWND owner)
{
    BROWSEINFOA bi;
    ZeroMemory(&bi, sizeof(bi));
    bi.hwndOwner = owner;
    bi.lpszTitle = "survey";
    bi.lpfn = BrowseCallback;
    // The folder browser is built on the object model, which this thread
    // needs only here.
    HRESULT com = CoInitialize(NULL);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&bi);
    if (chosen)
        CoTaskMemFree(chosen);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}

// A message box has no hook of its own; a hook on the thread sees its
// WM_INITDIALOG arrive.
static HHOOK g_messageBoxHook;
static LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && ((const CWPSTRUCT *)lParam)->message == WM_INITDIALOG)
        NoteInit();
    return CallNextHookEx(g_messageBoxHook, code, wParam, lParam);
}

static DWORD LastErrorUnless(bool ok)
{
    return ok ? 0 : GetLastError();
}

static DWORD MessageBoxKind(HWND owner)
{
    g_messageBoxHook = SetWindowsHookExA(WH_CALLWNDPROC, MessageBoxHook, NULL, GetCurrentThreadId());
    int result = MessageBoxA(owner, "The capture survey", "survey", MB_OK);
    UnhookWindowsHookEx(g_messageBoxHook);
    return LastErrorUnless(result != 0);
}

static INT_PTR CALLBACK PlainDialogProc(HWND hdlg, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        NoteInit();
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(hdlg, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

// A template with no controls: the header, then empty menu, class and title.
struct PlainTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

static DWORD PlainDialog(HWND owner)
{
    static PlainTemplate plain; // DLGTEMPLATE must be DWORD-aligned
    plain.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    plain.header.cx = 120;
    plain.header.cy = 60;
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(NULL), &plain.header, owner,
                                             PlainDialogProc, 0);
    return LastErrorUnless(result != -1);
}

static DWORD PopupMenu(HWND owner)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "survey");
    SetLastError(0);
    // The owner's window procedure records WM_INITMENUPOPUP.
    BOOL shown = TrackPopupMenu(menu, TPM_RETURNCMD, 150, 150, 0, owner, NULL);
    DWORD error = LastErrorUnless(shown);
    DestroyMenu(menu);
    return error;
}

const std::vector<Kind> &AllKinds()
{
    static const std::vector<Kind> kinds = {
        {"open_explorer", OpenExplorer, "Open dialog (explorer)"},
        {"open_old", OpenOld, "Open dialog (old style)"},
        {"save_explorer", SaveExplorer, "Save dialog (explorer)"},
        {"open_wide", OpenWide, "Open dialog (explorer, wide)"},
        {"font", Font, "Font dialog"},
        {"colour", Colour, "Colour dialog"},
        {"print_setup", PrintSetup, "Print setup dialog"},
        {"page_setup", PageSetup, "Page setup dialog"},
        {"browse_folder", BrowseFolder, "Folder browser"},
        {"message_box", MessageBoxKind, "Message box"},
        {"dialog", PlainDialog, "Dialog from a template"},
        {"popup_menu", PopupMenu, "Popup menu"},
    };
    return kinds;
}

const Kind *FindKind(const std::string &name)
{
    for (const Kind &kind : AllKinds())
        if (name == kind.name)
            return &kind;
    return NULL;
}
