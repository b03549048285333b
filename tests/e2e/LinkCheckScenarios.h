#pragma once
#include <functional>
#include <string>
#include <vector>

class CDeviceLink;
class CheckHost;

struct CheckOptions {
    std::string port;
    std::string password;
    bool hasPassword = false;
    bool restore = true;
    std::string backupFolder;
    unsigned watchdogMs = 5000;
    unsigned stepMs = 0;  // the boot loader's silence limit (0: the link's own)
    int deadlineSeconds = 60;
};

// What a scenario may ask of the running link.
class ILinkRunner {
public:
    virtual ~ILinkRunner() = default;
    virtual CDeviceLink& Link() = 0;
    // What the host heard: questions, dialogs' results, reports.
    virtual CheckHost& Host() = 0;
    virtual bool PortGone() const = 0;
    // Runs until done() holds, the link drops ("disconnected", "unplugged")
    // or the deadline passes ("timeout"); "" when done() held.
    std::string RunUntil(const std::function<bool()>& done, int seconds) { return Run(done, seconds, false); }
    // Also while the link is down: the port's removal and arrival reach the
    // link as device notices (the runner watches the port).
    std::string RunAcross(const std::function<bool()>& done, int seconds) { return Run(done, seconds, true); }

protected:
    virtual std::string Run(const std::function<bool()>& done, int seconds, bool across) = 0;
};

// "" when the scenario passed, else the reason.
std::string RunLinkScenario(ILinkRunner& runner, const CheckOptions& options, const std::string& scenario,
                            const std::vector<std::string>& args);
// flash FILE: the firmware image checked, then flashed through the boot loader.
std::string RunFlashScenario(ILinkRunner& runner, const CheckOptions& options, const std::string& file);
// An image of size bytes (a multiple of 16, at least 128) whose last 64 bytes
// are the record area with a 'C' record naming it.
std::string FirmwareImageBytes(size_t size, const std::string& name);
// fwimage OUT SIZE NAME [broken]: a firmware image file for the flash cases.
std::string MakeFirmwareFile(const std::vector<std::string>& args);
std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args);
// key-blocks KEYS CERT OUT.der: the key and certificate blocks a board keeps (KeyBlockCheck.cpp).
std::string CheckKeyBlocks(const std::vector<std::string>& args);
// Connects, identifies and reads the board's image; "" when all went well.
std::string ConnectAndRead(ILinkRunner& runner, const CheckOptions& options);
// The inode of the port's path (a replaced link is a new board); 0 on Windows.
unsigned long LinkId(const std::string& path);
// Line ends shown as \r and \n, so a text prints on one line.
std::string OneLine(const std::string& text);
