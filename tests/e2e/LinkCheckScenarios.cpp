#include "LinkRunner.h"

#include "link/codecs/Crc16.h"
#include "link/DeviceLink.h"
#include "link/LinkFiles.h"
#include "link/codecs/EnvBlock.h"
#include "link/codecs/PackedFile.h"
#include "link/codecs/PasswordRecord.h"
#include "link/codecs/SettingsBlock.h"
#include "link/codecs/TextHelpers.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using EntrySet = std::vector<std::pair<std::string, std::string>>;

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
    if (r.Host().restoreQuestions > 0)
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
    if (r.Host().restoreQuestions == 0)
        return "no restore offered";
    EntrySet restored = FromList(link);
    PrintEntries(restored);
    return restored == expected ? std::string() : "restored files differ";
}

void PrintSettings(const SettingsRecord& r)
{
    auto ip4 = [](const uint8_t* a) {
        return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
               std::to_string(a[3]);
    };
    std::printf("SETTING firmware %s\n", r.FirmwareNameText().c_str());
    std::printf("SETTING ipv4-address %s\n", ip4(r.ipv4Address).c_str());
    std::printf("SETTING ipv4-mask %s\n", ip4(r.ipv4Mask).c_str());
    std::printf("SETTING ipv4-gateway %s\n", ip4(r.ipv4Gateway).c_str());
    std::printf("SETTING ipv4-dns %s\n", ip4(r.ipv4Dns).c_str());
    std::printf("SETTING ipv6-address %s/%u\n", FormatIPv6(r.ipv6Address).c_str(), r.ipv6Prefix);
    std::printf("SETTING ssid %s\n", std::string(reinterpret_cast<const char*>(r.ssid), 32).c_str());
    std::printf("SETTING flags %08x\n", r.flags);
    std::printf("SETTING wlan-options %08x\n", r.wlanOptions);
    std::fflush(stdout);
}

// The records of a settings block that the workbench does not edit, whole.
std::vector<std::vector<uint8_t>> ForeignRecords(const TransferBuffer& block)
{
    std::vector<std::vector<uint8_t>> out;
    EnvBlock::CEnvRecordWalker walker(block.data.data(), static_cast<size_t>(block.count));
    EnvBlock::EnvRecord r;
    while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record) {
        static const uint8_t known[] = {0x03, 0x04, 0x08, 0x09, 0x0C, 0x0D};
        if (std::find(std::begin(known), std::end(known), r.type) == std::end(known))
            out.emplace_back(block.data.begin() + static_cast<std::ptrdiff_t>(r.offset),
                             block.data.begin() + static_cast<std::ptrdiff_t>(r.offset + r.length));
    }
    return out;
}

// Identification, then the settings block read and parsed.
std::string ReadSettings(ILinkRunner& r, const CheckOptions& o, bool identify)
{
    CDeviceLink& link = r.Link();
    if (identify) {
        std::string why = IdentifyAndRead(r, o);
        if (!why.empty())
            return why;
    }
    int before = r.Host().settingsReads;
    if (!link.RequestSettingsBlock())
        return "not connected";
    std::string why = r.RunUntil([&] {
        return r.Host().settingsReads > before || link.GetTransferType() == CDeviceLink::kTransferNone;
    }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    return r.Host().settingsReads > before ? std::string() : "settings block not read";
}

std::string SettingsReadScenario(ILinkRunner& r, const CheckOptions& o)
{
    std::string why = ReadSettings(r, o, true);
    if (why.empty())
        PrintSettings(r.Link().Settings().Record());
    return why;
}

// Takes the values of the settings block in file into the record as the
// dialog would (everything it edits), writes, and reads back.
std::string SettingsWriteScenario(ILinkRunner& r, const CheckOptions& o, const std::string& file)
{
    CStdLinkFiles files;
    std::string bytes;
    if (files.ReadFile(file, bytes) != 0)
        return "cannot read " + file;
    SettingsRecord wanted;
    if (SettingsBlock::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), wanted) !=
        SettingsBlock::Result::Parsed)
        return "not a settings block: " + file;
    std::string why = ReadSettings(r, o, true);
    if (!why.empty())
        return why;
    CDeviceLink& link = r.Link();
    auto foreign = ForeignRecords(link.Session().Block());
    SettingsRecord& record = link.Settings().Record();
    uint8_t rest[22];
    std::memcpy(rest, record.optionRest, sizeof rest);
    record = wanted;
    std::memcpy(record.optionRest, rest, sizeof rest);  // read only
    size_t before = r.Host().settingsWrites.size();
    if (!link.Settings().WriteSettings(link.Settings().Generation()))
        return "write not sent";
    why = r.RunUntil([&] { return r.Host().settingsWrites.size() > before; }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    bool ok = r.Host().settingsWrites.back() != 0;
    std::printf("WRITTEN: %d\n", ok ? 1 : 0);
    if (!ok)
        return "the board did not take the block";
    why = ReadSettings(r, o, false);
    if (!why.empty())
        return why;
    const SettingsRecord& back = link.Settings().Record();
    PrintSettings(back);
    std::printf("FOREIGN RECORDS: %zu\n", foreign.size());
    if (ForeignRecords(link.Session().Block()) != foreign)
        return "records the workbench does not edit changed";
    bool same = back.FirmwareNameText() == wanted.FirmwareNameText() &&
                std::memcmp(back.ipv4Address, wanted.ipv4Address, 4) == 0 &&
                std::memcmp(back.ssid, wanted.ssid, 32) == 0 && back.flags == wanted.flags &&
                back.wlanOptions == wanted.wlanOptions;
    return same ? std::string() : "read back differs";
}

