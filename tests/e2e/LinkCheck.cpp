// linkcheck: drives CDeviceLink over a real serial device with a scripted
// host, so that a board (the simulator or a real one) can be checked end to
// end. Prints the debugger log lines, every message as "MESSAGE: <text>",
// and ends with "RESULT: ok" (exit 0) or "RESULT: <reason>" (exit 1).
#include <cstdio>
#include <string>
#include <vector>

#include "LinkRunner.h"

static int Usage()
{
    std::fprintf(stderr,
                 "usage: linkcheck --port PATH [--password PW] [--restore yes|no] [--reconnect yes|no] [--backup DIR]\n"
                 "                 [--watchdog-ms N] [--step-ms N] [--deadline S] SCENARIO [ARGS]\n"
                 "scenarios: identify | lost-board | read | upload FILE.kbx | upload-interrupted FILE.kbx\n"
                 "           settings-write SETTINGS.bin | flash FIRMWARE | debug | debug-hostile\n"
                 "           netinfo | scan | info\n"
                 "           pack DIR OUT.kbx | unpack FILE.kbx DIR | fwimage OUT SIZE NAME [broken|cut]\n"
                 "           key-blocks KEYS CERT OUT.der\n"
                 "           settings-file SETTINGS.bin (checks a stored block, prints its values)\n");
    return 2;
}

int main(int argc, char** argv)
{
    CheckOptions o;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--port" && value(o.port)) continue;
        if (a == "--password" && value(o.password)) { o.hasPassword = true; continue; }
        if (a == "--restore" && value(v)) { o.restore = v == "yes"; continue; }
        if (a == "--reconnect" && value(v)) { o.reconnect = v == "yes"; continue; }
        if (a == "--backup" && value(o.backupFolder)) continue;
        if (a == "--watchdog-ms" && value(v)) { o.watchdogMs = static_cast<unsigned>(std::stoul(v)); continue; }
        if (a == "--deadline" && value(v)) { o.deadlineSeconds = std::stoi(v); continue; }
        if (a == "--step-ms" && value(v)) { o.stepMs = static_cast<unsigned>(std::stoul(v)); continue; }
        if (a.rfind("--", 0) == 0) return Usage();
        rest.push_back(a);
    }
    if (rest.empty())
        return Usage();
    std::string scenario = rest[0];
    rest.erase(rest.begin());

    std::string result;
    if (scenario == "pack" || scenario == "unpack" || scenario == "fwimage" || scenario == "settings-file") {
        result = RunCodecScenario(scenario, rest);
    } else if (scenario == "key-blocks") {
        result = CheckKeyBlocks(rest);
    } else {
        if (o.port.empty())
            return Usage();
        CheckRunner runner(o);
        result = RunLinkScenario(runner, o, scenario, rest);
    }
    std::printf("RESULT: %s\n", result.empty() ? "ok" : result.c_str());
    return result.empty() ? 0 : 1;
}
