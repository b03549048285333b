#include "framework/Gdi.h"

bool CGdiObject::DeleteObject() {
    if (!m_hObject) return false;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok != FALSE;
}

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                       BYTE quality, BYTE pitchAndFamily, const char* face) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
}

bool CFont::CreateSimple(const char* face, int height, int weight) {
    return CreateFont(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

CSize CBitmap::GetSize() const {
    BITMAP bm{};
    if (!m_hObject || !::GetObjectA(m_hObject, sizeof bm, &bm)) return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}

CDC::~CDC() { DeleteDC(); }

bool CDC::CreateCompatibleDC(HDC dc) {
    DeleteDC();
    m_hDC = ::CreateCompatibleDC(dc);
    m_owned = m_hDC != nullptr;
    return m_owned;
}

void CDC::DeleteDC() {
    if (m_hDC && m_owned) ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_owned = false;
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CSize CDC::MeasureText(const char* text, int len, UINT format) {
    RECT rc{0, 0, 0, 0};
    ::DrawTextA(m_hDC, text, len, &rc, format | DT_CALCRECT);
    return CSize(rc.right - rc.left, rc.bottom - rc.top);
}

CSize CDC::GetTextExtent(const char* text, int len) const {
    SIZE s{};
    ::GetTextExtentPoint32A(m_hDC, text, len, &s);
    return CSize(s);
}

void CDC::FillSolidRect(const RECT& rc, COLORREF colour) {
    COLORREF old = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

CPaintDC::CPaintDC(HWND wnd) : m_wnd(wnd) { Attach(::BeginPaint(wnd, &m_ps)); }

CPaintDC::~CPaintDC() {
    if (m_hDC) {
        Detach();
        ::EndPaint(m_wnd, &m_ps);
    }
}
