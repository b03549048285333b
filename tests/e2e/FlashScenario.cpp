// linkcheck flash: the firmware upgrade as the upgrade dialog drives it, against a boot loader.
#include "LinkRunner.h"

#include "link/codecs/Crc16.h"
#include "link/codecs/FirmwareImage.h"
#include "link/port/LinkPort.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <thread>

namespace {

// Records what the link reports; the scenario acts on it as the dialog on posted messages.
class FlashDialog : public CLinkUpgrade {
public:
    void OnIspConnected() override { events.push_back("connected"); }
    void OnUpgradeEnvName(bool read, const std::string& name) override
    {
        std::printf("FLASH: board firmware name %s\n", read ? ("\"" + name + "\"").c_str() : "not read");
        boardName = name;
        events.push_back("name");
    }
    void OnUpgradeTestOk() override { events.push_back("test ok"); }
    void OnUpgradeProgress(uint64_t sent, uint64_t) override { this->sent = sent; }
    bool OnUpgradeResult(bool ok) override
    {
        std::printf("FLASH: result %s\n", ok ? "confirmed by the board" : "failed");
        std::fflush(stdout);
        ++(ok ? successes : failures);
        events.push_back(ok ? "ok" : "failed");
        return true;
    }
    std::deque<std::string> events;
    std::string boardName;
    uint64_t sent = 0;
    int successes = 0, failures = 0;
};

// The board left (restart or jump): wait for it to come back and connect.
std::string Reconnect(CheckRunner& r, const CheckOptions& o, unsigned long linkBefore)
{
    CDeviceLink& link = r.Link();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    // First the old device must go (the board leaves the bus a moment after
    // its answer): connecting to it would talk to a board that is leaving.
    ILinkPort& port = link.Session().Port();
    auto goneBy = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < goneBy && port.CheckPort(o.port) == 0 &&
           LinkId(o.port) == linkBefore)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    while (std::chrono::steady_clock::now() < until) {
        if (port.CheckPort(o.port) == 0 && link.Session().Connect(o.port))
            return std::string();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return "the board did not come back";
}

} // namespace

std::string FirmwareImageBytes(size_t size, const std::string& name, unsigned recordUnits)
{
    std::string b(size, '\0');
    uint32_t x = 12345;
    for (size_t i = 24; i < size - 64; ++i) {
        x = x * 1103515245u + 12345u;
        b[i] = static_cast<char>(x >> 16);
    }
    auto put16 = [&b](size_t at, size_t v) {
        b[at] = static_cast<char>(v & 0xFF);
        b[at + 1] = static_cast<char>(v >> 8 & 0xFF);
    };
    const size_t area = size - 64;
    put16(4, area / 16);
    put16(22, recordUnits);
    b[area] = 'C';
    put16(area + 2, 20 + 6 + 32);
    b[area + 20] = 12;
    put16(area + 22, 6 + 32);
    std::memcpy(&b[area + 24], name.data(), name.size());
    put16(8, CalcCrc16(size - 16, b.data() + 16));
    return b;
}

std::string MakeFirmwareFile(const std::vector<std::string>& args)
{
    if (args.size() < 3)
        return "usage: fwimage OUT SIZE NAME [broken|cut]";
    size_t size = std::stoul(args[1]) / 16 * 16;
    if (size < 128 || args[2].size() > 30)
        return "fwimage: SIZE at least 128, NAME at most 30 characters";
    const std::string how = args.size() > 3 ? args[3] : std::string();
    // "cut": the record area runs 16 bytes past the end; the CRC still matches.
    std::string b = FirmwareImageBytes(size, args[2], how == "cut" ? 5 : 4);
    if (how == "broken")
        b[20] ^= 0x01;
    CStdLinkFiles files;
    if (files.WriteFileSafely(args[0], b) != 0)
        return "cannot write " + args[0];
    return std::string();
}

