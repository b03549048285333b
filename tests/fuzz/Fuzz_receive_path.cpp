// The whole receive path: bytes from the board in random pieces, through
// frame cutting, routing and every service's reply handler.
#include "tests/fuzz/FuzzTarget.h"

#include "tests/fuzz/FuzzLink.h"

#include <deque>

namespace {
class Host : public FuzzHost {
public:
    int ShowMessage(const std::string&, unsigned, bool*) override { return kIdYes; }
    PasswordChoice AskLoginPassword(std::string& pw) override { pw = "pw"; return PasswordChoice::Ok; }
    std::string GetOpenFileName() override { return "main.php"; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One link for the whole run (its buffers are large): each input starts
    // a new connection, so state may also carry over as it does in use.
    static FuzzPort port;
    static Host host;
    static CStdLinkFiles files;
    static CDeviceLink link(port, host, files);
    link.Session().Disconnect();
    link.Session().Connect("fuzz");
    const uint8_t sync = static_cast<uint8_t>((link.Session().GetSyncByte() - 0x20) ^ 0x3F);
    link.Session().ReceiveChunk(&sync, 1);
    link.OnIdentifyStart();
    // The first byte picks a transfer to be under way, the next one the
    // piece size; the rest is what the board says.
    if (size < 2)
        return 0;
    switch (data[0] % 5) {
    case 1: link.Files().RequestFsImage(); break;
    case 2: link.Settings().RequestSettingsBlock(); break;
    case 3: link.Commands().ReadCertBlock(); break;
    case 4: link.Commands().WriteKeyBlock(std::vector<uint8_t>(100, 1)); break;
    default: break;
    }
    size_t piece = data[1] % 64 + 1;
    for (size_t at = 2; at < size; at += piece)
        link.Session().ReceiveChunk(data + at, std::min(piece, size - at));
    // Timers as they come: watchdog, block-write watch, password wait,
    // settings-write watch, read guard, query guard, watch wait; then what
    // the board says after a give-up.
    for (unsigned id : {20u, 21u, 21u, 10u, 22u, 23u, 24u, 24u, 44u, 32u, 35u})
        link.Session().OnTimer(id);
    for (size_t at = 2; at < size; at += piece * 2)
        link.Session().ReceiveChunk(data + at, std::min(piece, size - at));
    for (unsigned id : {44u, 31u})
        link.Session().OnTimer(id);
    return 0;
}

// The identification chain, the login, an image, a block read and a block
// write pulled through windows.
std::vector<std::vector<uint8_t>> FuzzSeeds()
{
    using B = std::vector<uint8_t>;
    const B data = Frame(1, 0, 0, B(300, 0x5A));
    return {
        B{0, 7} + Frame(0, 1, 0x25, ItemBytes({1, 2})) + Frame(0, 1, 0x11, ItemInt(4096)) +
            Frame(0, 1, 0x21, ItemBytes({9, 9})) + Frame(0, 1, 0x23, ItemBytes(B(12, 0x22))) +
            Frame(0, 1, 0x40, ItemText("1")) + Frame(0, 1, 0x33, ItemBytes({1})) +
            Frame(0, 1, 0x12, ItemInt(1) + ItemInt(2) + ItemInt(3)),
        B{0, 3} + Frame(0, 0x21, 0x25, ItemInt(1)) + Frame(0, 5, 0x41, ItemBytes(B(16, 1))) +
            Frame(0, 1, 0x23, ItemBytes(B(12, 2))) + Frame(0, 5, 0x42, ItemInt(0)),
        B{1, 13} + data + data + Frame(0, 3, 0x11, ItemInt(600)),
        B{2, 64} + data + Frame(0, 3, 0x21, ItemInt(300)),
        B{4, 9} + LinkFrame::WindowFrame(0, 64) + LinkFrame::WindowFrame(1, 64) + Frame(0, 4, 0x22, ItemInt(100)),
    };
}
