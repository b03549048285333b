#include "editor/WndEditor.h"

#include "workbench/WindowMessages.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/Preferences.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CWndEditor, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_EN_CHANGE(kEditId, OnEditChange)
    {WM_SETFOCUS, 0, 0, 0, ZV_THUNK(ZV_SELF->OnSetFocus(); return 0;)},
END_MESSAGE_MAP()

namespace {
// The edit control breaks lines at CR LF only.
std::string ToCrLf(const char* text, size_t n, bool& lfOnly) {
    std::string out;
    out.reserve(n + n / 16);
    lfOnly = false;
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
            lfOnly = true;
        }
        out += text[i];
    }
    return out;
}
}  // namespace

bool CWndEditor::Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
    return CreateEx(0, OwnClassName(), "", style, rc, parent, id);
}

int CWndEditor::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) < 0) return -1;
    LoadFontSettings();
    m_font.CreateFontIndirect(&m_logFont);
    m_edit.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                      ES_NOHIDESEL | ES_WANTRETURN,
                  CRect(), m_hWnd, kEditId);
    // Wine's edit control keeps only 30,000 characters unless told otherwise.
    m_edit.SetLimitText(0x7FFFFFFE);
    m_edit.SetFont(m_font);
    return 0;
}

void CWndEditor::OnDestroy() {
    SaveFontSettings();
    CWnd::OnDestroy();
}

void CWndEditor::OnSize(UINT, int cx, int cy) {
    if (m_edit.m_hWnd) m_edit.MoveWindow(0, 0, cx, cy);
}

void CWndEditor::OnSetFocus() {
    if (m_edit.m_hWnd) m_edit.SetFocus();
}

void CWndEditor::OnEditChange() {
    if (m_loading || m_modified) return;
    m_modified = true;
    ::SendMessageA(GetParent(), WM_USER_DOC_MODIFIED, 0, 0);
}

void CWndEditor::SetText(const char* text, size_t length) {
    const std::string shown = ToCrLf(text ? text : "", text ? length : 0, m_lfOnly);
    m_loading = true;
    ::SetWindowTextA(m_edit, shown.c_str());
    m_edit.SendMessage(EM_EMPTYUNDOBUFFER);
    m_loading = false;
    m_modified = false;
    SetReadOnly(false);
    m_executionLine = -1;
}

std::string CWndEditor::GetText() const {
    const int n = ::GetWindowTextLengthA(m_edit);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    ::GetWindowTextA(m_edit, &text[0], n + 1);
    text.resize(strlen(text.c_str()));
    if (m_lfOnly) {
        std::string out;
        out.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
        return out;
    }
    return text;
}

void CWndEditor::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    m_edit.SetReadOnly(readOnly);
}

bool CWndEditor::HasText() const { return ::GetWindowTextLengthA(m_edit) > 0; }

uint32_t CWndEditor::GetCaret() const {
    DWORD start = 0, end = 0;
    m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return end;
}

uint32_t CWndEditor::GetFirstVisibleLine() const {
    return static_cast<uint32_t>(m_edit.SendMessage(EM_GETFIRSTVISIBLELINE));
}

void CWndEditor::SetCaret(uint32_t caret, uint32_t firstLine) {
    m_edit.SetSel(static_cast<int>(caret), static_cast<int>(caret));
    const int now = static_cast<int>(GetFirstVisibleLine());
    m_edit.SendMessage(EM_LINESCROLL, 0, static_cast<LPARAM>(static_cast<int>(firstLine) - now));
}

int CWndEditor::GetCaretLine() const {
    return static_cast<int>(m_edit.SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(-1)));
}

void CWndEditor::GoToLine(int line) {
    const int pos = static_cast<int>(m_edit.SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line < 0 ? 0 : line)));
    if (pos < 0) return;
    m_edit.SetSel(pos, pos);
    m_edit.SendMessage(EM_SCROLLCARET);
}

bool CWndEditor::HasSelection() const {
    DWORD start = 0, end = 0;
    m_edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start != end;
}

bool CWndEditor::CanUndo() const { return m_edit.SendMessage(EM_CANUNDO) != 0; }
void CWndEditor::Undo() { if (!m_readOnly) m_edit.SendMessage(EM_UNDO); }
void CWndEditor::Cut() { if (!m_readOnly) m_edit.SendMessage(WM_CUT); }
void CWndEditor::Copy() { m_edit.SendMessage(WM_COPY); }
void CWndEditor::Paste() { if (!m_readOnly) m_edit.SendMessage(WM_PASTE); }
void CWndEditor::SelectAll() { m_edit.SetSel(0, -1); }

void CWndEditor::ApplyPreferences(int marginWidth, bool lineNumbers, int caretLineHighlight, int lineGap,
                                  int tabSize) {
    // Tab stops in dialog units: four per average character.
    int stops = tabSize * 4;
    m_edit.SendMessage(EM_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stops));
    m_edit.SendMessage(EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(marginWidth > 0 ? 4 : 0, 0));
    m_edit.Invalidate();
}

void CWndEditor::SetEditorFont(const LOGFONTA& font) {
    m_logFont = font;
    m_font.CreateFontIndirect(&m_logFont);
    m_edit.SetFont(m_font);
}

void CWndEditor::LoadFontSettings() {
    std::memset(&m_logFont, 0, sizeof m_logFont);
    m_logFont.lfHeight = prefs::ClampFontHeight(CIniFile::GetInt("Font", "lfHeight", -14));
    m_logFont.lfWeight = CIniFile::GetInt("Font", "lfWeight", FW_NORMAL);
    if (m_logFont.lfWeight < 0 || m_logFont.lfWeight > 1000) m_logFont.lfWeight = FW_NORMAL;
    m_logFont.lfItalic = CIniFile::GetInt("Font", "lfItalic", 0) != 0;
    m_logFont.lfCharSet = static_cast<BYTE>(CIniFile::GetInt("Font", "lfCharSet", 0));
    // A stored charset of 0 would pick a Latin font for Korean text.
    if (m_logFont.lfCharSet == 0) m_logFont.lfCharSet = DEFAULT_CHARSET;
    const CString face = CIniFile::GetString("Font", "lfFaceName", "Arial", LF_FACESIZE);
    lstrcpynA(m_logFont.lfFaceName, face.IsEmpty() ? "Arial" : face.c_str(), LF_FACESIZE);
}

void CWndEditor::SaveFontSettings() {
    CIniFile::WriteInt("Font", "lfHeight", m_logFont.lfHeight);
    CIniFile::WriteInt("Font", "lfWeight", m_logFont.lfWeight);
    CIniFile::WriteInt("Font", "lfItalic", m_logFont.lfItalic);
    CIniFile::WriteInt("Font", "lfCharSet", m_logFont.lfCharSet == DEFAULT_CHARSET ? 0 : m_logFont.lfCharSet);
    CIniFile::WriteString("Font", "lfFaceName", m_logFont.lfFaceName);
}
