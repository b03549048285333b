#pragma once
#include <functional>
#include <string>
#include <vector>

class CDeviceLink;
class CheckDebugHost;
class CLinkUpgrade;
struct CheckReports;

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
    virtual std::string RunUntil(const std::function<bool()>& done, int seconds) = 0;
    virtual bool PortGone() const = 0;
    virtual int RestoreQuestions() const = 0;
    virtual CheckDebugHost& DebugHost() = 0;
    // Like RunUntil, also while the link is down: the port's removal and
    // arrival reach the link as device notices (the runner watches the port).
    virtual std::string RunAcross(const std::function<bool()>& done, int seconds) = 0;
    // What the dialogs heard (CLinkBlockResults).
    virtual int SettingsReads() const = 0;
    virtual const std::vector<int>& SettingsWrites() const = 0;
    virtual const std::vector<int>& PasswordResults() const = 0;
    // Who hears the link's upgrade reports (nullptr: nobody).
    virtual void SetUpgradeDialog(CLinkUpgrade* dialog) = 0;
    // The board queries' results the host received (null: not kept).
    virtual CheckReports* Reports() { return nullptr; }
};

// "" when the scenario passed, else the reason.
std::string RunLinkScenario(ILinkRunner& runner, const CheckOptions& options, const std::string& scenario,
                            const std::vector<std::string>& args);
// flash FILE: the firmware image checked, then flashed through the boot loader.
std::string RunFlashScenario(ILinkRunner& runner, const CheckOptions& options, const std::string& file);
// fwimage OUT SIZE NAME [broken]: a firmware image file for the flash cases.
std::string MakeFirmwareFile(const std::vector<std::string>& args);
std::string RunCodecScenario(const std::string& scenario, const std::vector<std::string>& args);
// key-blocks KEYS CERT OUT.der: the key and certificate blocks a board keeps (KeyBlockCheck.cpp).
std::string CheckKeyBlocks(const std::vector<std::string>& args);
// Connects, identifies and reads the board's image; "" when all went well.
std::string ConnectAndRead(ILinkRunner& runner, const CheckOptions& options);
