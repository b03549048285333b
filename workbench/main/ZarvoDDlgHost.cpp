// The link's host: port events, timers, the wait box, messages and logs.
#include "workbench/main/ZarvoDDlg.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"

// ---- dialogs

std::string CZarvoDDlg::LoadText(unsigned id, const char* english) {
    const CString text = CResources::LoadString(id);
    return text.IsEmpty() ? std::string(english ? english : "") : text.str();
}

CZarvoDDlg::QuestionScope::QuestionScope(CZarvoDDlg& main) : m_main(main) {
    HWND active = ::GetActiveWindow();
    if (m_main.m_waitBox && m_main.m_waitBox->m_hWnd) {
        HWND box = m_main.m_waitBox->m_hWnd;
        // The box's loop runs only after the question's, so even a box the
        // link has ended stays drawn until then: off the screen now.
        if (::IsWindowVisible(box)) {
            ::SetWindowPos(box, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
            m_hidden = box;
        }
        if (active == box) active = ::GetWindow(box, GW_OWNER);
    }
    m_over = active && ::IsWindow(active) ? active : m_main.m_hWnd;
}

CZarvoDDlg::QuestionScope::~QuestionScope() {
    // Looked up again: the question's loop may have ended the box's job.
    const CDlgProgress* box = m_main.m_waitBox;
    if (m_hidden && box && box->m_hWnd == m_hidden && box->IsModalRunning() && m_main.m_waitWanted)
        ::ShowWindow(m_hidden, SW_SHOW);
}

int CZarvoDDlg::ShowMessage(const std::string& text, unsigned style, bool* applyToAll) {
    // Above whatever is active (a dialog), else above this window.
    QuestionScope question(*this);
    CDlgMessage box(text.c_str(), question.Over(), style);
    box.m_showCheck = applyToAll ? 1 : 0;
    const int result = static_cast<int>(box.DoModal());
    if (applyToAll) *applyToAll = box.m_checkResult != 0;
    return result;
}

// ---- wait box

void CZarvoDDlg::OpenWaitBox(int mode) {
    // Not run inside the link's call: the box's loop starts once that call
    // has returned, so the link never waits inside its own handler.
    m_waitWanted = true;
    m_waitMode = mode;
    m_progressRange = m_progressValue = 0;
    PostMessage(kRunWaitBoxMessage);
}

void CZarvoDDlg::EndWaitBox() {
    m_waitWanted = false;
    if (m_waitBox) m_waitBox->End(IDOK);
}

LRESULT CZarvoDDlg::OnRunWaitBox(WPARAM, LPARAM) {
    if (m_waitBox) return 0;  // the loop below picks up a newer request
    while (m_waitWanted) {
        HWND active = ::GetActiveWindow();
        CDlgProgress box(active && active != m_hWnd ? active : m_hWnd);
        box.m_owner = m_hWnd;
        box.m_mode = m_waitMode;
        m_waitBox = &box;
        UpdateCommandStates();
        const INT_PTR result = box.DoModal();
        m_waitBox = nullptr;
        if (m_waitWanted && result != IDOK) {
            // Cancelled by the user (or it could not be shown): the job ends
            // with the connection. Nothing else would show or end the job, so
            // no question may keep it: the changed files stay in the list.
            m_waitWanted = false;
            if (m_link.Session().IsConnected()) {
                m_link.Session().Disconnect(false);
            } else {
                // The box waited for a lost board to come back: the user gives it up.
                m_link.Session().AbandonJob();
                m_link.Session().CloseJob();
            }
        }
        if (::IsWindow(active) && active != m_hWnd) ::SetActiveWindow(active);
    }
    UpdateCommandStates();
    return 0;
}

void CZarvoDDlg::SetProgressRange(int range) {
    m_progressRange = range;
    if (m_waitBox) m_waitBox->SetProgress(m_progressValue, m_progressRange);
}

void CZarvoDDlg::SetProgress(int value) {
    m_progressValue = value;
    if (m_waitBox) m_waitBox->SetProgress(m_progressValue, m_progressRange);
}

LRESULT CZarvoDDlg::OnStartIdentify(WPARAM, LPARAM) {
    // A notice from a box that has gone since is stale.
    if (m_waitBox && m_link.Session().IsJobRunning() && m_link.Session().IsConnected()) m_link.OnIdentifyStart();
    return 0;
}

LRESULT CZarvoDDlg::OnStartUpload(WPARAM, LPARAM) {
    if (m_waitBox && m_link.Session().IsJobRunning() && m_link.Session().IsConnected()) {
        m_link.Files().TakeEditorText();
        m_link.Files().OnUploadStart();
    }
    return 0;
}

// ---- port events and timers

LRESULT CZarvoDDlg::OnSerialEvent(WPARAM wParam, LPARAM) {
    const int read = m_link.Session().OnSerialEvent(static_cast<uint32_t>(wParam));
    UpdateCommandStates();
    return read;
}

LRESULT CZarvoDDlg::OnPortGone(WPARAM, LPARAM lParam) {
    // A notice of a port closed since then is late, and one of an earlier
    // open is not about this board.
    if (m_port.IsGoneNotice(static_cast<uint32_t>(lParam))) m_link.Presence().OnPortLost();
    UpdateCommandStates();
    return 0;
}

void CZarvoDDlg::OnTimer(UINT_PTR id) {
    if (id == kTimerClosePortList) {
        CWnd::KillTimer(id);
        m_portCombo.SendMessage(CB_SHOWDROPDOWN, FALSE);
        return;
    }
    if (id >= kTimerSettingsDlg && id <= kTimerUpgradeDlg) {
        OnBoardDialogTimer(static_cast<UINT>(id));
        return;
    }
    m_link.Session().OnTimer(static_cast<unsigned>(id));
}

LRESULT CZarvoDDlg::OnQueryFilesEditable(WPARAM, LPARAM) { return m_link.Files().AreFilesEditable() ? 1 : 0; }

// ---- logs

void CZarvoDDlg::LogDebugger(const std::string& line) {
    if (m_bottom) m_bottom->AddDebuggerLog(line.c_str());
}

void CZarvoDDlg::AddOutput(const char* text, size_t length) {
    if (m_bottom) m_bottom->AddOutput(text, length);
}

void CZarvoDDlg::AddFirmwareLog(const char* text, size_t length) {
    if (m_bottom) m_bottom->AddFirmwareLog(text, length);
}

// ---- view

void CZarvoDDlg::EnableConnectButtons(bool connected) {
    ++m_linkSerial;
    UpdateCommandStates();
}

void CZarvoDDlg::OnLinkDisconnected() {
    ++m_linkSerial;
    // The board's task state is unknown until the next connection reports it.
    m_taskState = 0;
    m_editor.SetReadOnly(true);
    m_editor.SetExecutionLine(-1);
    m_editor.Invalidate();
    m_flashBar.Invalidate();
    UpdateCommandStates();
}

void CZarvoDDlg::OnIspModeEntered(bool filesKept) {
    if (filesKept) {
        // The kept list is not the boot loader's: it stays as it is, and so
        // does the editor with its text.
        UpdateCommandStates();
        return;
    }
    ClearEditor();
    if (m_fileList) {
        m_fileList->GoToRoot();
        m_fileList->RebuildView();
    }
    UpdateCommandStates();
}

void CZarvoDDlg::UpdateFlashUsage(int capacity, int used) {
    m_flashBar.m_total = capacity > 0 ? static_cast<uint32_t>(capacity) : 0;
    m_flashBar.m_used = used > 0 ? static_cast<uint32_t>(used) : 0;
    m_flashBar.Invalidate();
}

void CZarvoDDlg::RefreshFileList() {
    if (m_fileList) {
        if (!m_link.Session().IsIspMode()) m_fileList->EnsureSystemFolders();
        m_fileList->RebuildView();
        m_fileList->RecalcLayout();
    }
    UpdateCommandStates();
}

std::string CZarvoDDlg::GetOpenFileName() { return m_fileList ? m_fileList->GetCurrentFileName().str() : std::string(); }

bool CZarvoDDlg::GetEditorText(std::string& text, uint32_t& caret, uint32_t& scrollLine) {
    caret = m_editor.GetCaret();
    scrollLine = m_editor.GetFirstVisibleLine();
    if (m_helpShown || !m_editor.IsModified()) return false;
    text = m_editor.GetText();
    return true;
}

void CZarvoDDlg::OpenEntry(FileEntry& entry) {
    // Shown as the list holds it: the link has already settled the editor's
    // state with the list it belonged to, which may be gone.
    if (!ShowEntry(entry, entry.kind == FileEntry::kImage, false)) ClearEditor();
}

void CZarvoDDlg::ClearEditor() {
    // No entry is open any more: a picture on show and the labels go as well.
    if (m_fileList) m_fileList->SetCurrentFileName("");
    if (m_image) m_image->CloseImage();
    ShowImagePane(false);
    m_helpShown = false;
    m_editor.ResetText();
    m_editor.SetReadOnly(true);
    m_nameLabel.SetWindowText("");
    m_sizeLabel.SetWindowText("");
}

void CZarvoDDlg::OnEntryRemoved(const FileEntry& entry) {
    if (m_fileList && entry.name == m_fileList->GetCurrentFileName().str()) ClearEditor();
}
