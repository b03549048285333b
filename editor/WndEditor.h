// The code editor pane as the main window uses it. This stand-in holds a
// multi-line edit control until the self-drawn editor replaces it file for
// file; the member functions are the ones the main window calls.
#pragma once

#include "framework/Controls.h"

#include <string>

class CWndEditor : public CWnd {
public:
    static constexpr UINT kEditId = 1020;

    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id);

    // The document. Setting a text clears the read-only and modified flags.
    void SetText(const char* text, size_t length);
    std::string GetText() const;
    void ResetText() { SetText("", 0); }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    bool HasText() const;

    // Caret as a byte offset, first visible line, selection.
    uint32_t GetCaret() const;
    uint32_t GetFirstVisibleLine() const;
    void SetCaret(uint32_t caret, uint32_t firstLine);
    int GetCaretLine() const;
    void GoToLine(int line);
    bool HasSelection() const;

    // Edit commands.
    bool CanUndo() const;
    bool CanRedo() const { return false; }
    void Undo();
    void Redo() {}
    void Cut();
    void Copy();
    void Paste();
    void SelectAll();
    // The find and replace dialogs belong to the self-drawn editor.
    void ShowFindDialog() {}
    void ShowReplaceDialog() {}
    bool IsFindReady() const { return false; }
    void FindNext() {}
    void FindPrevious() {}

    // Debugger marks: the stand-in has no margin to show them.
    bool ToggleBreakpoint(int& line, bool& set) { return false; }
    void RemoveAllBreakpoints() {}
    void ClearBreakpointMarks() {}
    void SetExecutionLine(int line) { m_executionLine = line; }
    int GetExecutionLine() const { return m_executionLine; }

    // View preferences and font.
    void ApplyPreferences(int marginWidth, bool lineNumbers, int caretLineHighlight, int lineGap, int tabSize);
    void SetEditorFont(const LOGFONTA& font);
    const LOGFONTA& GetEditorFont() const { return m_logFont; }
    // Section "Font" of Init.ini.
    void LoadFontSettings();
    void SaveFontSettings();

protected:
    DECLARE_MESSAGE_MAP()
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnEditChange();
    void OnSetFocus();

    CEdit m_edit;
    CFont m_font;
    LOGFONTA m_logFont{};
    bool m_modified = false;
    bool m_readOnly = false;
    bool m_loading = false;
    bool m_lfOnly = false;  // the document's lines end in LF alone
    int m_executionLine = -1;
};
