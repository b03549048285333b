// The board image into entries, packed files, the upload and its backup.
#include "link/DeviceLink.h"

#include "link/Crc16.h"
#include "link/FrameItemReader.h"
#include "link/LinkFiles.h"
#include "link/PackedFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {
const char* const kSaved = "Successfully saved.";
const char* const kTooBig = "Couldn't write because the file size is over \r\nits product's memory capacity.";
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

void CDeviceLink::FreeFileEntries()
{
    m_entries.Clear();
    m_listFsId.clear();
}

// ---- board image

void CDeviceLink::OnReplyFsImage(const uint8_t* p, size_t n, bool refused)
{
    m_transferType = kTransferNone;
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32())
        return;
    int32_t v = item.Int32();
    bool nothing = refused && v == LinkFrame::kNothingToReport;
    // Only code 16 means "no file system"; a count that differs from what
    // arrived (or data that did not fit) is a failed read.
    if (!nothing && (refused || m_overflow || v != m_imageCount)) {
        ShowWaitDialog(false);
        FailInitialSetting(false);
        return;
    }
    if (nothing)
        m_imageCount = 0;
    ++m_imageReads;
    if (m_uploadStarted) {
        m_uploadStarted = false;
        OnFileSystemLoaded();
        ShowWaitDialog(false);
        if (!m_host.IsPhpDebugMode())
            RequestTaskRun();
        return;
    }
    bool ok = LoadFileListFromImage();
    RequestFirmwareLog(m_host.IsFirmwareLogMode());
    ShowWaitDialog(false);
    if (!ok) {
        FailInitialSetting(false);
        return;
    }
    RequestDebugMode(1);
    RequestDebugMode(2);
    RequestTaskState();
}

bool CDeviceLink::LoadFileListFromImage()
{
    m_host.UpdateFlashUsage(m_flashCapacity, m_imageCount);
    m_reconnectPending = false;
    std::string openName = m_host.GetOpenFileName();
    if (m_sameImage) {
        if (FileEntry* e = m_entries.Find(openName))
            if (e->kind == FileEntry::kText || e->kind == FileEntry::kImage)
                m_host.OpenEntry(*e);
        return true;
    }
    if (m_imageCount == 0) {
        m_entries.Clear();
        m_listFsId = m_info.fsId;
        m_host.RefreshFileList();
        return true;
    }
    // Into a new list first: a bad image leaves the old list as it was.
    std::vector<PackedFile::Entry> parsed;
    PackedFile::ImageInfo info;
    if (PackedFile::ParseImage(m_image.data(), static_cast<size_t>(m_imageCount), parsed, info) !=
        PackedFile::Error::None)
        return false;
    m_info.uploadsRefused = info.flags != 0;
    m_info.fsValue = info.fsValue;
    CFileEntryList list;
    for (PackedFile::Entry& e : parsed)
        list.Insert(MakeEntry(e, FileEntry::kInStep));
    m_entries.Swap(list);
    m_listFsId = m_info.fsId;
    if (FileEntry* e = m_entries.Find(openName))
        if (e->kind == FileEntry::kText)
            m_host.OpenEntry(*e);
    m_host.RefreshFileList();
    return true;
}

void CDeviceLink::OnFileSystemLoaded()
{
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        bool external = e.state == FileEntry::kAddedExternal || e.state == FileEntry::kExternalInStep;
        e.state = external ? FileEntry::kExternalInStep : FileEntry::kInStep;
        if (!external)
            e.linked = false;
    }
    if (FileEntry* e = m_entries.Find(m_host.GetOpenFileName()))
        m_host.OpenEntry(*e);
    m_host.RefreshFileList();
    // The board now holds this list: its id (read after the upload) names it.
    m_listFsId = m_info.fsId;
    DeleteUploadBackup();
}

// ---- editor and PC files into the entries

void CDeviceLink::TakeEditorText()
{
    std::string text;
    uint32_t caret = 0, scroll = 0;
    std::string open = m_host.GetOpenFileName();
    FileEntry* e = open.empty() ? nullptr : m_entries.Find(open);
    bool modified = m_host.GetEditorText(text, caret, scroll);
    if (e && e->kind == FileEntry::kImage && e->state == FileEntry::kChanged)
        m_host.SaveViewerTargetSize(*e);
    if (!e || e->kind != FileEntry::kText)
        return;
    e->caret = caret;
    e->scrollLine = scroll;
    if (modified)
        e->data = text;
}

bool CDeviceLink::RereadLinkedFiles()
{
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        if (!e.linked || e.state == FileEntry::kChanged)
            continue;
        std::string data;
        if (m_files.ReadFile(e.pcPath, data) != 0) {
            Message("File could not be opened.\r\n" + e.name, CLinkDialogs::kStyleWarning);
            return false;
        }
        e.data.swap(data);
    }
    return true;
}

