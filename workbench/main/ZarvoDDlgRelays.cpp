// Relays between the panes and the link: showing entries, document changes,
// deleting entries, flash usage, labels. The debugger's relays are in
// ZarvoDDlgDebugger.cpp.
#include "workbench/main/ZarvoDDlg.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/PngButton.h"
#include "workbench/main/FlashUsage.h"
#include "workbench/main/ImageReencoder.h"
#include "workbench/main/IniFile.h"

#include <cstring>

using cmdrules::Command;

bool CZarvoDDlg::EditorReadOnlyFor(const FileEntry& entry) const {
    return !m_link.Session().IsConnected() || entry.state == FileEntry::kExternalInStep || m_link.Identity().DeviceInfo().uploadsRefused;
}


LRESULT CZarvoDDlg::OnOpenFile(WPARAM wParam, LPARAM lParam) {
    FileEntry* entry = reinterpret_cast<FileEntry*>(wParam);
    // Only an entry of the list: a stale pointer is never followed.
    bool listed = false;
    for (size_t i = 0; entry && i < m_link.Files().Entries().Count() && !listed; ++i) listed = &m_link.Files().Entries().At(i) == entry;
    if (!listed) return 0;
    // A picture the viewer cannot read changes nothing: the file open stays
    // open (typing in the editor would otherwise go to the picture).
    if (lParam == 1 && !CGdiPlusUtil::CanDecode(entry->data.data(), entry->data.size())) return RefuseImage();
    // The entry open now takes the editor's text, caret and first line first.
    m_link.Files().TakeEditorText();
    return ShowEntry(*entry, lParam == 1, true) ? 1 : 0;
}

bool CZarvoDDlg::ShowEntry(FileEntry& entry, bool image, bool refuseAloud) {
    if (image) {
        CWndImage* pane = ImagePane();
        if (!pane) {
            if (refuseAloud) RefuseImage();
            return false;
        }
        // A size chosen before and not yet uploaded is shown again.
        auto show = [pane](const FileEntry& e) {
            if (!pane->OpenImage(e.data.data(), e.data.size(), e.name.c_str())) return false;
            if (e.state == FileEntry::kChanged && e.targetWidth && e.targetHeight)
                pane->RestoreSize(static_cast<int>(e.targetWidth), static_cast<int>(e.targetHeight));
            return true;
        };
        const bool pictureShown = m_image && m_image->IsWindowVisible() && pane->HasImage();
        if (!show(entry)) {
            if (!refuseAloud) return false;
            // Read from memory but not through the viewer's file: the
            // picture shown before comes back, at its chosen size.
            const FileEntry* shown = m_fileList ? m_link.Files().Entries().Find(m_fileList->GetCurrentFileName().str()) : nullptr;
            if (pictureShown && shown && shown->kind == FileEntry::kImage) show(*shown);
            RefuseImage();
            return false;
        }
        ShowImagePane(true);
        if (m_fileList) m_fileList->SetCurrentFileName(entry.name.c_str());
        OnShowFileInfo(reinterpret_cast<WPARAM>(entry.name.c_str()), entry.DataLength());
        UpdateCommandStates();
        return true;
    }
    ShowImagePane(false);
    m_helpShown = false;
    m_editor.SetText(entry.data.data(), entry.data.size());
    m_editor.SetCaret(entry.caret, entry.scrollLine);
    m_editor.SetReadOnly(EditorReadOnlyFor(entry));
    if (m_fileList) m_fileList->SetCurrentFileName(entry.name.c_str());
    OnShowFileInfo(reinterpret_cast<WPARAM>(entry.name.c_str()), entry.DataLength());
    // The board's marks for this file are read back; the editor has none yet.
    // A board not identified yet is asked nothing.
    if (BoardKnown()) m_link.Debugger().ReadBreakpoints(entry.name);
    UpdateCommandStates();
    return true;
}

LRESULT CZarvoDDlg::RefuseImage() {
    // Said last: nothing above holds on to an entry the box's loop could free.
    ShowMessage(LoadText(IDS_IMAGE_NOT_SHOWN, "The image can't be shown."), CLinkDialogs::kStyleWarning);
    return 0;
}

LRESULT CZarvoDDlg::OnDocumentModified(WPARAM, LPARAM) {
    if (m_fileList) {
        if (FileEntry* e = m_link.Files().Entries().Find(m_fileList->GetCurrentFileName().str())) {
            e->linked = false;
            e->state = FileEntry::kChanged;
            UpdateButtonStates(0);
        }
        m_fileList->RebuildView();
    }
    m_editor.ClearBreakpointMarks();
    m_editor.Invalidate();
    return 1;
}

LRESULT CZarvoDDlg::OnGetButtonBackground(WPARAM wParam, LPARAM) {
    CPngButton* button = reinterpret_cast<CPngButton*>(wParam);
    bool ours = false;
    for (CPngButton* b : m_buttons) ours = ours || (b && b == button);
    if (!ours || !button->m_hWnd) return 0;
    const CRect rc = button->GetRectInParent();
    CClientDC screen(m_hWnd);
    CDC memory;
    memory.CreateCompatibleDC(screen);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(screen, rc.Width(), rc.Height());
    HGDIOBJ old = memory.SelectObject(bitmap);
    memory.FillSolidRect(CRect(0, 0, rc.Width(), rc.Height()), RGB(240, 240, 240));
    memory.SelectObject(old);
    return reinterpret_cast<LRESULT>(bitmap.Detach());
}

