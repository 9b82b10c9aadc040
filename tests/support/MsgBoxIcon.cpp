// MsgBoxIcon.cpp - which standard icon a message box shows, and screen captures.
#include "TestSupport.h"

#include <climits>
#include <cstdio>

namespace vtltest
{

namespace
{
struct IconKind
{
    UINT mb;
    LPCSTR id;
};
const IconKind kIcons[] = {{MB_ICONERROR, IDI_HAND},
                           {MB_ICONWARNING, IDI_EXCLAMATION},
                           {MB_ICONINFORMATION, IDI_ASTERISK},
                           {MB_ICONQUESTION, IDI_QUESTION}};

BOOL CALLBACK FindIconStatic(HWND h, LPARAM l)
{
    LONG style = GetWindowLongA(h, GWL_STYLE);
    if (GetClass(h) == "Static" && (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE))
    {
        *reinterpret_cast<HWND *>(l) = h;
        return FALSE;
    }
    return TRUE;
}

// Top-down 32-bit pixels of a w x h DC area.
std::vector<DWORD> Pixels(HDC src, int x, int y, int w, int h)
{
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (bmp && bits)
    {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, src, x, y, SRCCOPY);
        GdiFlush();
        memcpy(px.data(), bits, px.size() * 4);
        SelectObject(mem, old);
    }
    if (bmp)
        DeleteObject(bmp);
    DeleteDC(mem);
    return px;
}

// The icon drawn on a background of colour bg, as pixels.
std::vector<DWORD> Render(HICON icon, DWORD bg, int w, int h)
{
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH br = CreateSolidBrush(RGB((bg >> 16) & 0xFF, (bg >> 8) & 0xFF, bg & 0xFF));
    RECT rc{0, 0, w, h};
    FillRect(mem, &rc, br);
    DeleteObject(br);
    DrawIconEx(mem, 0, 0, icon, 0, 0, 0, NULL, DI_NORMAL | DI_DEFAULTSIZE);
    std::vector<DWORD> px = Pixels(mem, 0, 0, w, h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return px;
}

long long Distance(const std::vector<DWORD> &a, const std::vector<DWORD> &b)
{
    long long d = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int s = 0; s < 24; s += 8)
            d += std::abs(static_cast<int>((a[i] >> s) & 0xFF) -
                          static_cast<int>((b[i] >> s) & 0xFF));
    return d;
}
} // namespace

UINT MessageBoxIcon(HWND hBox)
{
    HWND st = NULL;
    EnumChildWindows(hBox, FindIconStatic, reinterpret_cast<LPARAM>(&st));
    if (!st)
        return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(hBox, &pid);
    if (pid == GetCurrentProcessId())
    {
        // Same process: the box holds the shared system icon handle.
        DWORD_PTR h = 0;
        SendMessageTimeoutA(st, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &h);
        for (const IconKind &k : kIcons)
            if (h && reinterpret_cast<HICON>(h) == LoadIconA(NULL, k.id))
                return k.mb;
    }
    // Another process's icon handle means nothing here: compare what is on screen.
    if (!IsWindowVisible(hBox))
        return 0;
    int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    RECT rc;
    GetWindowRect(st, &rc);
    HDC screen = GetDC(NULL);
    std::vector<DWORD> shot = Pixels(screen, rc.left, rc.top, w, h);
    ReleaseDC(NULL, screen);
    DWORD bg = shot[0]; // system icons leave their corners transparent
    long long best = LLONG_MAX;
    UINT kind = 0;
    for (const IconKind &k : kIcons)
    {
        long long d = Distance(shot, Render(LoadIconA(NULL, k.id), bg, w, h));
        if (d < best)
        {
            best = d;
            kind = k.mb;
        }
    }
    // Accept only a close match (a few levels per channel on average).
    return best <= 8LL * 3 * w * h ? kind : 0;
}

bool SaveScreenBmp(const std::string &path)
{
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0)
        return false;
    HDC screen = GetDC(NULL);
    std::vector<DWORD> px = Pixels(screen, x, y, w, h);
    ReleaseDC(NULL, screen);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = -h;
    ih.biPlanes = 1;
    ih.biBitCount = 32;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + px.size() * 4);
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&ih, sizeof ih, 1, f) == 1 &&
              fwrite(px.data(), 4, px.size(), f) == px.size();
    return fclose(f) == 0 && ok;
}

} // namespace vtltest
