// Thin owners of GDI objects and device contexts.
#pragma once

#include "framework/String.h"
#include "framework/Types.h"

class CWnd;

// Owns one GDI object handle; deletes it unless detached.
class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject() { DeleteObject(); }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    bool Attach(HGDIOBJ h) { DeleteObject(); m_hObject = h; return h != nullptr; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
    bool DeleteObject();

protected:
    HGDIOBJ m_hObject = nullptr;
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                    BYTE quality, BYTE pitchAndFamily, const char* face);
    bool CreateFontIndirect(const LOGFONTA* lf) { return Attach(::CreateFontIndirectA(lf)); }
    // A plain font of the given face, pixel height (negative: character height) and weight.
    bool CreateSimple(const char* face, int height, int weight);
};

class CPen : public CGdiObject {
public:
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    bool CreatePen(int style, int width, COLORREF colour) { return Attach(::CreatePen(style, width, colour)); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    bool CreateSolidBrush(COLORREF colour) { return Attach(::CreateSolidBrush(colour)); }
    bool CreatePatternBrush(HBITMAP bmp) { return Attach(::CreatePatternBrush(bmp)); }
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    bool CreateCompatibleBitmap(HDC dc, int w, int h) { return Attach(::CreateCompatibleBitmap(dc, w, h)); }
    CSize GetSize() const;
};

class CRgn : public CGdiObject {
public:
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
    bool CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
};

// A device context. Plain CDC owns DCs it creates (CreateCompatibleDC) and
// leaves attached ones alone; the paint, client and window DCs release theirs.
class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    void Attach(HDC dc) { m_hDC = dc; m_owned = false; }
    HDC Detach() { HDC dc = m_hDC; m_hDC = nullptr; m_owned = false; return dc; }
    bool CreateCompatibleDC(HDC dc);
    void DeleteDC();

    HGDIOBJ SelectObject(HGDIOBJ obj) { return ::SelectObject(m_hDC, obj); }
    HGDIOBJ SelectObject(const CGdiObject& obj) { return ::SelectObject(m_hDC, obj.GetSafeHandle()); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    CPoint SetWindowOrg(int x, int y);

    int DrawText(const char* text, int len, RECT* rc, UINT format) { return ::DrawTextA(m_hDC, text, len, rc, format); }
    int DrawText(const CString& text, RECT* rc, UINT format) { return DrawText(text, text.GetLength(), rc, format); }
    // Extent of a text as DrawText with DT_CALCRECT measures it (single line).
    CSize MeasureText(const char* text, int len, UINT format = DT_SINGLELINE | DT_NOPREFIX);
    CSize GetTextExtent(const char* text, int len) const;

    void FillSolidRect(const RECT& rc, COLORREF colour);
    void FillRect(const RECT& rc, HBRUSH brush) { ::FillRect(m_hDC, &rc, brush); }
    void FrameRect(const RECT& rc, HBRUSH brush) { ::FrameRect(m_hDC, &rc, brush); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL BitBlt(int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src, sx, sy, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

protected:
    bool m_owned = false;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_wnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND wnd) : m_wnd(wnd) { Attach(::GetDC(wnd)); }
    ~CClientDC() override { if (m_hDC) ::ReleaseDC(m_wnd, Detach()); }

private:
    HWND m_wnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND wnd) : m_wnd(wnd) { Attach(::GetWindowDC(wnd)); }
    ~CWindowDC() override { if (m_hDC) ::ReleaseDC(m_wnd, Detach()); }

private:
    HWND m_wnd;
};
