#include "LinkCheckScenarios.h"
#include "LinkCheckDebug.h"

#include "link/codecs/Crc16.h"
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/codecs/PackedFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using EntrySet = std::vector<std::pair<std::string, std::string>>;

// Identity of the name itself (a replaced link is a new inode).
unsigned long LinkId(const std::string& path)
{
#ifdef _WIN32
    return 0;  // COM names: a removal is not seen by this runner
#else
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<unsigned long>(st.st_ino) : 0;
#endif
}

void PrintEntries(const EntrySet& set)
{
    for (auto& e : set)
        std::printf("ENTRY %s %zu %04x\n", e.first.c_str(), e.second.size(),
                    CalcCrc16(e.second.size(), e.second.data()));
    std::fflush(stdout);
}

EntrySet FromParsed(const std::vector<PackedFile::Entry>& parsed, bool withEmpty)
{
    EntrySet set;
    for (auto& e : parsed)
        if (withEmpty || !e.data.empty())
            set.emplace_back(e.name, e.data);
    std::sort(set.begin(), set.end());
    return set;
}

EntrySet FromList(CDeviceLink& link)
{
    EntrySet set;
    for (size_t i = 0; i < link.Entries().Count(); ++i)
        set.emplace_back(link.Entries().At(i).name, link.Entries().At(i).data);
    std::sort(set.begin(), set.end());
    return set;
}

// The image now in the link's buffer, as the board sent it.
std::string ImageEntries(CDeviceLink& link, EntrySet& set)
{
    std::vector<PackedFile::Entry> parsed;
    PackedFile::ImageInfo info;
    if (link.ImageCount() == 0) {
        set.clear();
        return std::string();
    }
    PackedFile::Error e = PackedFile::ParseImage(link.ImageBuffer().data(), static_cast<size_t>(link.ImageCount()),
                                                 parsed, info);
    if (e != PackedFile::Error::None)
        return std::string("bad image: ") + PackedFile::ErrorText(e);
    set = FromParsed(parsed, true);
    return std::string();
}

std::string LoadPacked(const std::string& path, EntrySet& set)
{
    CStdLinkFiles files;
    std::string bytes;
    if (files.ReadFile(path, bytes) != 0)
        return "cannot read " + path;
    std::vector<PackedFile::Entry> parsed;
    PackedFile::Error e = PackedFile::ParseFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), parsed);
    if (e != PackedFile::Error::None)
        return PackedFile::ErrorText(e);
    set = FromParsed(parsed, false);
    return std::string();
}

