// The debugger's relays: the link's debugger service drives the editor's
// marks, the break location and the bottom pane's watch list through these;
// the editor's F9, run-to-line and step messages reach the service here,
// each gated by the rules table.
#include "workbench/main/ZarvoDDlg.h"

#include "ui/WindowMessages.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "workbench/main/FlashUsage.h"

using cmdrules::Command;

// ---- the editor

void CZarvoDDlg::SetExecutionLine(int row) {
    m_editor.SetExecutionLine(row);
    RedrawEditor();
}

void CZarvoDDlg::RedrawEditor() {
    if (m_editor.m_hWnd) m_editor.Invalidate();
}

void CZarvoDDlg::ShowBreakFile(FileEntry& entry, int row) {
    // Only a text entry of the list with the row inside it is shown; the
    // open one counts the editor's rows (it may hold unsaved edits).
    const std::string name = entry.name;
    FileEntry* listed = m_link.Files().Entries().Find(name);
    const bool shown = m_fileList && m_fileList->GetCurrentFileName().str() == name && m_editor.IsWindowVisible();
    const int rows = !listed ? 0 : shown ? m_editor.GetLineCount() : flashusage::LineCount(listed->data);
    if (listed != &entry || entry.kind != FileEntry::kText || row < 0 || row >= rows) {
        LogDebugger("break at " + name + ":" + std::to_string(row + 1) + " not shown: no such text line in the file list");
        return;
    }
    if (!shown) {
        SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(listed), 0);
        if (m_fileList) m_fileList->SelectFile(name.c_str());
    }
    m_editor.GoToLine(row);
    SetExecutionLine(row);
}

void CZarvoDDlg::SyncBreakpoints(bool removeAll) {
    // Without a connection the service says so; otherwise the rule decides.
    if (m_link.Session().IsConnected() && !IsCommandEnabled(removeAll ? Command::RemoveBreakpoints : Command::ToggleBreakpoint))
        return;
    m_link.Debugger().SyncBreakpoints(removeAll);
}

LRESULT CZarvoDDlg::OnBreakpointCommand(WPARAM wParam, LPARAM) {
    if (!m_phpDebug) return 1;
    if (wParam == 1) {
        if (IsCommandEnabled(Command::RunToLine)) m_link.Debugger().RunToCaretLine();
    } else if (m_editor.IsWindowVisible()) {
        SyncBreakpoints(false);
    }
    return 1;
}

LRESULT CZarvoDDlg::OnRemoveAllBreakpoints(WPARAM, LPARAM) {
    if (m_phpDebug && m_editor.IsWindowVisible()) SyncBreakpoints(true);
    return 1;
}

LRESULT CZarvoDDlg::OnStepIntoMessage(WPARAM, LPARAM) {
    if (IsCommandEnabled(Command::StepIn)) m_link.Debugger().StepIn();
    return 1;
}

LRESULT CZarvoDDlg::OnStepOverMessage(WPARAM, LPARAM) {
    if (IsCommandEnabled(Command::StepOver)) m_link.Debugger().StepOver();
    return 1;
}

// ---- the bottom pane

void CZarvoDDlg::RedrawResourceView() {
    if (m_bottom) m_bottom->RedrawResourceView();
}

int CZarvoDDlg::GetWatchCount() { return m_bottom ? m_bottom->GetWatchCount() : 0; }

std::string CZarvoDDlg::GetWatchName(int row) { return m_bottom ? m_bottom->GetWatchName(row).str() : std::string(); }

void CZarvoDDlg::SetWatchValue(int row, const std::string& type, const std::string& value,
                               const std::string& fullValue) {
    if (m_bottom) m_bottom->SetWatchValue(row, CString(type), CString(value), CString(fullValue));
}

LRESULT CZarvoDDlg::OnWatchNext(WPARAM wParam, LPARAM lParam) {
    // The watch list's Add, Modify and Refresh start from its first row.
    return m_link.Debugger().OnWatchNext(static_cast<int32_t>(wParam), lParam == 1);
}
