// The image pane: shows an image entry's bytes with GDI+ (through a
// temporary copy in the program's folder), animates GIFs, and keeps a
// history of display sizes chosen with the Resize dialog.
#pragma once

#include "framework/Wnd.h"
#include "workbench/files/ImageRules.h"
#include "ui/kit/GdiPlus.h"

#include <vector>

class CWndImage : public CWnd {
public:
    enum : UINT { kTimerAnimate = 1 };

    CWndImage();
    ~CWndImage() override;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
    }
    // Shows the bytes of the named entry; false (and an empty pane) when
    // they cannot be shown.
    bool OpenImage(const void* bytes, size_t count, const char* name);
    void CloseImage();
    // The CLSID of the GDI+ encoder of a MIME type: its index, -1 for none.
    static int GetEncoderClsid(const WCHAR* mime, CLSID* clsid);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    bool IsResizable() const { return m_resizable != 0; }
    bool IsModified() const { return m_modified != 0; }
    bool IsAnimated() const { return m_frameCount >= 2 && !m_delays.empty(); }
    bool HasImage() const { return m_image != nullptr; }
    const CString& TempPath() const { return m_tempPath; }
    const CImageSizeHistory& History() const { return m_history; }

    // Resize (command 32877); the dialog's result as if OK was pressed with it.
    void ApplySize(int width, int height);
    // An entry's size chosen before, shown again: a new step of the history,
    // marked as resized, without telling the parent (its entry knows).
    void RestoreSize(int width, int height);
    // The size went into the entry: the next resize marks it changed again.
    void ForgetResize() { m_modified = 0; }
    BOOL PreTranslateMessage(MSG* msg) override;

    // Where temporary copies go: CSIDL_APPDATA\ZarvoD (tests point it elsewhere).
    static CString TempFolder();
    static void SetTempFolderForTests(const char* folder);

protected:
    DECLARE_MESSAGE_MAP()
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnHScroll(WPARAM wParam, LPARAM) { Scroll(SB_HORZ, LOWORD(wParam)); return 0; }
    LRESULT OnVScroll(WPARAM wParam, LPARAM) { Scroll(SB_VERT, LOWORD(wParam)); return 0; }
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM);
    void OnLButtonDown(UINT, CPoint) { SetFocus(); }
    void OnTimer(UINT_PTR id);
    LRESULT OnContextMenu(WPARAM, LPARAM lParam);
    void OnResize();
    void OnDestroy();
    void Scroll(int bar, int code);
    void SetScrollRanges();
    bool WriteTempFile(const void* bytes, size_t count, const char* name);
    void LoadFrames();

    int m_resizable = 0;
    int m_modified = 0;
    CString m_tempPath;
    Gdiplus::Image* m_image = nullptr;
    int m_width = 0;
    int m_height = 0;
    CImageSizeHistory m_history;
    std::vector<GUID> m_dimensions;
    UINT m_frameCount = 0;
    std::vector<UINT> m_delays;  // milliseconds per frame
    UINT m_currentFrame = 0;
    unsigned m_openSerial = 0;  // tells a Resize dialog that its image was replaced
};
