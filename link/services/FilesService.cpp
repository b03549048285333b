// The board image into entries, packed files, the upload and its backup.
#include "link/services/FilesService.h"

#include "link/services/BoardRequests.h"
#include "link/session/LinkSession.h"

#include "link/codecs/Crc16.h"
#include "link/codecs/FrameItemReader.h"
#include "link/LinkFiles.h"
#include "link/codecs/PackedFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
const char* const kSaved = "Successfully saved.";
const char* const kTooBig = "Couldn't write because the file size is over \r\nits product's memory capacity.";
const char* const kFileTooLarge = "The file is too large (over 1 MiB).";
const char* const kUploadFailed = "The upload has failed.\r\nThe files on the PC are unchanged.";

std::string CreateErrorText(uint32_t error)
{
    switch (error) {
    case ILinkFiles::kErrAccessDenied: return "Couldn't create a file.\r\nAccess has been denied.";
    case ILinkFiles::kErrWriteProtect: return "The product is Write-protected.";
    case ILinkFiles::kErrSharing: return "File is being used by another program.";
    default: return "Unknown error";
    }
}

// Windows opens a device for these names, whatever follows the first dot
// ("com3.txt" is the port itself).
bool IsDeviceName(const std::string& name)
{
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

// A board or file name may only become one plain file inside the chosen
// folder: no separators, drive colons, control characters, dot names or
// device names.
bool IsSafeFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || IsDeviceName(name))
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            return false;
    return name.back() != '.' && name.back() != ' ';
}

// Windows paths ignore case: compare as the PC does (a false match only
// drops a link, which costs a re-read, never data).
bool SamePath(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::unique_ptr<FileEntry> MakeEntry(PackedFile::Entry& e, uint32_t state)
{
    auto entry = std::make_unique<FileEntry>();
    entry->nameLength = e.nameLength;
    entry->name = std::move(e.name);
    entry->data = std::move(e.data);
    entry->kind = FileEntry::KindFor(entry->name, entry->data.size());
    entry->state = state;
    return entry;
}
} // namespace

CFilesService::CFilesService(CLinkSession& session, CIdentityService& identity, ILinkFiles& files)
    : m_session(session), m_identity(identity), m_info(identity.DeviceInfo()), m_files(files)
{
    using R = const LinkReply&;
    m_session.RouteReply(3, 1, 1, [this](R r) { OnReplyFsImage(r); });
    m_session.RouteReply(4, 1, CLinkSession::kAny, [this](R r) { OnReplyUploadWrite(r); });
    m_session.RouteReply(5, 5, CLinkSession::kAny, [this](R r) { OnReplyUploadPrepare(r); });
    m_session.AddService(*this);
    m_identity.SetEvents(this);
}

int CFilesService::Message(const std::string& text, unsigned style) { return m_session.Message(text, style); }

void CFilesService::OnConnecting()
{
    m_uploadStarted = false;
    m_uploadPreparing = false;
}

void CFilesService::OnDisconnected()
{
    m_sameImage = false;
    // A read that waited for its wait box belongs to this connection only.
    m_imageReadPending = false;
}

void CFilesService::OnIspModeEntered(bool keepWork)
{
    if (!keepWork)
        FreeFileEntries();
}

void CFilesService::OnJobAbandoned()
{
    // An upload cut off here is not confirmed: the backup mark stays.
    m_uploadStarted = false;
    m_uploadPreparing = false;
    m_imageReadPending = false;
}

void CFilesService::OnFsIdRead()
{
    // Unchanged since the list was read from the board; an earlier id
    // whose image never arrived would keep a list that is not this board's.
    m_sameImage = !m_listFsId.empty() && m_listFsId == m_info.fsId;
}

void CFilesService::OnIdentified()
{
    if (HasUploadBackup()) {
        m_session.ShowWaitDialog(false);
        RestoreUploadBackup();
    } else {
        RequestFsImage();
    }
}

bool CFilesService::AreFilesEditable() const
{
    return m_session.IsConnected() && !m_session.IsJobRunning() && !m_info.uploadsRefused && !m_session.IsIspMode();
}

bool CFilesService::RequestFsImage()
{
    return m_session.StartRead(LinkFrame::RequestBuilder(3, 1, 1), CLinkSession::kTransferFsImage);
}

bool CFilesService::RequestUploadPrepare() { return m_session.WriteBare(5, 5, 1) == 0; }

