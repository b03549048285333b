#include "LinkRunner.h"

#include "link/codecs/Crc16.h"
#include "link/codecs/EnvBlock.h"
#include "link/codecs/PackedFile.h"
#include "link/codecs/SettingsBlock.h"
#include "link/codecs/TextHelpers.h"

#include <algorithm>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

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
    for (size_t i = 0; i < link.Files().Entries().Count(); ++i)
        set.emplace_back(link.Files().Entries().At(i).name, link.Files().Entries().At(i).data);
    std::sort(set.begin(), set.end());
    return set;
}

// The image now in the link's buffer, as the board sent it.
std::string ImageEntries(CDeviceLink& link, EntrySet& set)
{
    std::vector<PackedFile::Entry> parsed;
    PackedFile::ImageInfo info;
    if (link.Session().Image().count == 0) {
        set.clear();
        return std::string();
    }
    PackedFile::Error e = PackedFile::ParseImage(link.Session().Image().data.data(), static_cast<size_t>(link.Session().Image().count),
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

// Connect, sync and the identification chain (with a login) to its end.
std::string Identify(CheckRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    if (!link.Session().Connect(o.port))
        return "cannot open " + o.port;
    bool sawJob = false;
    STEP(r.RunUntil([&] {
        sawJob = sawJob || link.Session().IsJobRunning();
        return link.Identity().IsIdentified() || link.Session().IsIspMode() || (sawJob && !link.Session().IsJobRunning());
    }, o.deadlineSeconds));
    // A lost board ends the wait box too.
    if (!link.Session().IsConnected())
        return r.PortGone() ? "unplugged" : "disconnected";
    if (link.Session().IsIspMode())
        return "isp mode";
    if (!link.Identity().IsIdentified())
        return "identification did not finish";
    return std::string();
}

} // namespace

std::string ConnectAndRead(CheckRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    int before = link.Files().ImageReadCount();
    STEP(Identify(r, o));
    if (r.Host().restoreQuestions > 0)
        return std::string();
    STEP(r.RunUntil([&] { return link.Files().ImageReadCount() > before || !link.Session().IsJobRunning(); }, o.deadlineSeconds));
    return link.Files().ImageReadCount() > before ? std::string() : "image read failed";
}

namespace {

// Uploads the packed file's entries; "" once the board's image was read back.
std::string Upload(CheckRunner& r, const CheckOptions& o, const std::string& file)
{
    CDeviceLink& link = r.Link();
    link.Files().FreeFileEntries();
    if (!link.Files().ReadPackedFile(file))
        return "cannot read " + file;
    int before = link.Files().ImageReadCount();
    link.Files().SetUploadStarted(true);
    link.Session().ShowWaitDialog(true, CLinkSession::kWaitUpload);
    STEP(r.RunUntil([&] { return !link.Session().IsJobRunning(); }, o.deadlineSeconds));
    return link.Files().ImageReadCount() > before ? std::string() : "upload failed";
}

std::string ReadScenario(CheckRunner& r, const CheckOptions& o)
{
    STEP(ConnectAndRead(r, o));
    EntrySet set;
    std::string why = ImageEntries(r.Link(), set);
    PrintEntries(set);
    return why;
}

std::string UploadScenario(CheckRunner& r, const CheckOptions& o, const std::string& file)
{
    EntrySet expected, back;
    STEP(LoadPacked(file, expected));
    STEP(ConnectAndRead(r, o));
    STEP(Upload(r, o, file));
    std::string why = ImageEntries(r.Link(), back);
    PrintEntries(back);
    STEP(why);
    // Folder rows are written but not read back from a packed file.
    back.erase(std::remove_if(back.begin(), back.end(), [](auto& e) { return e.second.empty(); }), back.end());
    return back == expected ? std::string() : "read back differs";
}

// An upload that the board cuts off (silence, unplug): the backup must stay,
// and the next connection must offer it and restore the same files.
std::string InterruptedUploadScenario(CheckRunner& r, const CheckOptions& o, const std::string& file)
{
    CDeviceLink& link = r.Link();
    if (o.backupFolder.empty())
        return "needs --backup";
    EntrySet expected;
    STEP(LoadPacked(file, expected));
    STEP(ConnectAndRead(r, o));
    unsigned long linkBefore = LinkId(o.port);
    std::string why = Upload(r, o, file);
    std::printf("UPLOAD: %s\n", why.empty() ? "confirmed" : why.c_str());
    if (why.empty())
        return "the upload was not interrupted";
    if (!link.Files().HasUploadBackup())
        return "no backup after the interrupted upload";
    if (link.Session().IsConnected())
        link.Session().Disconnect();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    if (r.PortGone()) {
        // A removed board comes back as a new device under the same name
        // (the simulator puts a new link there); until then the old name may
        // even lead to another board that took over the device number.
        while (std::chrono::steady_clock::now() < until && LinkId(o.port) == linkBefore)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    while (std::chrono::steady_clock::now() < until) {
        if (link.Session().IsConnected())
            link.Session().Disconnect();
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

// A settings block file, checked by the program's own parser (header, every CRC).
std::string LoadSettings(const std::string& file, std::string& bytes, SettingsRecord& record)
{
    CStdLinkFiles files;
    if (files.ReadFile(file, bytes) != 0)
        return "cannot read " + file;
    if (SettingsBlock::Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record) !=
        SettingsBlock::Result::Parsed)
        return "not a sound settings block: " + file;
    return std::string();
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
std::string ReadSettings(CheckRunner& r, const CheckOptions& o, bool identify)
{
    CDeviceLink& link = r.Link();
    if (identify)
        STEP(ConnectAndRead(r, o));
    int before = r.Host().settingsReads;
    if (!link.Settings().RequestSettingsBlock())
        return "not connected";
    STEP(r.RunUntil([&] {
        return r.Host().settingsReads > before || link.Session().GetTransferType() == CLinkSession::kTransferNone;
    }, o.deadlineSeconds));
    return r.Host().settingsReads > before ? std::string() : "settings block not read";
}

// Writes the values of the block in file as the dialog would, and reads back.
std::string SettingsWriteScenario(CheckRunner& r, const CheckOptions& o, const std::string& file)
{
    std::string bytes;
    SettingsRecord wanted;
    STEP(LoadSettings(file, bytes, wanted));
    STEP(ReadSettings(r, o, true));
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
    STEP(r.RunUntil([&] { return r.Host().settingsWrites.size() > before; }, o.deadlineSeconds));
    bool ok = r.Host().settingsWrites.back() != 0;
    std::printf("WRITTEN: %d\n", ok ? 1 : 0);
    if (!ok)
        return "the board did not take the block";
    STEP(ReadSettings(r, o, false));
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
    STEP(LoadPacked(file, set));
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

// The board goes away in the middle of the identification without a
// device notice (its port hangs up): the removal question comes, Yes
// reconnects once the board's port is back, and it is identified again.
std::string LostBoardScenario(CheckRunner& r, const CheckOptions& o)
{
    CDeviceLink& link = r.Link();
    const std::string why = Identify(r, o);
    if (why != "unplugged")
        return "the board was not lost: " + (why.empty() ? std::string("identified") : why);
    if (r.Host().lostQuestions != 1)
        return "asked " + std::to_string(r.Host().lostQuestions) + " times";
    if (!link.Session().IsReconnectPending())
        return "no reconnect pending";
    const uint32_t lost = link.Session().ConnectionNumber();
    // No device notices here: a port that opens again stands for the arrival.
    STEP(r.RunUntil([&] {
        CLinkSession& s = link.Session();
        if (!s.IsConnected() && s.IsReconnectPending() && s.Port().CheckPort(o.port) == 0)
            link.Presence().OnPortArrival();
        return s.IsConnected() && s.ConnectionNumber() != lost && link.Identity().IsIdentified();
    }, o.deadlineSeconds, true));
    std::printf("RECONNECTED\n");
    return std::string();
}

} // namespace

std::string RunLinkScenario(CheckRunner& r, const CheckOptions& o, const std::string& scenario,
                            const std::vector<std::string>& args)
{
    if (scenario == "identify")
        return Identify(r, o);
    if (scenario == "read")
        return ReadScenario(r, o);
    if (scenario == "lost-board")
        return LostBoardScenario(r, o);
    if (scenario == "upload" && args.size() == 1)
        return UploadScenario(r, o, args[0]);
    if (scenario == "upload-interrupted" && args.size() == 1)
        return InterruptedUploadScenario(r, o, args[0]);
    if (scenario == "debug" || scenario == "debug-hostile")
        return DebugScenario(r, o, scenario == "debug-hostile");
    if (scenario == "settings-write" && args.size() == 1)
        return SettingsWriteScenario(r, o, args[0]);
    if (scenario == "flash" && args.size() == 1)
        return RunFlashScenario(r, o, args[0]);
    if (IsQueryScenario(scenario))
        return RunQueryScenario(r, o, scenario);
    return "unknown scenario " + scenario;
}

// A settings block as a board stored it, then its values.
std::string SettingsFile(const std::string& file)
{
    std::string bytes;
    SettingsRecord record;
    STEP(LoadSettings(file, bytes, record));
    int records = 0;
    EnvBlock::CEnvRecordWalker walker(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EnvBlock::EnvRecord r;
    while (walker.Next(r) == EnvBlock::CEnvRecordWalker::Step::Record)
        ++records;
    std::printf("RECORDS %d, every CRC valid\n", records);
    PrintSettings(record);
    return std::string();
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