std::vector<const FileEntry*> CDeviceLink::EntryPointers() const
{
    std::vector<const FileEntry*> all;
    for (size_t i = 0; i < m_entries.Count(); ++i)
        all.push_back(&m_entries.At(i));
    return all;
}

// ---- packed files

bool CDeviceLink::ReadPackedFile(const std::string& path)
{
    std::string bytes;
    if (m_files.ReadFile(path, bytes) != 0) {
        Message(std::string("File could not be opened"), CLinkDialogs::kStyleWarning);
        return false;
    }
    // Checked whole before any question is asked or any entry removed.
    std::vector<PackedFile::Entry> parsed;
    PackedFile::Error err =
        PackedFile::ParseFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), parsed);
    if (err != PackedFile::Error::None) {
        Message(std::string(PackedFile::ErrorText(err)), CLinkDialogs::kStyleWarning);
        return false;
    }
    int remembered = 0;  // 0 ask, else the Yes/No given for all
    for (PackedFile::Entry& pe : parsed) {
        if (pe.data.empty())
            continue;  // folder rows and empty files are not read back
        if (FileEntry* old = m_entries.Find(pe.name)) {
            int answer = remembered;
            if (!answer) {
                bool all = false;
                answer = m_host.ShowMessage(m_host.LoadText(LinkStrings::kFileExists.id, LinkStrings::kFileExists.english) +
                                                "\r\n\r\n" + pe.name,
                                            CLinkDialogs::kStyleQuestion, &all);
                if (all)
                    remembered = answer;
            }
            if (answer != CLinkDialogs::kIdYes)
                continue;
            m_host.OnEntryRemoved(*old);
            m_entries.Remove(old);
        }
        m_entries.Insert(MakeEntry(pe, FileEntry::kChanged));
    }
    return true;
}