LRESULT CZarvoDDlg::OnDeleteEntries(WPARAM, LPARAM) {
    if (!IsCommandEnabled(Command::DeleteFiles) || !m_fileList) return 0;
    const std::string current = m_fileList->GetCurrentFileName().str();
    CFileEntryList& list = m_link.Files().Entries();
    // Only rows selected where the user sees them: a selection left behind
    // in a folder not on screen is not deleted.
    for (size_t i = list.Count(); i-- > 0;) {
        FileEntry& e = list.At(i);
        if (e.kind == FileEntry::kFolder || !e.selected || !m_fileList->IsEntryShown(e)) continue;
        if (e.name == current) {
            m_fileList->SetCurrentFileName("");
            m_editor.ResetText();
            if (e.kind == FileEntry::kImage && m_image) {
                m_image->CloseImage();
                ShowImagePane(false);
            }
        }
        list.Remove(&e);
    }
    m_fileList->RebuildView();
    // The labels name the open file again, or nothing once it is gone.
    if (FileEntry* open = list.Find(m_fileList->GetCurrentFileName().str()))
        OnShowFileInfo(reinterpret_cast<WPARAM>(open->name.c_str()), open->DataLength());
    else {
        m_nameLabel.SetWindowText("");
        m_sizeLabel.SetWindowText("");
    }
    UpdateButtonStates(0);
    m_link.Identity().DeviceInfo().fsId.clear();
    ComputeFlashUsage();
    UpdateCommandStates();
    return 1;
}

void CZarvoDDlg::ShowImagePane(bool image) {
    if (m_image) m_image->ShowWindow(image ? SW_SHOW : SW_HIDE);
    m_editor.ShowWindow(image ? SW_HIDE : SW_SHOW);
}

LRESULT CZarvoDDlg::OnNewDocument(WPARAM wParam, LPARAM) {
    // The open entry keeps what was typed into it; the new document starts
    // modified, so it is asked about before it is lost. The rows selected
    // stay selected: New adds a row, it does not choose others.
    m_link.Files().TakeEditorText();
    if (wParam != 1 && wParam != 2) return 1;
    const char* text = wParam == 1 ? "<?php\r\n\r\n?>" : "";
    ShowImagePane(false);
    m_helpShown = false;
    m_editor.SetText(text, strlen(text));
    m_editor.SetModified(true);
    m_editor.SetReadOnly(!m_link.Files().AreFilesEditable());
    UpdateCommandStates();
    return 1;
}

LRESULT CZarvoDDlg::OnCurrentFileRemoved(WPARAM, LPARAM) {
    m_editor.ResetText();
    return 1;
}

LRESULT CZarvoDDlg::OnShowFileInfo(WPARAM wParam, LPARAM lParam) {
    const char* name = reinterpret_cast<const char*>(wParam);
    m_nameLabel.SetWindowText(name ? name : "");
    CString size;
    size.Format("%ubyte", static_cast<unsigned>(lParam));
    m_sizeLabel.SetWindowText(size);
    return 1;
}

LRESULT CZarvoDDlg::OnFilesChanged(WPARAM, LPARAM) {
    ComputeFlashUsage();
    RefreshFileList();
    return 1;
}

int CZarvoDDlg::ComputeFlashUsage() {
    CFileEntryList& list = m_link.Files().Entries();
    std::vector<flashusage::Item> items;
    items.reserve(list.Count());
    const std::string current = m_fileList ? m_fileList->GetCurrentFileName().str() : std::string();
    const bool editorChanged = !current.empty() && !m_helpShown && m_editor.IsModified();
    for (size_t i = 0; i < list.Count(); ++i) {
        const FileEntry& e = list.At(i);
        flashusage::Item item{e.nameLength, e.DataLength()};
        if (editorChanged && e.name == current) item.dataLength = m_editor.GetText().size();
        if (e.linked && e.state != FileEntry::kChanged) {
            // The PC file's length counts; the entry itself is left alone.
            WIN32_FILE_ATTRIBUTE_DATA fa;
            if (!::GetFileAttributesExA(e.pcPath.c_str(), GetFileExInfoStandard, &fa)) return -1;
            item.dataLength = (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
        }
        items.push_back(item);
    }
    const uint64_t size = flashusage::PackedSize(items);
    m_flashBar.m_used = size > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    m_flashBar.Invalidate();
    return size > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<int>(size);
}

void CZarvoDDlg::SaveViewerTargetSize(FileEntry& entry) {
    // Only the entry the viewer shows, and only a size the user chose.
    if (!m_image || !m_image->HasImage() || !m_image->IsModified() || !m_fileList ||
        m_fileList->GetCurrentFileName().str() != entry.name)
        return;
    entry.targetWidth = static_cast<uint32_t>(m_image->GetWidth());
    entry.targetHeight = static_cast<uint32_t>(m_image->GetHeight());
    m_image->ForgetResize();
}

void CZarvoDDlg::ResizeImageEntry(FileEntry& entry) {
    if (entry.kind != FileEntry::kImage || entry.targetWidth == 0 || entry.targetHeight == 0) return;
    const std::string folder = (CIniFile::Folder() + "\\Temp").str();
    ::CreateDirectoryA(CIniFile::Folder(), nullptr);
    if (!CImageReencoder::Reencode(entry.data, entry.name, entry.targetWidth, entry.targetHeight, folder)) {
        LogDebugger("image " + entry.name + " keeps its size: it could not be re-encoded");
        return;
    }
    // The data has that size now: encoding it again would only lose more.
    entry.targetWidth = entry.targetHeight = 0;
}