bool CFilesService::RequestUploadWrite()
{
    if (!m_session.StartWrite(LinkFrame::RequestBuilder(4, 1, 0), CLinkSession::kTransferUpload))
        return false;
    m_session.Host().SetProgressRange(m_session.Image().count);
    m_session.Host().SetProgress(0);
    return true;
}

void CFilesService::FreeFileEntries()
{
    m_entries.Clear();
    m_listFsId.clear();
}

void CFilesService::ClearEntries()
{
    for (size_t i = 0; i < m_entries.Count(); ++i)
        m_session.Host().OnEntryRemoved(m_entries.At(i));
    FreeFileEntries();
}

bool CFilesService::TakePendingImageRead()
{
    if (!m_imageReadPending)
        return false;
    m_imageReadPending = false;
    RequestFsImage();
    return true;
}

bool CFilesService::ReadPcFile(const std::string& path, std::string& data, const std::string& name)
{
    uint32_t err = m_files.ReadFile(path, data);
    if (err == 0)
        return true;
    if (err == ILinkFiles::kErrTooLarge)
        Message(name.empty() ? std::string(kFileTooLarge) : kFileTooLarge + ("\r\n" + name), CLinkDialogs::kStyleWarning);
    else
        Message(name.empty() ? std::string("File could not be opened") : "File could not be opened.\r\n" + name,
                CLinkDialogs::kStyleWarning);
    return false;
}

bool CFilesService::LoadPackedFile(const std::string& path, std::vector<PackedFile::Entry>& parsed,
                                  PackedFile::ImageInfo* info)
{
    std::string bytes;
    if (!ReadPcFile(path, bytes, ""))
        return false;
    PackedFile::Error err =
        PackedFile::ParseFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), parsed, info);
    if (err != PackedFile::Error::None) {
        Message(std::string(PackedFile::ErrorText(err)), CLinkDialogs::kStyleWarning);
        return false;
    }
    return true;
}

// ---- board image

void CFilesService::OnReplyFsImage(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    bool refused = r.Refused();
    // Only the image read this service started ends here.
    if (m_session.GetTransferType() != CLinkSession::kTransferFsImage) {
        m_session.Host().LogDebugger("file-system image: late reply dropped");
        return;
    }
    m_session.SetTransferType(CLinkSession::kTransferNone);
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32())
        return;
    int32_t v = item.Int32();
    bool nothing = refused && v == LinkFrame::kNothingToReport;
    // Only code 16 means "no file system"; a count that differs from what
    // arrived (or data that did not fit) is a failed read.
    if (!nothing && (refused || m_session.TransferOverflowed() || v != m_session.Image().count)) {
        m_session.ShowWaitDialog(false);
        m_session.FailInitialSetting(false);
        return;
    }
    if (m_uploadStarted && (nothing || v != m_uploadedCount)) {
        // Not the image just written: the upload is not confirmed, the
        // backup mark stays.
        UploadFailed();
        return;
    }
    if (nothing)
        m_session.Image().count = 0;
    ++m_imageReads;
    if (m_uploadStarted) {
        m_uploadStarted = false;
        OnFileSystemLoaded();
        m_session.ShowWaitDialog(false);
        if (!m_session.Host().IsPhpDebugMode()) {
            // As the Run button: no line of the old run stays marked.
            m_session.Host().SetExecutionLine(-1);
            m_session.WriteRequest(BoardRequests::TaskRun());
        } else {
            // The upload stopped the task; without asking, the debugger
            // buttons would stay off (task state unknown) until a reconnect.
            m_session.WriteRequest(BoardRequests::TaskState());
        }
        return;
    }
    const uint32_t connection = m_session.ConnectionNumber();
    bool ok = LoadFileListFromImage();
    // The board went while the user was asked about unsaved files.
    if (connection != m_session.ConnectionNumber())
        return;
    if (!ok) {
        m_session.WriteRequest(BoardRequests::FirmwareLog(m_session.Host().IsFirmwareLogMode()));
        m_session.ShowWaitDialog(false);
        m_session.FailInitialSetting(false);
        return;
    }
    m_session.ShowWaitDialog(false);
    SetUpTheBoard();
}