// Connect, sync and run the identification chain (with the login when the
// board asks for it) to its end.
std::string Identify(ILinkRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    if (!link.Connect(o.port))
        return "cannot open " + o.port;
    bool sawJob = false;
    std::string why = r.RunUntil([&] {
        sawJob = sawJob || link.IsJobRunning();
        return link.IsIdentified() || link.IsIspMode() || (sawJob && !link.IsJobRunning());
    }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    if (link.IsIspMode())
        return "isp mode";
    if (!link.IsIdentified())
        return "identification did not finish";
    return std::string();
}

// Identification, then the board image read that follows it.
std::string IdentifyAndRead(ILinkRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    int before = link.ImageReadCount();
    std::string why = Identify(r, o);
    if (!why.empty())
        return why;
    if (r.RestoreQuestions() > 0)
        return std::string();
    why = r.RunUntil([&] { return link.ImageReadCount() > before || !link.IsJobRunning(); }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    return link.ImageReadCount() > before ? std::string() : "image read failed";
}

// Replaces the entries by the packed file's and uploads them. "" when the
// board confirmed the upload and its image was read back.
std::string Upload(ILinkRunner& r, const CheckOptions& o, const std::string& file)
{
    CDeviceLink& link = r.Link();
    link.FreeFileEntries();
    if (!link.ReadPackedFile(file))
        return "cannot read " + file;
    int before = link.ImageReadCount();
    link.SetUploadStarted(true);
    link.ShowWaitDialog(true, CDeviceLink::kWaitUpload);
    std::string why = r.RunUntil([&] { return !link.IsJobRunning(); }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    return link.ImageReadCount() > before ? std::string() : "upload failed";
}

std::string ReadScenario(ILinkRunner& r, const CheckOptions& o)
{
    std::string why = IdentifyAndRead(r, o);
    if (!why.empty())
        return why;
    EntrySet set;
    why = ImageEntries(r.Link(), set);
    PrintEntries(set);
    return why;
}

std::string UploadScenario(ILinkRunner& r, const CheckOptions& o, const std::string& file)
{
    EntrySet expected;
    std::string why = LoadPacked(file, expected);
    if (why.empty())
        why = IdentifyAndRead(r, o);
    if (why.empty())
        why = Upload(r, o, file);
    if (!why.empty())
        return why;
    EntrySet back;
    why = ImageEntries(r.Link(), back);
    PrintEntries(back);
    if (!why.empty())
        return why;
    // Folder rows are written but not read back from a packed file.
    back.erase(std::remove_if(back.begin(), back.end(), [](auto& e) { return e.second.empty(); }), back.end());
    return back == expected ? std::string() : "read back differs";
}

// An upload that the board cuts off (silence, unplug): the backup must stay,
// and the next connection must offer it and restore the same files.
std::string InterruptedUploadScenario(ILinkRunner& r, const CheckOptions& o, const std::string& file)
{
    CDeviceLink& link = r.Link();
    if (o.backupFolder.empty())
        return "needs --backup";
    EntrySet expected;
    std::string why = LoadPacked(file, expected);
    if (why.empty())
        why = IdentifyAndRead(r, o);
    if (!why.empty())
        return why;
    unsigned long linkBefore = LinkId(o.port);
    why = Upload(r, o, file);
    std::printf("UPLOAD: %s\n", why.empty() ? "confirmed" : why.c_str());
    if (why.empty())
        return "the upload was not interrupted";
    if (!link.HasUploadBackup())
        return "no backup after the interrupted upload";
    if (link.IsConnected())
        link.Disconnect();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    if (r.PortGone()) {
        // A removed board comes back as a new device under the same name
        // (the simulator puts a new link there); until then the old name may
        // even lead to another board that took over the device number.
        while (std::chrono::steady_clock::now() < until && LinkId(o.port) == linkBefore)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    while (std::chrono::steady_clock::now() < until) {
        if (link.IsConnected())
            link.Disconnect();
        // As a user would: the board notices a closed port only after a moment.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        why = Identify(r, o);
        if (why.empty() || why == "isp mode")
            break;
    }
    if (!why.empty())
        return "reconnect: " + why;
    if (r.RestoreQuestions() == 0)
        return "no restore offered";
    EntrySet restored = FromList(link);
    PrintEntries(restored);
    return restored == expected ? std::string() : "restored files differ";
}

// Files of a folder into a packed file, names relative with '/'.
std::string Pack(const std::string& dir, const std::string& out)
{
    std::error_code ec;
    CFileEntryList list;
    CStdLinkFiles files;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string name = fs::relative(it->path(), dir).generic_string();
        if (name.size() >= 255)
            return "name too long: " + name;
        auto e = std::make_unique<FileEntry>();
        e->name = name;
        e->nameLength = static_cast<uint8_t>(name.size() + 1);
        if (it->is_regular_file() && files.ReadFile(it->path().string(), e->data) != 0)
            return "cannot read " + name;
        e->kind = it->is_directory() ? FileEntry::kFolder : FileEntry::KindFor(name, e->data.size());
        list.Insert(std::move(e));
    }
    if (ec)
        return "cannot list " + dir;
    std::vector<const FileEntry*> ptrs;
    EntrySet set;
    for (size_t i = 0; i < list.Count(); ++i) {
        ptrs.push_back(&list.At(i));
        set.emplace_back(list.At(i).name, list.At(i).data);
    }
    std::string container;
    PackedFile::Error e = PackedFile::Build(ptrs, 0, 4, container);
    if (e != PackedFile::Error::None)
        return PackedFile::ErrorText(e);
    if (files.WriteFileSafely(out, container) != 0)
        return "cannot write " + out;
    PrintEntries(set);
    return std::string();
}

std::string Unpack(const std::string& file, const std::string& dir)
{
    EntrySet set;
    std::string why = LoadPacked(file, set);
    if (!why.empty())
        return why;
    CStdLinkFiles files;
    for (auto& e : set) {
        fs::path rel = fs::path(e.first);
        bool safe = !rel.empty() && rel.is_relative() && e.first.find('\\') == std::string::npos &&
                    e.first.find(':') == std::string::npos;
        for (auto& part : rel)
            safe = safe && part != ".." && part != ".";
        if (!safe)
            return "unsafe name " + e.first;
        fs::path target = fs::path(dir) / rel;
        fs::create_directories(target.parent_path());
        if (files.WriteFileSafely(target.string(), e.second) != 0)
            return "cannot write " + target.string();
    }
    PrintEntries(set);
    return std::string();
}

} // namespace

std::string RunLinkScenario(ILinkRunner& r, const CheckOptions& o, const std::string& scenario,
                            const std::vector<std::string>& args)
{
    if (scenario == "identify")
        return Identify(r, o);
    if (scenario == "read")
        return ReadScenario(r, o);
    if (scenario == "upload" && args.size() == 1)
        return UploadScenario(r, o, args[0]);
    if (scenario == "upload-interrupted" && args.size() == 1)
        return InterruptedUploadScenario(r, o, args[0]);
    if (scenario == "debug" || scenario == "debug-hostile")
        return DebugScenario(r, o, scenario == "debug-hostile");
    return "unknown scenario " + scenario;
}

std::string ConnectAndRead(ILinkRunner& r, const CheckOptions& o) { return IdentifyAndRead(r, o); }

std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args)
{
    if (scenario == "pack" && args.size() == 2)
        return Pack(args[0], args[1]);
    if (scenario == "unpack" && args.size() == 2)
        return Unpack(args[0], args[1]);
    return "usage: " + scenario + " needs two arguments";
}
