#include "workbench/bottom/WndLog.h"

#include "workbench/bottom/LogTrim.h"

#include <climits>

namespace {

bool IsLeadByte(unsigned char c) { return ::IsDBCSLeadByte(c) != FALSE; }

// Past the end of any text: the edit puts the caret at its end.
constexpr int kEnd = INT_MAX;

}  // namespace

BEGIN_MESSAGE_MAP(CWndLog, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

int CWndLog::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) < 0)
        return -1;
    CEditLog& edit = Edit();
    if (!edit.CreateEx(0, "EDIT", "",
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL |
                           ES_READONLY,
                       CRect(), m_hWnd, 0))
        return -1;
    // The edit's own limit (30,000 characters by default) would drop a burst
    // silently; the pane bounds the text itself.
    edit.SetLimitText(0x7FFFFFFE);
    if (m_font.GetSafeHandle())
        edit.SetFont(m_font);
    if (m_kind == 0)
        SetTimer(kFlushTimer, kFlushMs);
    return 0;
}

void CWndLog::OnSize(UINT, int cx, int cy)
{
    if (Edit().m_hWnd)
        Edit().MoveWindow(0, 0, cx, cy);
}

void CWndLog::OnTimer(UINT_PTR id)
{
    if (id == kFlushTimer)
        Flush();
}

void CWndLog::OnDestroy()
{
    if (m_kind == 0)
        KillTimer(kFlushTimer);
    m_pending.clear();
    CWnd::OnDestroy();
}

void CWndLog::AddText(const char* text, size_t length)
{
    if (!text || length == 0)
        return;
    m_pending.append(text, length);
    CLogTrim::BoundPending(m_pending, &IsLeadByte);
}

void CWndLog::AddLine(const char* text)
{
    if (!text || !*text)
        return;
    CEditLog& edit = Edit();
    if (!edit.m_hWnd)
        return;
    std::string line = edit.GetWindowTextLength() != 0 ? "\r\n" : "";
    line += text;
    Show(line);
}

void CWndLog::Flush()
{
    if (m_pending.empty() || !Edit().m_hWnd)
        return;
    std::string text;
    text.swap(m_pending);
    Show(text);
}

void CWndLog::Show(const std::string& text)
{
    CEditLog& edit = Edit();
    DWORD start = 0, end = 0;
    edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const size_t held = static_cast<size_t>(edit.GetWindowTextLength());
    if (held + text.size() > CLogTrim::kLimit) {
        // Old and new text are cut as one, and set in one go.
        std::string all = edit.GetWindowText().str();
        const size_t oldLength = all.size();
        all += text;
        const CLogTrim::Cut cut = CLogTrim::FrontCut(all, oldLength, CLogTrim::kKeep, &IsLeadByte);
        if (cut.oldTextGone) {
            start = end = 0;
        } else {
            // Positions in the edit's own units: its index of the first line
            // kept, plus the characters cut inside that line. (Wine's ANSI edit
            // counts selections and line indexes in characters while its text
            // length is in bytes: a Korean character is one position, two bytes.)
            const DWORD shift = static_cast<DWORD>(edit.SendMessage(EM_LINEINDEX, static_cast<WPARAM>(cut.lines))) +
                                static_cast<DWORD>(cut.partChars);
            start = start > shift ? start - shift : 0;
            end = end > shift ? end - shift : 0;
        }
        edit.SetWindowText(all.c_str() + cut.bytes);
        edit.SetSel(kEnd, kEnd);
        edit.SendMessage(EM_SCROLLCARET);
    } else {
        edit.SetSel(kEnd, kEnd);
        edit.SendMessage(EM_SCROLLCARET);
        edit.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (edit.m_autoScroll) {
        edit.SendMessage(EM_LINESCROLL, 0, edit.SendMessage(EM_GETLINECOUNT));
        // Back to the lines' start: Wine keeps the sideways offset a long
        // line once needed, and the newest lines would show cut at the left.
        edit.SendMessage(WM_HSCROLL, SB_LEFT, 0);
    } else {
        edit.SetSel(static_cast<int>(start), static_cast<int>(end));
        edit.SendMessage(EM_SCROLLCARET);
    }
}

void CWndLog::SetLogFont(const LOGFONTA& font)
{
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&font);
    if (Edit().m_hWnd)
        Edit().SetFont(m_font);
}

BOOL CWndLog::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == 'C' && (::GetKeyState(VK_CONTROL) & 0x8000) && Edit().m_hWnd) {
        Edit().SendMessage(WM_COPY);
        return TRUE;
    }
    return CWnd::PreTranslateMessage(msg);
}