void CFilesService::SetUpTheBoard()
{
    m_session.WriteRequest(BoardRequests::FirmwareLog(m_session.Host().IsFirmwareLogMode()));
    m_session.WriteRequest(BoardRequests::DebugMode(1));
    m_session.WriteRequest(BoardRequests::DebugMode(2));
    m_session.WriteRequest(BoardRequests::TaskState());
}

bool CFilesService::AskToReplaceUnsaved()
{
    const uint32_t connection = m_session.ConnectionNumber();
    // The question is the user's, not the board's: the wait box goes first.
    m_session.ShowWaitDialog(false);
    const bool yes = m_session.AskToDropUnsavedWork();
    // A board that went (or came again) meanwhile replaces nothing.
    return yes && connection == m_session.ConnectionNumber();
}

bool CFilesService::LoadFileListFromImage()
{
    m_session.Host().UpdateFlashUsage(m_identity.FlashCapacity(), m_session.Image().count);
    m_session.SetReconnectPending(false);
    const std::string openName = m_session.Host().GetOpenFileName();
    if (m_sameImage) {
        // The list stays: what the editor holds is its open entry's.
        TakeEditorText();
        ShowOpenEntryAfresh(openName);
        return true;
    }
    // Into a new list first: a bad image leaves the old list as it was.
    std::vector<PackedFile::Entry> parsed;
    const bool noFiles = m_session.Image().count == 0;
    if (!noFiles) {
        PackedFile::ImageInfo info;
        if (PackedFile::ParseImage(m_session.Image().data.data(), static_cast<size_t>(m_session.Image().count), parsed,
                                   info) != PackedFile::Error::None)
            return false;
        m_info.uploadsRefused = info.flags != 0;
        m_info.fsValue = info.fsValue;
    }
    // The list is not this image's (another board, a packed file): what the
    // editor holds goes into the old list before anything replaces it, and
    // its changed files go only when the user agrees.
    TakeEditorText();
    if (HasUnsavedFiles() && !AskToReplaceUnsaved()) {
        // The bar shows the list kept, not the image refused.
        ShowFlashUsageOfList();
        m_session.Host().RefreshFileList();
        return true;
    }
    CFileEntryList list;
    for (PackedFile::Entry& e : parsed)
        list.Insert(MakeEntry(e, FileEntry::kInStep));
    m_entries.Swap(list);
    m_listFsId = m_info.fsId;
    if (noFiles)
        m_session.Host().ClearEditor();  // the help text goes as well
    else
        ShowOpenEntryAfresh(openName);
    m_session.Host().RefreshFileList();
    return true;
}

void CFilesService::ShowFlashUsageOfList()
{
    m_session.Host().UpdateFlashUsage(m_identity.FlashCapacity(), static_cast<int>(PackedFile::TotalSize(EntryPointers())));
}

void CFilesService::ShowOpenEntryAfresh(const std::string& name)
{
    if (name.empty())
        return;  // no entry was open (the help text, or nothing)
    FileEntry* e = m_entries.Find(name);
    if (e && (e->kind == FileEntry::kText || e->kind == FileEntry::kImage))
        m_session.Host().OpenEntry(*e);
    else
        m_session.Host().ClearEditor();
}

void CFilesService::OnFileSystemLoaded()
{
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        bool external = e.state == FileEntry::kAddedExternal || e.state == FileEntry::kExternalInStep;
        e.state = external ? FileEntry::kExternalInStep : FileEntry::kInStep;
        if (!external)
            e.linked = false;
    }
    if (FileEntry* e = m_entries.Find(m_session.Host().GetOpenFileName()))
        m_session.Host().OpenEntry(*e);
    m_session.Host().RefreshFileList();
    // The board now holds this list: its id (read after the upload) names it.
    m_listFsId = m_info.fsId;
    DeleteUploadBackup();
}

// ---- editor and PC files into the entries

void CFilesService::TakeEditorText()
{
    std::string text;
    uint32_t caret = 0, scroll = 0;
    std::string open = m_session.Host().GetOpenFileName();
    FileEntry* e = open.empty() ? nullptr : m_entries.Find(open);
    bool modified = m_session.Host().GetEditorText(text, caret, scroll);
    if (e && e->kind == FileEntry::kImage && e->state == FileEntry::kChanged)
        m_session.Host().SaveViewerTargetSize(*e);
    if (!e || e->kind != FileEntry::kText)
        return;
    e->caret = caret;
    e->scrollLine = scroll;
    if (modified)
        e->data = text;
}