std::string RunFlashScenario(CheckRunner& r, const CheckOptions& o, const std::string& file)
{
    // The dialog's checks come first: a broken file never reaches the board.
    CStdLinkFiles files;
    std::string bytes;
    if (files.ReadFile(file, bytes) != 0)
        return "File could not be opened";
    const auto* image = reinterpret_cast<const uint8_t*>(bytes.data());
    FirmwareImage::CheckResult check = FirmwareImage::Check(image, bytes.size());
    if (!check.ok)
        return kFirmwareIncorrectText;
    std::printf("FLASH: file firmware name \"%s\", %zu bytes\n", check.name.c_str(), bytes.size());

    CDeviceLink& link = r.Link();
    CBootLoaderService& boot = link.BootLoader();
    if (o.stepMs)
        boot.SetStepTimeout(o.stepMs);
    FlashDialog dialog;
    r.Host().upgrade = &dialog;
    struct Detach {
        CheckRunner& r;
        ~Detach() { r.Host().upgrade = nullptr; }
    } detach{r};

    if (!link.Session().Connect(o.port))
        return "cannot open " + o.port;
    // As the user would: the upgrade starts once the connection stands
    // (identified and the files read, or the boot loader's notice seen).
    bool sawJob = false;
    STEP(r.RunUntil([&] {
        sawJob = sawJob || link.Session().IsJobRunning();
        return link.Session().IsIspMode() || (sawJob && !link.Session().IsJobRunning());
    }, o.deadlineSeconds));
    std::printf("FLASH: connected, %s\n", link.Session().IsIspMode() ? "boot loader" : "script firmware");

    // The restart from the script firmware is the upgrade road's.
    if (!boot.OnUpgradeRestartIsp())
        return "the board is not in its boot loader";
    boot.OnIspDumpEnv();
    std::string why;

    // The dialog's reactions, one event at a time, until the board answered
    // the image.
    for (;;) {
        why = r.RunUntil([&] { return !dialog.events.empty(); }, o.deadlineSeconds);
        if ((why == "unplugged" || why == "disconnected") && dialog.events.empty()) {
            // As the main window does when the board's port goes away.
            std::printf("FLASH: the port went away\n");
            link.Session().Disconnect();
        }
        if (dialog.events.empty())
            return why.empty() ? "no report" : why;
        std::string e = dialog.events.front();
        dialog.events.pop_front();
        if (e == "name" && !dialog.boardName.empty() && dialog.boardName != check.name)
            return "The firmware name is mismatch.";
        if (e == "name" || e == "connected") {
            boot.OnIspTestFirmware(image, bytes.size());
        } else if (e == "test ok") {
            boot.OnStartUpgrade(image, bytes.size());
        } else if (e == "failed") {
            if (dialog.sent > 0 && dialog.sent < bytes.size())
                std::printf("FLASH: stopped with %llu bytes unsent\n",
                            static_cast<unsigned long long>(bytes.size() - dialog.sent));
            return "Has failed to change the firmware.";
        } else if (e == "ok") {
            break;
        }
    }
    if (dialog.sent != bytes.size())
        return "the board confirmed before the whole image was sent";

    // Bootable, then the jump: the board comes back with its script firmware.
    // A report now is the boot flag's failure.
    const unsigned long linkAtJump = LinkId(o.port);
    why = r.RunUntil([&] { return !dialog.events.empty(); }, o.deadlineSeconds);
    if (!dialog.events.empty())
        return "Has failed to change the firmware. (the boot flag: " + dialog.events.front() + ")";
    if (why != "disconnected" && why != "unplugged")
        return why.empty() ? "no jump" : "after the image: " + why;
    STEP(Reconnect(r, o, linkAtJump));
    // The script firmware answers the sync byte and the identification
    // starts; the boot loader would only show its notice.
    why = r.RunUntil([&] { return link.Session().IsJobRunning(); }, 15);
    if (!why.empty())
        return "after the jump: " + (link.Session().IsIspMode() ? std::string("the board stayed in its boot loader") : why);
    std::printf("FLASH: the board runs its script firmware again\n");
    if (dialog.successes != 1 || dialog.failures != 0)
        return "results reported: " + std::to_string(dialog.successes) + " ok, " +
               std::to_string(dialog.failures) + " failed";
    return std::string();
}
