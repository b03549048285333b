// The code editor window: a self-drawn child window over CEditorCore. It
// turns messages into calls on the core and paints what the core holds; the
// text changes only through the core (and so the store's primitives).
#pragma once

#include "editor/EditorCore.h"
#include "editor/ImeContext.h"
#include "editor/TextMetrics.h"
#include "framework/Wnd.h"
#include "ui/kit/GdiPlus.h"

#include <cstdint>
#include <memory>
#include <string>

class CDlgSearch;
class CDlgChange;

class CWndEditor : public CWnd, private CTextStoreHost
{
public:
    CWndEditor();
    ~CWndEditor() override;

    // A child window (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL).
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id);

    // ---- The document (the main window reads the text directly).
    void ResetText();
    LoadResult SetText(const char* data, size_t length);
    // The buffer itself (a C string, valid until the next change) and a copy.
    const char* GetTextBuffer() const { return m_core.Text(); }
    std::string GetText() const { return m_core.Text(); }
    int GetTextLength() const { return m_core.Length(); }
    bool HasText() const { return m_core.Length() > 0; }
    std::string GetTextRange(int start, int end) const { return m_core.Store().GetTextRange(start, end); }
    bool IsModified() const { return m_core.Store().IsModified(); }
    void SetModified(bool modified);
    void MarkSavePoint() { m_core.Store().MarkSavePoint(); }
    bool IsReadOnly() const { return m_core.Store().IsReadOnly(); }
    void SetReadOnly(bool readOnly);
    // The store's primitives for callers outside (a composition ends first).
    bool InsertText(const char* text, int position, bool undo, bool silent = false);
    bool DeleteText(int position, int count, bool undo);

    // ---- Caret, selection, lines.
    int GetCaretPos() const { return m_core.Caret(); }
    uint32_t GetCaret() const { return static_cast<uint32_t>(m_core.Caret()); }
    int GetFirstVisibleLine() const;
    // The caret at a stored position (clamped) and that row at the top.
    void SetCaretPos(int position, int topRow);
    void SetCaret(uint32_t caret, uint32_t firstLine)
    {
        SetCaretPos(static_cast<int>(std::min<uint32_t>(caret, INT32_MAX)),
                    static_cast<int>(std::min<uint32_t>(firstLine, INT32_MAX)));
    }
    // Re-creates and places the caret; optionally updates the remembered
    // column and scrolls it into view.
    void SetCaret(bool updateColumn = true, bool scrollIntoView = true);
    void GetSelection(int& start, int& end) const;
    void SetSelection(int start, int end);
    bool HasSelection() const { return m_core.HasSelection(); }
    void SelectAll();
    int GetCaretLine() const { return m_core.CaretRow(); }
    void GoToLine(int row);
    int GetLineCount() const { return m_core.Store().Lines().Count(); }

    // ---- Undo.
    void Undo();
    void Redo();
    bool CanUndo() const { return m_core.Store().CanUndo(); }
    bool CanRedo() const { return m_core.Store().CanRedo(); }
    void BeginUndoGroup() { m_core.Store().BeginUndoGroup(); }
    void EndUndoGroup() { m_core.Store().EndUndoGroup(); }

    // ---- Clipboard (CF_TEXT).
    bool Copy();
    void Cut();
    void Paste();
    static bool CanPaste();

    // ---- Find and replace.
    void ShowFindDialog();
    void ShowReplaceDialog();
    void FindNext();
    void FindPrevious();
    bool CanFindNext() const;
    bool IsFindReady() const { return CanFindNext(); }
    bool Search(int start, const char* text, unsigned flags);
    int Replace(int start, unsigned flags, const char* replacement, const char* text);
    CDlgSearch* GetFindDialog() const { return m_find.get(); }
    CDlgChange* GetReplaceDialog() const { return m_replace.get(); }

    // ---- Indentation, comments, bookmarks, breakpoint marks.
    void BlockIndent(bool outdent);
    void CommentLines(bool uncomment);
    void ToggleBookmark();
    // 10 next, 11 previous.
    void GotoBookmark(int direction);
    int CanHaveBreakpoint(int row) { return m_core.Store().CanHaveBreakpoint(row) ? 1 : 0; }
    // The toggled row or -1; added: 1 when the mark is now set.
    int ToggleBreakpoint(int* added);
    // The same: false when no row was toggled, else its row and whether the
    // mark is now set.
    bool ToggleBreakpoint(int& line, bool& set);
    void RemoveAllBreakpoints();
    void ClearBreakpointMarks() { RemoveAllBreakpoints(); }
    bool GetBreakpoint(int row) const { return m_core.Store().Lines().Breakpoint(row); }
    void SetBreakpoint(int row, bool on);
    // The row marked as the script's current line, -1 for none.
    void SetExecutionLine(int row);
    int GetExecutionLine() const { return m_executionLine; }

    // ---- Font and preferences.
    void SetEditorFont(const LOGFONTA& font);
    const LOGFONTA& GetEditorFont() const { return m_logFont; }
    void LoadFontSettings();
    void SaveFontSettings();
    // Init.ini of the application-data folder unless set (tests).
    void SetIniPath(const char* path) { m_iniPath = path ? path : ""; }
    // Where every editor reads and writes "Font" (the main window's Init.ini
    // handling, which may write into a temporary file at shut-down).
    static void SetIniPaths(CString (*readPath)(), CString (*writePath)());
    void ApplyLayout(int lineGap);
    void SetTabSize(int tabSize);
    void SetMargin(bool on);
    void SetLineNumbers(bool on);
    // 3 on, 0 off.
    void SetCurrentLineHighlight(int mode);
    // All view preferences at once: margin width (40 or 0), line numbers,
    // current-line highlight (3 or 0), line gap, tab size; one rebuild.
    void ApplyPreferences(int marginWidth, bool lineNumbers, int caretLineHighlight, int lineGap, int tabSize);
    void UpdateLines(int position, int delta);
    void UpdateScrollBars();
    // Rows holding first..last (last -1: to the bottom; first -1: all).
    void InvalidateLines(int first, int last);

    // ---- Seams.
    void SetIme(CImeContext* ime) { m_ime = ime ? ime : &m_imm; }
    CEditorCore& Core() { return m_core; }
    const CEditorCore& Core() const { return m_core; }

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Called by the dialogs (WM_USER_FIND_REPLACE).
    LRESULT OnFindReplace(WPARAM wParam, LPARAM lParam);

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocusMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnCharMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDownMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB; }
    void OnLButtonDown(UINT flags, CPoint pt);
    void OnMouseMove(UINT flags, CPoint pt);
    void OnLButtonUp(UINT flags, CPoint pt);
    void OnLButtonDblClk(UINT flags, CPoint pt);
    void OnTimer(UINT_PTR id);
    LRESULT OnSetCursorMsg(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnCancelMode(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenuMsg(WPARAM wParam, LPARAM lParam);
    void OnCmdCut() { Cut(); }
    void OnCmdCopy() { Copy(); }
    void OnCmdPaste() { Paste(); }
    void OnCmdSelectAll() { SelectAll(); }
    void OnCmdToggleBreakpoint();
    void OnCmdRunToLine();
    void OnCmdRemoveBreakpoints();
    void OnCmdStepInto();
    void OnCmdStepOver();

private:
    class CGdiMetrics;
    // CTextStoreHost
    void OnDocModified() override;
    void OnTextChanged(int position, int delta) override;

    bool HandleKey(UINT key);
    bool HandleCommandKey(UINT key, bool ctrl, bool shift);
    bool HandleNavigationKey(UINT key, bool ctrl, bool shift);
    void OnChar(UINT ch, UINT repeat);
    // True when it took the result string itself (no WM_IME_CHAR must follow).
    bool OnImeComposition(LPARAM flags);
    void OnImeChar(WPARAM ch);
    void EndComposition();
    // After a caret move or an edit: scroll bars, caret, the rows to repaint.
    void Refresh(int oldCaretRow, bool repaintAll);
    void DrawRow(CDC& dc, int row, int width);
    void ScrollBy(int dx, int dy);
    void SyncScrollPositions();
    int PosFromPoint(CPoint pt) const;
    bool PointInSelection(CPoint pt) const;
    void CancelDrag();
    void AutoScroll(CPoint pt);
    void FindWith(bool backward);
    // A result box over a modeless dialog: the main window is disabled too,
    // so nothing can close the dialog or the editor under it.
    void ShowResult(HWND owner, const char* text);
    CString IniPath(bool write) const;
    LRESULT OnGetText(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetTextLength(WPARAM, LPARAM) { return m_core.Length(); }
    LRESULT OnGetSel(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetSel(WPARAM wParam, LPARAM lParam);

    CEditorCore m_core;
    CImm32Context m_imm;
    CImeContext* m_ime = &m_imm;
    EditorColours m_colours;
    LOGFONTA m_logFont{};
    CFont m_font;
    CFont m_numberFont;
    CDC m_rowDC;
    CBitmap m_rowBitmap;
    HGDIOBJ m_oldRowBitmap = nullptr;
    CSize m_rowSize;
    Gdiplus::Bitmap* m_breakpointImage = nullptr;
    bool m_markImagesLoaded = false;
    Gdiplus::Bitmap* m_executionImage = nullptr;
    struct CursorSet {
        HCURSOR beam, arrow, hand, no, copy, move;
    };
    // Loaded when the mouse first needs one: six loads slowed the start.
    const CursorSet& Cursors();
    CursorSet m_cursors{};
    CString m_iniPath;
    bool m_lineNumbers = true;
    int m_currentLine = 3;
    bool m_focus = false;
    bool m_caretHidden = false;
    CSize m_caretSize; // of the caret created while focused; 0 = none
    int m_executionLine = -1;
    ScrollRange m_vScroll;
    ScrollRange m_hScroll;
    bool m_scrollsSet = false;
    // Mouse.
    bool m_buttonDown = false;
    bool m_lineSelecting = false;
    int m_lineAnchor = 0;
    bool m_draggingText = false;
    int m_dropPos = -1;
    bool m_endingDrag = false;
    CPoint m_lastMouse;
    UINT m_pendingLead = 0;
    std::unique_ptr<CDlgSearch> m_find;
    std::unique_ptr<CDlgChange> m_replace;
};