bool CFilesService::RereadLinkedFiles()
{
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        if (!e.linked || e.state == FileEntry::kChanged)
            continue;
        std::string data;
        if (!ReadPcFile(e.pcPath, data, e.name))
            return false;
        e.data.swap(data);
    }
    return true;
}

std::vector<const FileEntry*> CFilesService::EntryPointers() const
{
    std::vector<const FileEntry*> all;
    for (size_t i = 0; i < m_entries.Count(); ++i)
        all.push_back(&m_entries.At(i));
    return all;
}

// ---- packed files

bool CFilesService::ReadPackedFile(const std::string& path)
{
    // Checked whole before any question is asked or any entry removed.
    std::vector<PackedFile::Entry> parsed;
    if (!LoadPackedFile(path, parsed))
        return false;
    int remembered = 0;  // 0 ask, else the Yes/No given for all
    // The editor's text is its open entry's before any question; an open
    // entry that the file replaces is shown afresh from it.
    const std::string openName = m_session.Host().GetOpenFileName();
    TakeEditorText();
    bool openReplaced = false;
    for (PackedFile::Entry& pe : parsed) {
        if (pe.data.empty())
            continue;  // folder rows and empty files are not read back
        if (m_entries.Find(pe.name)) {
            int answer = remembered;
            if (!answer) {
                bool all = false;
                answer = m_session.Host().ShowMessage(
                    m_session.Host().LoadText(LinkStrings::kFileExists.id, LinkStrings::kFileExists.english) +
                        "\r\n\r\n" + pe.name,
                    CLinkDialogs::kStyleQuestion, &all);
                if (all)
                    remembered = answer;
            }
            if (answer != CLinkDialogs::kIdYes)
                continue;
            // Looked up again: the question's message loop may have
            // replaced the list.
            if (FileEntry* old = m_entries.Find(pe.name)) {
                m_session.Host().OnEntryRemoved(*old);
                m_entries.Remove(old);
            }
        }
        openReplaced = openReplaced || (!openName.empty() && pe.name == openName);
        m_entries.Insert(MakeEntry(pe, FileEntry::kChanged));
    }
    if (openReplaced)
        ShowOpenEntryAfresh(openName);
    return true;
}

