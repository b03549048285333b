// Off-screen drawing: draw into this DC, and the destructor copies the
// rectangle to the target in one blit.
#pragma once

#include "framework/Gdi.h"

class CMemdc : public CDC {
public:
    CMemdc(HDC target, const RECT& rc);
    ~CMemdc() override;

private:
    HDC m_target;
    CRect m_rect;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
};