// Sets the user password, waits for the board's restart and logs in with it.
std::string SetPasswordScenario(ILinkRunner& r, const CheckOptions& o, const std::string& password)
{
    std::string why = IdentifyAndRead(r, o);
    if (!why.empty())
        return why;
    CDeviceLink& link = r.Link();
    uint8_t record[PasswordRecord::kSize];
    PasswordRecord::Make(password, link.DeviceInfo().mcuId, record);
    size_t before = r.Host().passwordResults.size();
    if (!link.Commands().SetUserPassword(PasswordRecord::Hex(record)))
        return "not sent";
    why = r.RunAcross([&] { return r.Host().passwordResults.size() > before; }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    if (!r.Host().passwordResults.back())
        return "password change failed";
    std::printf("PASSWORD SET\n");
    // The reconnect it started logs in with the new password.
    why = r.RunAcross([&] { return link.IsIdentified() || !link.IsConnected(); }, o.deadlineSeconds);
    if (!why.empty())
        return why;
    return link.IsLoggedIn() ? std::string() : "no login with the new password";
}

// Runs until the board's image is read again after the link went down.
std::string ReadAgainAfterDown(ILinkRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    int readsAtDown = -1;
    return r.RunAcross([&] {
        if (readsAtDown < 0 && !link.IsConnected())
            readsAtDown = link.ImageReadCount();
        return readsAtDown >= 0 && link.ImageReadCount() > readsAtDown;
    }, o.deadlineSeconds);
}

// Reboots the board and waits for the reconnect its arrival starts.
std::string RebootScenario(ILinkRunner& r, const CheckOptions& o)
{
    std::string why = IdentifyAndRead(r, o);
    if (!why.empty())
        return why;
    if (!r.Link().Commands().RequestReboot(false))
        return "not sent";
    why = ReadAgainAfterDown(r, o);
    if (why.empty())
        std::printf("REBOOTED\n");
    return why;
}

// The board is unplugged (the simulator's --unplug-after): the question comes,
// "Yes" waits for the board and connects again.
std::string UnplugReconnectScenario(ILinkRunner& r, const CheckOptions& o)
{
    if (!r.Link().Connect(o.port))
        return "cannot open " + o.port;
    std::string why = ReadAgainAfterDown(r, o);
    if (why.empty())
        std::printf("RECONNECTED\n");
    return why;
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
    if (scenario == "settings-read")
        return SettingsReadScenario(r, o);
    if (scenario == "settings-write" && args.size() == 1)
        return SettingsWriteScenario(r, o, args[0]);
    if (scenario == "set-password" && args.size() == 1)
        return SetPasswordScenario(r, o, args[0]);
    if (scenario == "reboot")
        return RebootScenario(r, o);
    if (scenario == "unplug-reconnect")
        return UnplugReconnectScenario(r, o);
    if (scenario == "flash" && args.size() == 1)
        return RunFlashScenario(r, o, args[0]);
    if (IsQueryScenario(scenario))
        return RunQueryScenario(r, o, scenario, args);
    return "unknown scenario " + scenario;
}

std::string ConnectAndRead(ILinkRunner& r, const CheckOptions& o) { return IdentifyAndRead(r, o); }

// A settings block as a board stored it: the header and every record's CRC
// checked by the program's own parser, then its values.
std::string SettingsFile(const std::string& file)
{
    CStdLinkFiles files;
    std::string bytes;
    if (files.ReadFile(file, bytes) != 0)
        return "cannot read " + file;
    const auto* block = reinterpret_cast<const uint8_t*>(bytes.data());
    SettingsRecord record;
    if (SettingsBlock::Parse(block, bytes.size(), record) != SettingsBlock::Result::Parsed)
        return "not a sound settings block: " + file;
    int records = 0;
    EnvBlock::CEnvRecordWalker walker(block, bytes.size());
    EnvBlock::EnvRecord r;
    while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record)
        ++records;
    std::printf("RECORDS %d, every CRC valid\n", records);
    PrintSettings(record);
    return std::string();
}

unsigned long LinkId(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return 0;  // COM names: a removal is not seen by this runner
#else
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? static_cast<unsigned long>(st.st_ino) : 0;
#endif
}

std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args)
{
    if (scenario == "settings-file" && args.size() == 1)
        return SettingsFile(args[0]);
    if (scenario == "pack" && args.size() == 2)
        return Pack(args[0], args[1]);
    if (scenario == "unpack" && args.size() == 2)
        return Unpack(args[0], args[1]);
    if (scenario == "fwimage")
        return MakeFirmwareFile(args);
    return "usage: " + scenario + " needs two arguments";
}