bool CFilesService::WritePackedFile(const std::string& path)
{
    TakeEditorText();
    if (!RereadLinkedFiles())
        return false;
    std::string container;
    PackedFile::Error err = PackedFile::Build(EntryPointers(), static_cast<uint16_t>(m_info.fsValue), 4, container);
    if (err != PackedFile::Error::None) {
        Message(std::string(PackedFile::ErrorText(err)), CLinkDialogs::kStyleWarning);
        return false;
    }
    if (m_files.Exists(path) && m_session.Message(LinkStrings::kFileExists, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
        return false;
    // The old file stays until the new one is wholly written.
    if (uint32_t e = m_files.WriteFileSafely(path, container)) {
        Message(CreateErrorText(e), CLinkDialogs::kStyleWarning);
        return false;
    }
    Message(std::string(kSaved), CLinkDialogs::kStyleWarning);
    return true;
}

int CFilesService::SaveSelectedFiles(const std::string& folder)
{
    if (m_entries.Empty()) {
        Message(std::string("There are no files to save."), CLinkDialogs::kStyleWarning);
        return 0;
    }
    TakeEditorText();
    // By name, never by pointer: a question's message loop may replace the list.
    std::vector<std::string> names;
    for (size_t i = 0; i < m_entries.Count(); ++i)
        if (m_entries.At(i).selected && m_entries.At(i).kind != FileEntry::kFolder)
            names.push_back(m_entries.At(i).name);
    int saved = 0;
    for (const std::string& name : names) {
        size_t slash = name.rfind('/');
        std::string leaf = slash == std::string::npos ? name : name.substr(slash + 1);
        if (!IsSafeFileName(leaf)) {
            Message(name + "\r\nThis file name cannot be used on the PC.", CLinkDialogs::kStyleWarning);
            continue;
        }
        std::string target = folder + m_files.Separator() + leaf;
        if (m_files.Exists(target) &&
            m_session.Message(LinkStrings::kFileExists, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
            continue;
        FileEntry* e = m_entries.Find(name);
        if (!e)
            continue;
        if (uint32_t err = m_files.WriteFileSafely(target, e->data)) {
            bool withName = err == ILinkFiles::kErrAccessDenied || err == ILinkFiles::kErrSharing;
            Message(withName ? name + "\r\n" + CreateErrorText(err) : CreateErrorText(err),
                    CLinkDialogs::kStyleWarning);
            continue;
        }
        // Another entry linked to this file (the same leaf name from another
        // folder) no longer finds its own data there: it must not be re-read
        // from it before the next upload.
        for (size_t j = 0; j < m_entries.Count(); ++j) {
            FileEntry& other = m_entries.At(j);
            if (&other != e && other.linked && SamePath(other.pcPath, target)) {
                other.linked = false;
                other.pcPath.clear();
            }
        }
        e->linked = true;
        e->pcPath = target;
        ++saved;
    }
    if (saved)
        Message(std::string(kSaved), CLinkDialogs::kStyleWarning);
    m_session.Host().RefreshFileList();
    return saved;
}

// ---- upload

bool CFilesService::BuildUploadImage()
{
    m_session.Image().count = 0;
    TakeEditorText();
    if (!m_entries.Empty() && !RereadLinkedFiles())
        return false;
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        if (e.kind == FileEntry::kImage && e.state == FileEntry::kChanged)
            m_session.Host().ResizeImageEntry(e);
    }
    std::string image;
    PackedFile::Error err = PackedFile::Build(EntryPointers(), static_cast<uint16_t>(m_info.fsValue), 0, image);
    char sizes[64];
    if (err == PackedFile::Error::TooLarge) {
        std::snprintf(sizes, sizeof sizes, "\r\n[%d / %d]", static_cast<int>(PackedFile::TotalSize(EntryPointers())),
                      m_identity.FlashCapacity());
        m_session.ShowWaitDialog(false);
        Message(std::string(kTooBig) + sizes, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (err != PackedFile::Error::None) {
        m_session.ShowWaitDialog(false);
        Message(std::string(PackedFile::ErrorText(err)), CLinkDialogs::kStyleWarning);
        return false;
    }
    if (static_cast<int64_t>(image.size()) > m_identity.FlashCapacity()) {
        std::snprintf(sizes, sizeof sizes, "\r\n[%d / %d]", static_cast<int>(image.size()), m_identity.FlashCapacity());
        m_session.ShowWaitDialog(false);
        Message(std::string(kTooBig) + sizes, CLinkDialogs::kStyleWarning);
        return false;
    }
    m_session.Image().Reset();
    std::memcpy(m_session.Image().data.data(), image.data(), image.size());
    m_session.Image().count = static_cast<int32_t>(image.size());
    m_session.Host().UpdateFlashUsage(m_identity.FlashCapacity(), m_session.Image().count);
    return true;
}

bool CFilesService::OnUploadStart()
{
    if (!BuildUploadImage()) {
        // Nothing was sent: the next image read is no read-back.
        m_uploadStarted = false;
        m_session.ShowWaitDialog(false);
        return false;
    }
    SaveUploadBackup();
    m_uploadedCount = m_session.Image().count;
    m_prepareRefused = false;
    m_uploadPreparing = true;
    if (!RequestUploadPrepare()) {
        UploadFailed();
        return false;
    }
    return true;
}

void CFilesService::UploadFailed()
{
    m_uploadStarted = false;
    m_uploadPreparing = false;
    m_session.SetTransferType(CLinkSession::kTransferNone);
    m_session.ShowWaitDialog(false);
    if (m_prepareRefused)
        m_session.Message(LinkStrings::kUploadRefused, CLinkDialogs::kStyleWarning);
    else
        Message(std::string(kUploadFailed), CLinkDialogs::kStyleWarning);
}

void CFilesService::OnReplyUploadPrepare(const LinkReply& r)
{
    bool refused = r.Refused();
    // Only the answer to this job's 05/51: a late one after the watchdog
    // ended the job would write the image behind the user's back.
    if (!m_uploadPreparing)
        return;
    m_uploadPreparing = false;
    // Refused or not, the write follows: the board may rely on it, and the
    // count it answers decides.
    m_prepareRefused = refused;
    if (!RequestUploadWrite())
        UploadFailed();
}

void CFilesService::OnReplyUploadWrite(const LinkReply& r)
{
    const uint8_t* p = r.payload;
    size_t n = r.length;
    if (m_session.GetTransferType() != CLinkSession::kTransferUpload)
        return;
    m_session.SetTransferType(CLinkSession::kTransferNone);
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32() || item.Int32() != m_session.Image().count ||
        m_session.SentCount() != m_session.Image().count) {
        UploadFailed();
        return;
    }
    m_identity.RequestIdEzfsHash();
}

// ---- upload backup

std::string CFilesService::BackupPath(const char* extension)
{
    std::string folder = m_session.Host().GetBackupFolder();
    return folder + m_files.Separator() + (m_info.mcuId.empty() ? std::string("ZarvoD") : m_info.mcuId) + extension;
}

bool CFilesService::SaveUploadBackup()
{
    if (m_session.Host().GetBackupFolder().empty() || m_session.Image().count < 1)
        return false;
    m_files.CreateFolder(m_session.Host().GetBackupFolder());
    // The image first and the mark only once the image is whole: a mark
    // must never point at a missing or partial image.
    std::string image(reinterpret_cast<const char*>(m_session.Image().data.data()), static_cast<size_t>(m_session.Image().count));
    if (m_files.WriteFileSafely(BackupPath(".kbx"), image) != 0) {
        m_session.Host().LogDebugger("upload backup could not be written");
        return false;
    }
    char mark[2] = {static_cast<char>(m_info.fsValue & 0xFF), static_cast<char>((m_info.fsValue >> 8) & 0xFF)};
    if (m_files.WriteFileSafely(BackupPath(".wc"), std::string(mark, 2)) != 0) {
        m_session.Host().LogDebugger("upload backup could not be written");
        return false;
    }
    return true;
}

bool CFilesService::HasUploadBackup()
{
    return !m_session.Host().GetBackupFolder().empty() && m_files.Exists(BackupPath(".wc"));
}

void CFilesService::DeleteUploadBackup()
{
    if (!m_session.Host().GetBackupFolder().empty())
        m_files.Delete(BackupPath(".wc"));
}

void CFilesService::ReadBoardImageInstead()
{
    m_imageReadPending = true;
    m_session.ShowWaitDialog(true, CLinkSession::kWaitIdentify);
}

void CFilesService::RestoreUploadBackup()
{
    const uint32_t connection = m_session.ConnectionNumber();
    bool restore = Message(std::string("Do you want to restore the backup file?"), CLinkDialogs::kStyleQuestion) ==
                   CLinkDialogs::kIdYes;
    // A board that went (or came again) while asked has its own connection.
    if (!restore && connection == m_session.ConnectionNumber())
        restore = Message(std::string("Are you sure you don't want to restore the backup file?"),
                          CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes;
    if (connection != m_session.ConnectionNumber())
        return;
    if (!restore) {
        DeleteUploadBackup();
        // Declined: the connection goes on as it does without a backup. The
        // read is a job like any other (wait box, watchdog, no editing
        // meanwhile).
        ReadBoardImageInstead();
        return;
    }
    // The board is back: a later arrival must not connect again.
    m_session.SetReconnectPending(false);
    // The backup replaces the list: the list loaded may be another board's.
    std::vector<PackedFile::Entry> parsed;
    PackedFile::ImageInfo info;
    if (!LoadPackedFile(BackupPath(".kbx"), parsed, &info)) {
        // Nothing to restore from: what the board holds is read instead, so
        // that nothing it would have told stays unknown. The mark stays.
        if (connection == m_session.ConnectionNumber())
            ReadBoardImageInstead();
        return;
    }
    // The board's image is not read: the backup, made from this board's
    // image, tells its file-system value, which every upload must carry.
    m_info.fsValue = info.fsValue;
    const std::string openName = m_session.Host().GetOpenFileName();
    TakeEditorText();
    if (!HasUnsavedFiles() || AskToReplaceUnsaved()) {
        ClearEntries();
        // Whole, folder rows too: without them the files inside could not
        // be reached in the list.
        for (PackedFile::Entry& pe : parsed)
            m_entries.Insert(MakeEntry(pe, FileEntry::kChanged));
        ShowOpenEntryAfresh(openName);
        m_session.Host().RefreshFileList();
    }
    // What an upload of the list on show would take, not the last image read.
    ShowFlashUsageOfList();
    // Kept or restored, the list stands for the image read it replaces: the
    // board is set up and its task state asked as after one (the mark stays).
    if (connection == m_session.ConnectionNumber() && m_session.IsConnected())
        SetUpTheBoard();
}
