#include "ui/kit/Memdc.h"

CMemdc::CMemdc(HDC target, const RECT& rc) : m_target(target), m_rect(rc) {
    CreateCompatibleDC(target);
    m_bitmap.CreateCompatibleBitmap(target, m_rect.Width() > 0 ? m_rect.Width() : 1,
                                    m_rect.Height() > 0 ? m_rect.Height() : 1);
    m_oldBitmap = SelectObject(m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
    FillSolidRect(m_rect, ::GetBkColor(target));
}

CMemdc::~CMemdc() {
    ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, m_rect.left, m_rect.top,
             SRCCOPY);
    SelectObject(m_oldBitmap);
}
