// An owner-drawn button painted from a vertical PNG strip of state cells:
// 0 normal, 1 hover, 2 pressed, 3 disabled; check buttons add 4 checked,
// 5 checked hover, 6 checked pressed and (8-cell strips) 7 checked disabled.
#pragma once

#include "framework/Controls.h"
#include "ui/kit/GdiPlus.h"
#include "ui/kit/XInfoTip.h"

class CPngButton : public CButton {
public:
    CPngButton() = default;
    ~CPngButton() override;

    // Loads the "PNG" strip (module null: the program's own) and sizes the
    // button to one cell. A missing image leaves the button as it was.
    void SetImage(HMODULE module, UINT id);
    void EnableButton(BOOL enable);

    void SetCellCount(int count) { m_cellCount = count > 0 ? count : 1; }
    void SetIconImage(Gdiplus::Bitmap* icon);  // takes ownership
    void SetBackgroundImage(Gdiplus::Bitmap* image, int offsetX, int offsetY);  // takes ownership
    void SetTextColors(COLORREF normal, COLORREF hover, COLORREF pressed, COLORREF disabled,
                       COLORREF checkedHover, COLORREF checkedPressed, COLORREF checked);
    void SetTextOffset(int x, int y) { m_textX = x; m_textY = y; }
    void SetIconPosition(int x, int y) { m_iconX = x; m_iconY = y; }
    void SetUseParentBitmap(BOOL use) { m_useParentBitmap = use; }
    // The tooltip text: the tip window is made on first use.
    void SetTooltipText(const char* text);

    bool HasImage() const { return m_strip != nullptr; }
    int GetCellCount() const { return m_cellCount; }
    CSize GetCellSize() const { return CSize(m_cellWidth, m_cellHeight); }
    bool IsCheckMode() const { return m_checkMode != 0; }
    bool IsChecked() const { return m_checked != 0; }
    void SetChecked(bool checked) { m_checked = checked; Invalidate(FALSE); }
    // The cell that the current state shows.
    int CurrentCell() const;
    CXInfoTip& Tooltip() { return m_tip; }

    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
    DECLARE_MESSAGE_MAP()
    void OnDestroy();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnSize(UINT type, int cx, int cy);
    void OnEnable(BOOL enable);
    void OnMouseMove(UINT flags, CPoint pt);
    void OnMouseHover(UINT flags, CPoint pt);
    void OnMouseLeave();
    void OnLButtonDown(UINT flags, CPoint pt);
    void OnLButtonUp(UINT flags, CPoint pt);
    void OnLButtonDblClk(UINT flags, CPoint pt);

    void DrawBackground(HDC dc, int w, int h);

    Gdiplus::Bitmap* m_strip = nullptr;
    // The strip again as premultiplied pixels: blended by GDI in every paint,
    // far faster than a GDI+ draw (several milliseconds a button under Wine).
    HBITMAP m_stripPixels = nullptr;
    void MakeStripPixels();
    Gdiplus::Bitmap* m_icon = nullptr;
    Gdiplus::Bitmap* m_background = nullptr;
    int m_cellCount = 4;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    COLORREF m_colorNormal = RGB(0, 0, 0);
    COLORREF m_colorHover = RGB(0, 0, 0);
    COLORREF m_colorPressed = RGB(0, 0, 0);
    COLORREF m_colorDisabled = RGB(128, 128, 128);
    COLORREF m_colorCheckedHover = RGB(0, 0, 0);
    COLORREF m_colorCheckedPressed = RGB(0, 0, 0);
    COLORREF m_colorChecked = RGB(0, 0, 0);
    int m_hover = 0;
    int m_tracked = 0;
    int m_pressed = 0;
    int m_enabled = 1;
    int m_checkMode = 0;
    int m_checked = 0;
    CDC m_bkDC;
    CBitmap m_bkBitmap;
    HGDIOBJ m_bkOld = nullptr;
    CBitmap m_parentBitmap;
    int m_useParentBitmap = 0;
    CXInfoTip m_tip;
    int m_bkOffsetX = 0;
    int m_bkOffsetY = 0;
    int m_textX = 0;
    int m_textY = 0;
    int m_iconX = 0;
    int m_iconY = 0;
};
