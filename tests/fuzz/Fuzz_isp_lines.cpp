// The boot loader's side of the link on any lines, in the state the first byte picks:
// no read out of bounds, the dump within 64 KiB, the image sent and success said at most
// once and only after its last byte went out, and after the board's silence nothing left.
#include "tests/fuzz/FuzzTarget.h"

#include "tests/fuzz/FuzzLink.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class Host : public FuzzHost {
public:
    void SetTimer(unsigned id, unsigned) override { timers |= 1ull << (id % 64); }
    void KillTimer(unsigned id) override { timers &= ~(1ull << (id % 64)); }
    bool OnUpgradeResult(bool ok) override
    {
        successes += ok;
        if (ok && boot && boot->SentBytes() != imageSize)
            std::abort();
        return true;
    }
    uint64_t timers = 0;
    int successes = 0;
    const CBootLoaderService* boot = nullptr;
    size_t imageSize = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    FuzzPort port;
    Host host;
    CStdLinkFiles files;
    CDeviceLink link(port, host, files);
    CBootLoaderService& boot = link.BootLoader();
    link.Session().Connect("COM1");
    port.input = "100 ISP\r\n";
    link.Session().OnSerialEvent(ILinkPort::kEvRxChar);

    static const std::vector<uint8_t> image(9000, 0x42);
    host.boot = &boot;
    host.imageSize = image.size();
    boot.OnUpgradeRestartIsp();
    switch (data[0] % 4) {
    case 0: boot.OnIspDumpEnv(); break;
    case 1: boot.OnIspTestFirmware(image.data(), image.size()); break;
    case 2: boot.OnStartUpgrade(image.data(), image.size()); break;
    default: break;
    }
    // Chunks of the rest, their sizes taken from the input, with the
    // service's timers running between them.
    size_t at = 2, chunk = 1 + data[1] % 64;
    while (at < size && port.open) {
        size_t n = std::min(chunk, size - at);
        port.input.assign(reinterpret_cast<const char*>(data + at), n);
        link.Session().OnSerialEvent(ILinkPort::kEvRxChar);
        at += n;
        for (unsigned id : {CBootLoaderService::kTimerStream, CBootLoaderService::kTimerTestOk,
                            CBootLoaderService::kTimerBootFlag})
            if (host.timers & (1ull << id))
                link.Session().OnTimer(id);
        chunk = 1 + (chunk * 7 + n) % 97;
    }
    if (boot.Dump().size() > CBootLoaderService::kDumpSize || boot.SentBytes() > image.size() ||
        host.successes > 1)
        std::abort();
    // The board says no more: its guard ends whatever was under way.
    const uint64_t mine = 0xFull << CBootLoaderService::kTimerTestOk;
    if (host.timers & (1ull << CBootLoaderService::kTimerWatchdog)) {
        link.Session().OnTimer(CBootLoaderService::kTimerWatchdog);
        if (!boot.IsIdle() || (host.timers & mine))
            std::abort();
    }
    return 0;
}

std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    auto seed = [](uint8_t state, const std::string& text) {
        std::vector<uint8_t> b = {state, 13};
        b.insert(b.end(), text.begin(), text.end());
        return b;
    };
    return {
        seed(0, "de 0\r\n65 56 6E 53 30 00 AB CD 00 00 00 00 00 00 00 00\r\n0C 00 10 00 5A 56 00 00 "
                "00 00 00 00 00 00 12 34\r\n200 OK\r\n"),
        seed(1, "201 Send Firmware\r\n202 Test OK\r\n300 x\r\n"),
        seed(2, "200 Command OK\r\n200 Command OK\r\n200 Command OK\r\n201 Send Firmware\r\n"
                "201 Send Firmware\r\n204 CRC OK\r\n204 CRC OK\r\n200 Command OK\r\n"),
        seed(3, std::string(9000, 'x') + "\n305 \r\n"),
    };
}
