#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/FileEntry.h"
#include "link/codecs/PackedFile.h"
#include "link/services/IdentityService.h"
#include "link/session/LinkService.h"

class CLinkSession;
class ILinkFiles;
struct LinkReply;

// The board's files: the file-system image read into entries, the editor's
// and PC files taken into them, packed files, the upload and its backup.
class CFilesService : public CLinkService, public CIdentityEvents {
public:
    CFilesService(CLinkSession& session, CIdentityService& identity, ILinkFiles& files);

    CFileEntryList& Entries() { return m_entries; }
    const CFileEntryList& Entries() const { return m_entries; }
    bool IsSameImage() const { return m_sameImage; }
    void SetUploadStarted(bool on) { m_uploadStarted = on; }
    // Accepted image reads since construction (a read-back counts too).
    int ImageReadCount() const { return m_imageReads; }

    // ---- board image
    bool RequestFsImage();  // 03/11 + W; false while a write runs
    bool LoadFileListFromImage();
    void OnFileSystemLoaded();
    void FreeFileEntries();
    // The wait box of a job started here is up: true when this service
    // had a read to send (and sent it).
    bool TakePendingImageRead();
    bool IsImageReadPending() const { return m_imageReadPending; }
    bool HasUnsavedFiles() const { return m_entries.HasUnsaved(); }
    // WM_USER_QUERY_FILES_EDITABLE: connected, no job, uploads allowed, not the boot loader.
    bool AreFilesEditable() const;

    // ---- editor and PC files
    // The open entry takes the editor's caret, first line and (when modified) text.
    void TakeEditorText();
    // Reads a packed file and adds its entries (asks about name clashes).
    bool ReadPackedFile(const std::string& path);
    bool WritePackedFile(const std::string& path);
    // Writes the selected entries as plain files into folder; number saved.
    int SaveSelectedFiles(const std::string& folder);

    // ---- upload and its backup
    bool OnUploadStart();
    bool BuildUploadImage();
    bool RequestUploadPrepare();  // 05/51
    bool RequestUploadWrite();    // 04/10
    bool SaveUploadBackup();
    bool HasUploadBackup();
    void RestoreUploadBackup();
    void DeleteUploadBackup();
    std::string BackupPath(const char* extension);

    // CLinkService
    void OnConnecting() override;
    void OnDisconnected() override;
    void OnIspModeEntered(bool keepWork) override;
    void OnJobAbandoned() override;
    bool HasUnsavedWork() const override { return HasUnsavedFiles(); }

    // CIdentityEvents
    void OnFsIdRead() override;
    void OnIdentified() override;
    void OnFsIdAfterUpload() override { RequestFsImage(); }

private:
    void OnReplyFsImage(const LinkReply& r);
    void OnReplyUploadPrepare(const LinkReply& r);
    void OnReplyUploadWrite(const LinkReply& r);
    // Asks (wait box down) whether changed files may go; false on No or
    // when the connection changed meanwhile.
    bool AskToReplaceUnsaved();
    int Message(const std::string& text, unsigned style);
    // Removes every entry, telling the pane of each.
    void ClearEntries();
    // Once the list is replaced: the editor shows its entry of the name that
    // was open, as stored there, or nothing (labels and viewer too).
    void ShowOpenEntryAfresh(const std::string& name);
    // The flash bar shows what an upload of the list on show would take.
    void ShowFlashUsageOfList();
    // A PC file whole (refused over the size limit); messages name the entry.
    bool ReadPcFile(const std::string& path, std::string& data, const std::string& name);
    bool LoadPackedFile(const std::string& path, std::vector<PackedFile::Entry>& parsed,
                        PackedFile::ImageInfo* info = nullptr);
    // The board's image is read as a job of its own (its wait box's start
    // notice sends the read).
    void ReadBoardImageInstead();
    // Once the board's files are known (read, or restored from the backup):
    // its firmware log and debug modes are set and its task state asked.
    void SetUpTheBoard();
    bool RereadLinkedFiles();
    std::vector<const FileEntry*> EntryPointers() const;
    void UploadFailed();

    CLinkSession& m_session;
    CIdentityService& m_identity;
    CDeviceInfo& m_info;
    ILinkFiles& m_files;
    CFileEntryList m_entries;
    // File-system id of the image the entry list was last read from ("" when
    // the list is not the board's): only that id may keep the list as it is.
    std::string m_listFsId;
    bool m_sameImage = false;
    bool m_uploadStarted = false;
    // 05/51 went out for this upload job and its answer is awaited.
    bool m_uploadPreparing = false;
    int m_imageReads = 0;
    // The image count of the upload under way: its read-back must match.
    int32_t m_uploadedCount = 0;
    bool m_prepareRefused = false;
    bool m_imageReadPending = false;
};
