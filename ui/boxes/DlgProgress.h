// The wait box: a status text whose dots grow once a second, and a 12-frame
// animation or a progress bar. Half a second after it opens it posts the
// notice of its mode to its owner, which then starts the job and ends the box.
#pragma once

#include "framework/Dialog.h"
#include "ui/kit/GdiPlus.h"

class CDlgProgress : public CDialog {
public:
    explicit CDlgProgress(HWND parent);
    ~CDlgProgress() override;

    static constexpr UINT_PTR kNoticeTimer = 1;
    static constexpr UINT_PTR kFrameTimer = 2;
    static constexpr UINT_PTR kDotTimer = 3;

    Gdiplus::Bitmap* m_animation = nullptr;
    CString m_status;
    int m_mode = 0;  // set by the creator before DoModal
    CRect m_animRect;
    CRect m_statusRect;
    int m_frame = 0;
    CFont m_font;
    int m_dotCounter = 1;
    int m_progressTotal = 0;
    int m_progressDone = 0;
    int m_progressShown = 0;
    int m_barWidth = 0;
    HWND m_owner = nullptr;  // receives the notices; the parent when none is set

    // Ends the box from any state (also before it is shown, and from the
    // owner's watchdog); the result of DoModal is the code given.
    void End(int result);
    // The owner's progress update: values and a repaint.
    void SetProgress(int done, int total);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }

    bool m_statusCentred = false;
    bool m_endRequested = false;
    int m_endResult = IDCANCEL;
};