bool CDeviceLink::WritePackedFile(const std::string& path)
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
    if (m_files.Exists(path) && Message(LinkStrings::kFileExists, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
        return false;
    // The old file stays until the new one is wholly written.
    if (uint32_t e = m_files.WriteFileSafely(path, container)) {
        Message(CreateErrorText(e), CLinkDialogs::kStyleWarning);
        return false;
    }
    Message(std::string(kSaved), CLinkDialogs::kStyleWarning);
    return true;
}

int CDeviceLink::SaveSelectedFiles(const std::string& folder)
{
    if (m_entries.Empty()) {
        Message(std::string("There are no files to save."), CLinkDialogs::kStyleWarning);
        return 0;
    }
    TakeEditorText();
    int saved = 0;
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        if (!e.selected || e.kind == FileEntry::kFolder)
            continue;
        size_t slash = e.name.rfind('/');
        std::string leaf = slash == std::string::npos ? e.name : e.name.substr(slash + 1);
        if (!IsSafeFileName(leaf)) {
            Message(e.name + "\r\nThis file name cannot be used on the PC.", CLinkDialogs::kStyleWarning);
            continue;
        }
        std::string target = folder + m_files.Separator() + leaf;
        if (m_files.Exists(target) &&
            Message(LinkStrings::kFileExists, CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes)
            continue;
        if (uint32_t err = m_files.WriteFileSafely(target, e.data)) {
            bool withName = err == ILinkFiles::kErrAccessDenied || err == ILinkFiles::kErrSharing;
            Message(withName ? e.name + "\r\n" + CreateErrorText(err) : CreateErrorText(err),
                    CLinkDialogs::kStyleWarning);
            continue;
        }
        // Another entry linked to this file (the same leaf name from another
        // folder) no longer finds its own data there: it must not be re-read
        // from it before the next upload.
        for (size_t j = 0; j < m_entries.Count(); ++j) {
            FileEntry& other = m_entries.At(j);
            if (j != i && other.linked && SamePath(other.pcPath, target)) {
                other.linked = false;
                other.pcPath.clear();
            }
        }
        e.linked = true;
        e.pcPath = target;
        ++saved;
    }
    if (saved)
        Message(std::string(kSaved), CLinkDialogs::kStyleWarning);
    m_host.RefreshFileList();
    return saved;
}

// ---- upload

bool CDeviceLink::BuildUploadImage()
{
    m_imageCount = 0;
    TakeEditorText();
    if (!m_entries.Empty() && !RereadLinkedFiles())
        return false;
    for (size_t i = 0; i < m_entries.Count(); ++i) {
        FileEntry& e = m_entries.At(i);
        if (e.kind == FileEntry::kImage && e.state == FileEntry::kChanged)
            m_host.ResizeImageEntry(e);
    }
    std::string image;
    PackedFile::Error err = PackedFile::Build(EntryPointers(), static_cast<uint16_t>(m_info.fsValue), 0, image);
    char sizes[64];
    if (err == PackedFile::Error::TooLarge) {
        std::snprintf(sizes, sizeof sizes, "\r\n[%d / %d]", static_cast<int>(PackedFile::TotalSize(EntryPointers())),
                      m_flashCapacity);
        ShowWaitDialog(false);
        Message(std::string(kTooBig) + sizes, CLinkDialogs::kStyleWarning);
        return false;
    }
    if (err != PackedFile::Error::None) {
        ShowWaitDialog(false);
        Message(std::string(PackedFile::ErrorText(err)), CLinkDialogs::kStyleWarning);
        return false;
    }
    if (static_cast<int64_t>(image.size()) > m_flashCapacity) {
        std::snprintf(sizes, sizeof sizes, "\r\n[%d / %d]", static_cast<int>(image.size()), m_flashCapacity);
        ShowWaitDialog(false);
        Message(std::string(kTooBig) + sizes, CLinkDialogs::kStyleWarning);
        return false;
    }
    std::fill(m_image.begin(), m_image.end(), 0);
    std::memcpy(m_image.data(), image.data(), image.size());
    m_imageCount = static_cast<int32_t>(image.size());
    m_host.UpdateFlashUsage(m_flashCapacity, m_imageCount);
    return true;
}

bool CDeviceLink::OnUploadStart()
{
    if (!BuildUploadImage()) {
        ShowWaitDialog(false);
        return false;
    }
    SaveUploadBackup();
    m_uploadPreparing = true;
    if (!RequestUploadPrepare()) {
        UploadFailed();
        return false;
    }
    return true;
}

void CDeviceLink::UploadFailed()
{
    m_uploadStarted = false;
    m_uploadPreparing = false;
    m_transferType = kTransferNone;
    ShowWaitDialog(false);
    Message(std::string(kUploadFailed), CLinkDialogs::kStyleWarning);
}

void CDeviceLink::OnReplyUploadPrepare(const uint8_t* p, size_t n, bool refused)
{
    // Only the answer to this job's 05/51: a late one after the watchdog
    // ended the job would write the image behind the user's back.
    if (!m_uploadPreparing)
        return;
    m_uploadPreparing = false;
    if (refused) {
        // The board will not take the image: nothing was written, the backup stays.
        m_uploadStarted = false;
        ShowWaitDialog(false);
        Message(LinkStrings::kUploadRefused, CLinkDialogs::kStyleWarning);
        return;
    }
    if (!RequestUploadWrite())
        UploadFailed();
}

void CDeviceLink::OnReplyUploadWrite(const uint8_t* p, size_t n)
{
    if (m_transferType != kTransferUpload)
        return;
    m_transferType = kTransferNone;
    FrameItem item;
    if (!FrameItemReader::First(p, n, item) || !item.IsInt32() || item.Int32() != m_imageCount ||
        m_sentCount != m_imageCount) {
        UploadFailed();
        return;
    }
    RequestIdEzfsHash();
}

// ---- upload backup

std::string CDeviceLink::BackupPath(const char* extension)
{
    std::string folder = m_host.GetBackupFolder();
    return folder + m_files.Separator() + (m_info.mcuId.empty() ? std::string("ZarvoD") : m_info.mcuId) + extension;
}

bool CDeviceLink::SaveUploadBackup()
{
    if (m_host.GetBackupFolder().empty() || m_imageCount < 1)
        return false;
    m_files.CreateFolder(m_host.GetBackupFolder());
    // The image first and the mark only once the image is whole: a mark
    // must never point at a missing or partial image.
    std::string image(reinterpret_cast<const char*>(m_image.data()), static_cast<size_t>(m_imageCount));
    if (m_files.WriteFileSafely(BackupPath(".kbx"), image) != 0) {
        m_host.LogDebugger("upload backup could not be written");
        return false;
    }
    char mark[2] = {static_cast<char>(m_info.fsValue & 0xFF), static_cast<char>((m_info.fsValue >> 8) & 0xFF)};
    if (m_files.WriteFileSafely(BackupPath(".wc"), std::string(mark, 2)) != 0) {
        m_host.LogDebugger("upload backup could not be written");
        return false;
    }
    return true;
}

bool CDeviceLink::HasUploadBackup()
{
    return !m_host.GetBackupFolder().empty() && m_files.Exists(BackupPath(".wc"));
}

void CDeviceLink::DeleteUploadBackup()
{
    if (!m_host.GetBackupFolder().empty())
        m_files.Delete(BackupPath(".wc"));
}

void CDeviceLink::RestoreUploadBackup()
{
    bool restore = Message(std::string("Do you want to restore the backup file?"), CLinkDialogs::kStyleQuestion) ==
                   CLinkDialogs::kIdYes;
    if (!restore)
        restore = Message(std::string("Are you sure you don't want to restore the backup file?"),
                          CLinkDialogs::kStyleQuestion) != CLinkDialogs::kIdYes;
    if (!restore) {
        DeleteUploadBackup();
        // Declined: the connection goes on as it does without a backup.
        RequestFsImage();
        return;
    }
    m_host.RefreshFileList();
    ReadPackedFile(BackupPath(".kbx"));
    m_host.RefreshFileList();
    m_host.UpdateFlashUsage(m_flashCapacity, m_imageCount);
}
