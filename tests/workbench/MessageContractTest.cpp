// Ties senders to receivers, read from the sources themselves: every menu
// command and button the resources declare, and every private message some
// window sends, has a handler in the message map of the window it reaches
// (its class or a base), or is named below with the reason it is handled
// elsewhere. A handler that was never written shows up here, not on a board.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string SourceDir() {
    const char* dir = std::getenv("ZARVOD_SOURCE_DIR");
    return dir ? dir : ".";
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Comments go, so that an entry or a call written in one is not counted.
std::string StripComments(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {  // strings are kept whole: "//" may stand in one
            size_t j = i + 1;
            while (j < text.size() && text[j] != '"' && text[j] != '\n') j += text[j] == '\\' ? 2 : 1;
            out.append(text, i, j + 1 - i);
            i = j;
        } else if (text.compare(i, 2, "//") == 0) {
            while (i < text.size() && text[i] != '\n') ++i;
            out += '\n';
        } else if (text.compare(i, 2, "/*") == 0) {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<fs::path> Files(const std::vector<std::string>& dirs, const std::set<std::string>& exts) {
    std::vector<fs::path> out;
    for (const std::string& d : dirs) {
        const fs::path root = fs::path(SourceDir()) / d;
        if (!fs::exists(root)) continue;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file() && exts.count(e.path().extension().string())) out.push_back(e.path());
    }
    return out;
}

const std::vector<std::string> kProgramDirs = {"framework", "link", "ui", "editor", "config", "workbench"};

// What one class's message map takes: messages by name (a class's prefix
// dropped), commands by number.
struct MessageMap {
    std::string base;
    std::set<std::string> messages;
    std::vector<std::pair<long, long>> commands;  // ranges, ends included
};

struct Sources {
    std::map<std::string, long> ids;               // resource symbols
    std::map<std::string, MessageMap> maps;        // class -> map
    std::map<std::string, std::string> bases;      // class -> base, from the headers
    std::map<std::string, std::set<long>> menus;   // menu resource -> its commands
    std::map<std::string, std::set<long>> buttons; // dialog resource -> its push buttons
    // Private messages by name, with their numbers: those of WindowMessages.h
    // and those a class keeps for itself (posted to its own window, or the
    // serial port's to its owner).
    std::map<std::string, long> privateMessages;
    std::set<std::string> definedTwice;            // one name for two messages
    std::set<std::string> sent;                    // private messages named outside a map

    long Id(const std::string& name) const {
        auto it = ids.find(name);
        if (it != ids.end()) return it->second;
        if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) return std::stol(name, nullptr, 0);
        return -1;
    }
    // The class or a base handles it (a class without a map of its own
    // routes through its base's).
    template <class Match>
    bool Handles(std::string cls, Match match) const {
        for (int depth = 0; depth < 8 && !cls.empty(); ++depth) {
            auto m = maps.find(cls);
            if (m != maps.end() && match(m->second)) return true;
            auto b = bases.find(cls);
            cls = m != maps.end() ? m->second.base : b != bases.end() ? b->second : std::string();
        }
        return false;
    }
    bool HandlesCommand(const std::string& cls, long id) const {
        return Handles(cls, [id](const MessageMap& m) {
            for (const auto& r : m.commands)
                if (id >= r.first && id <= r.second) return true;
            return false;
        });
    }
    long Number(const std::string& msg) const {
        auto it = privateMessages.find(msg);
        return it != privateMessages.end() ? it->second : -1;
    }
    // By number: a map entry may name the message by another name of the same
    // number (the serial port's own name for the main window's serial event).
    bool HandlesMessage(const std::string& cls, const std::string& msg) const {
        const long number = Number(msg);
        return Handles(cls, [&](const MessageMap& m) {
            for (const std::string& entry : m.messages)
                if (entry == msg || (number >= 0 && Number(entry) == number)) return true;
            return false;
        });
    }
};

void ReadIds(Sources& s) {
    s.ids["IDOK"] = 1;
    s.ids["IDCANCEL"] = 2;
    const std::regex define(R"(#define\s+(\w+)\s+((?:0x[0-9A-Fa-f]+)|\d+)\b)");
    for (const fs::path& p : Files({"resources"}, {".h"})) {
        const std::string text = StripComments(Read(p));
        for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it)
            s.ids[(*it)[1]] = std::stol((*it)[2], nullptr, 0);
    }
}

void ReadResources(Sources& s) {
    const std::regex block(R"((?:^|\n)(\w+)\s+(MENU|DIALOGEX|DIALOG)\b[^\n]*\n)");
    const std::regex menuItem(R"(MENUITEM\s+"(?:[^"]|"")*"\s*,\s*(\w+))");
    const std::regex pushButton(R"((?:DEF)?PUSHBUTTON\s+"(?:[^"]|"")*"\s*,\s*(\w+))");
    const std::regex control(R"(CONTROL\s+"(?:[^"]|"")*"\s*,\s*(\w+)\s*,\s*"Button"\s*,\s*BS_(?:DEF)?PUSHBUTTON)");
    for (const fs::path& p : Files({"resources"}, {".rc"})) {
        const std::string text = StripComments(Read(p));
        for (std::sregex_iterator it(text.begin(), text.end(), block), end; it != end; ++it) {
            // The resource's body: from its first BEGIN to the END that closes it.
            size_t at = static_cast<size_t>(it->position() + it->length());
            size_t begin = text.find("BEGIN", at);
            if (begin == std::string::npos) continue;
            int depth = 0;
            size_t i = begin;
            static const std::regex word(R"(\b(BEGIN|END)\b)");
            std::sregex_iterator w(text.begin() + static_cast<long>(begin), text.end(), word), wend;
            for (; w != wend; ++w) {
                depth += (*w)[1] == "BEGIN" ? 1 : -1;
                if (depth == 0) {
                    i = begin + static_cast<size_t>(w->position() + w->length());
                    break;
                }
            }
            const std::string body = text.substr(begin, i - begin);
            const std::string name = (*it)[1];
            if ((*it)[2] == "MENU") {
                std::set<long>& ids = s.menus[name];
                for (std::sregex_iterator m(body.begin(), body.end(), menuItem), mend; m != mend; ++m)
                    ids.insert(s.Id((*m)[1]));
            } else {
                std::set<long>& ids = s.buttons[name];
                for (const std::regex* r : {&pushButton, &control})
                    for (std::sregex_iterator m(body.begin(), body.end(), *r), mend; m != mend; ++m)
                        ids.insert(s.Id((*m)[1]));
            }
        }
    }
}

void ReadMessageMaps(Sources& s) {
    const std::regex head(R"(BEGIN_MESSAGE_MAP\(\s*(\w+)\s*,\s*(\w+)\s*\))");
    const std::regex message(R"(ON_MESSAGE\(\s*(?:\w+::)*(\w+)|\{\s*(\w+)\s*,\s*0\s*,\s*0\s*,\s*0\s*,)");
    const std::regex command(R"((?:ON_COMMAND|ON_BN_CLICKED)\(\s*(\w+)\s*,|ON_CONTROL\(\s*BN_CLICKED\s*,\s*(\w+))");
    const std::regex range(R"(ON_COMMAND_RANGE\(\s*(\w+)\s*,\s*(\w+)|ON_CONTROL_RANGE\(\s*BN_CLICKED\s*,\s*(\w+)\s*,\s*(\w+))");
    for (const fs::path& p : Files(kProgramDirs, {".cpp"})) {
        const std::string text = StripComments(Read(p));
        for (size_t at = text.find("BEGIN_MESSAGE_MAP("); at != std::string::npos;
             at = text.find("BEGIN_MESSAGE_MAP(", at + 1)) {
            const size_t stop = text.find("END_MESSAGE_MAP", at);
            if (stop == std::string::npos) break;
            const std::string body = text.substr(at, stop - at);
            std::smatch h;
            if (!std::regex_search(body, h, head)) continue;
            MessageMap& m = s.maps[h[1]];
            m.base = h[2];
            for (std::sregex_iterator e(body.begin(), body.end(), message), eend; e != eend; ++e)
                m.messages.insert((*e)[1].matched ? (*e)[1].str() : (*e)[2].str());
            for (std::sregex_iterator e(body.begin(), body.end(), command), eend; e != eend; ++e) {
                const long id = s.Id((*e)[1].matched ? (*e)[1].str() : (*e)[2].str());
                m.commands.emplace_back(id, id);
            }
            for (std::sregex_iterator e(body.begin(), body.end(), range), eend; e != eend; ++e) {
                const bool cmd = (*e)[1].matched;
                m.commands.emplace_back(s.Id((*e)[cmd ? 1 : 3]), s.Id((*e)[cmd ? 2 : 4]));
            }
        }
    }
}

void ReadClassBases(Sources& s) {
    const std::regex cls(R"(class\s+(\w+)\s*(?:final\s*)?:\s*public\s+(\w+))");
    for (const fs::path& p : Files(kProgramDirs, {".h"})) {
        const std::string text = StripComments(Read(p));
        for (std::sregex_iterator it(text.begin(), text.end(), cls), end; it != end; ++it)
            s.bases[(*it)[1]] = (*it)[2];
    }
}

// "zv_msg::kUser + 100", "WM_APP + 2", "0x8050": the number, or -1.
long Evaluate(const std::string& expression) {
    static const std::map<std::string, long> named = {
        {"WM_USER", 0x400}, {"zv_msg::kUser", 0x400}, {"WM_APP", 0x8000}};
    long sum = 0;
    std::stringstream in(expression);
    for (std::string term; std::getline(in, term, '+');) {
        const size_t first = term.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) return -1;
        term = term.substr(first, term.find_last_not_of(" \t\r\n") + 1 - first);
        if (std::isdigit(static_cast<unsigned char>(term[0]))) {
            sum += std::stol(term, nullptr, 0);
        } else {
            auto it = named.find(term);
            if (it == named.end()) return -1;
            sum += it->second;
        }
    }
    return sum;
}

void ReadPrivateMessages(Sources& s) {
    const std::string header = StripComments(Read(fs::path(SourceDir()) / "ui" / "WindowMessages.h"));
    const std::regex shared(R"(constexpr\s+unsigned\s+int\s+(WM_\w+)\s*=\s*([^;]+);)");
    for (std::sregex_iterator it(header.begin(), header.end(), shared), end; it != end; ++it)
        s.privateMessages[(*it)[1]] = Evaluate((*it)[2]);
    // A class's own: a constant counted from WM_USER or WM_APP, or named a message.
    const std::regex own(R"(constexpr\s+(?:UINT|unsigned\s+int|uint32_t)\s+(k\w+)\s*=\s*([^;]+);)");
    std::vector<fs::path> files = Files(kProgramDirs, {".cpp", ".h"});
    for (const fs::path& p : files) {
        if (p.filename() == "WindowMessages.h") continue;
        const std::string text = StripComments(Read(p));
        for (std::sregex_iterator it(text.begin(), text.end(), own), end; it != end; ++it) {
            const std::string name = (*it)[1], value = (*it)[2];
            const bool counted = value.find("WM_USER") != std::string::npos || value.find("WM_APP") != std::string::npos;
            const bool called = name.size() > 7 && name.compare(name.size() - 7, 7, "Message") == 0;
            if (!counted && !called) continue;
            if (s.privateMessages.count(name)) s.definedTwice.insert(name);
            s.privateMessages[name] = Evaluate(value);
        }
    }
    // A message is sent when the program names it anywhere but in a map
    // entry or its own definition.
    const std::regex use(R"((ON_MESSAGE\(\s*(?:\w+::)*)?\b((?:WM_|k)\w+)\b(\s*=(?!=))?)");
    for (const fs::path& p : files) {
        if (p.filename() == "WindowMessages.h") continue;
        const std::string text = StripComments(Read(p));
        for (std::sregex_iterator it(text.begin(), text.end(), use), end; it != end; ++it)
            if (!(*it)[1].matched && !(*it)[3].matched && s.privateMessages.count((*it)[2])) s.sent.insert((*it)[2]);
    }
}

const Sources& TheSources() {
    static const Sources s = [] {
        Sources r;
        ReadIds(r);
        ReadResources(r);
        ReadMessageMaps(r);
        ReadClassBases(r);
        ReadPrivateMessages(r);
        return r;
    }();
    return s;
}

// Which window's map takes the commands of a menu or the buttons of a dialog.
const std::map<std::string, std::string> kResourceOwner = {
    {"IDR_MAIN_MENU", "CZarvoDDlg"},        {"IDR_FILELIST_MENU", "CWndFileList"},
    {"IDR_IMAGE_MENU", "CWndImage"},        {"IDR_EDITOR_MENU", "CWndEditor"},
    {"IDR_LOG_MENU", "CEditLog"},           {"IDR_WATCH_MENU", "CWndBottom"},
    {"IDD_ZARVOD_DIALOG", "CZarvoDDlg"},    {"IDD_ABOUTBOX", "CDialog"},
    {"IDD_ADD_WATCH", "CDlgAddWatch"},      {"IDD_CERT", "CDlgCert"},
    {"IDD_CERT_INFO", "CDlgCertInfo"},      {"IDD_CERT_MAKE", "CDlgCertMake"},
    {"IDD_CERT_SELECT", "CDlgCertSelect"},  {"IDD_FILE_NAME", "CDlgFileName"},
    {"IDD_FIND", "CDlgSearch"},             {"IDD_FW_INFO", "CDlgFWInfo"},
    {"IDD_FW_UPGRADE", "CDlgFWUpgrade"},    {"IDD_MESSAGE", "CDlgMessage"},
    {"IDD_NET_INFO", "CDlgNetInfo"},        {"IDD_NET_INFO_DETAIL", "CDlgNetInfoDetail"},
    {"IDD_PREFERENCE", "CDlgPreference"},   {"IDD_PROGRESS", "CDlgProgress"},
    {"IDD_REPLACE", "CDlgChange"},          {"IDD_RESIZE", "CDlgResize"},
    {"IDD_SEARCH_AP", "CDlgSearchAP"},      {"IDD_SEARCH_CH", "CDlgSearchCh"},
    {"IDD_SELECT_EDITOR", "CDlgSelectEditor"}, {"IDD_SETTING", "CDlgSetting"},
    {"IDD_SETTING_NETWORK", "CDlgSettingNetwork"}, {"IDD_SETTING_RTC", "CDlgSettingRTC"},
    {"IDD_SETTING_WLAN", "CDlgSettingWLAN"}, {"IDD_USER_PW", "CDlgUserPW"},
    {"IDD_VIEW_LOG", "CDlgViewLog"},        {"IDD_WATCH_DETAIL", "CDlgWatchDetail"},
    {"IDD_WLAN_ADVANCE", "CDlgSettingWLANAdvance"}, {"IDD_WLAN_IDPW", "CDlgSettingWLANIDPW"},
};

// The windows each private message reaches (the contract of WindowMessages.h).
const std::map<std::string, std::vector<std::string>> kReceivers = {
    {"WM_USER_SERIAL_EVENT", {"CZarvoDDlg"}},
    {"WM_USER_SPLITTER_MOVED", {"CZarvoDDlg", "CWndBottom"}},
    {"WM_USER_OPEN_FILE", {"CZarvoDDlg"}},
    {"WM_USER_DOC_MODIFIED", {"CZarvoDDlg"}},
    {"WM_USER_GET_BUTTON_BKGND", {"CZarvoDDlg"}},
    {"WM_USER_WRITE_SETTINGS", {"CZarvoDDlg"}},
    {"WM_USER_START_UPLOAD", {"CZarvoDDlg"}},
    {"WM_USER_READ_CERT_BLOCK", {"CZarvoDDlg"}},
    {"WM_USER_WRITE_CERT_BLOCK", {"CZarvoDDlg"}},
    {"WM_USER_FIND_REPLACE", {"CWndEditor"}},
    {"WM_USER_CURRENT_FILE_REMOVED", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_ENTER_ISP", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_START", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_PROGRESS", {"CDlgFWUpgrade"}},
    {"WM_USER_UPGRADE_RESULT", {"CDlgFWUpgrade"}},
    {"WM_USER_DELETE_FILES", {"CZarvoDDlg"}},
    {"WM_USER_ISP_CONNECTED", {"CDlgFWUpgrade"}},
    {"WM_USER_UPGRADE_TEST_OK", {"CDlgFWUpgrade"}},
    {"WM_USER_WATCH_NEXT", {"CZarvoDDlg"}},
    {"WM_USER_QUERY_FILES_EDITABLE", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_SEND_TEST", {"CZarvoDDlg"}},
    {"WM_USER_SETTINGS_WRITTEN", {"CDlgSetting"}},
    {"WM_USER_REBOOT", {"CZarvoDDlg"}},
    {"WM_USER_START_IDENTIFY", {"CZarvoDDlg"}},
    {"WM_USER_FILES_CHANGED", {"CZarvoDDlg"}},
    {"WM_USER_SET_PASSWORD", {"CZarvoDDlg"}},
    {"WM_USER_PASSWORD_DONE", {"CDlgSetting"}},
    {"WM_USER_WRITE_KEY_BLOCK", {"CZarvoDDlg"}},
    {"WM_USER_GET_RTC_DATE", {"CZarvoDDlg"}},
    {"WM_USER_RTC_DATE", {"CDlgSetting"}},
    {"WM_USER_SET_RTC_DATE", {"CZarvoDDlg"}},
    {"WM_USER_SAVE_RESULT", {"CDlgSetting"}},
    {"WM_USER_NEW_DOCUMENT", {"CZarvoDDlg"}},
    {"WM_USER_TOGGLE_BREAKPOINT", {"CZarvoDDlg"}},
    {"WM_USER_REMOVE_BREAKPOINTS", {"CZarvoDDlg"}},
    {"WM_USER_STEP_INTO", {"CZarvoDDlg"}},
    {"WM_USER_STEP_OVER", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_READ_ENV", {"CZarvoDDlg"}},
    {"WM_USER_UPGRADE_ENV_NAME", {"CDlgFWUpgrade"}},
    {"WM_USER_SHOW_FILE_INFO", {"CZarvoDDlg"}},
    {"WM_USER_START_SCAN", {"CZarvoDDlg"}},
    {"WM_USER_SCAN_DONE", {"CDlgSearchAP", "CDlgSearchCh"}},
    {"WM_USER_CHANGE_FIRMWARE", {"CZarvoDDlg"}},
    {"WM_USER_CANCEL_SCAN", {"CZarvoDDlg"}},
    {"WM_FILEDRAG_OVER", {"CWndFileList"}},
    {"WM_FILEDRAG_DROP", {"CWndFileList"}},
    {"WM_FILEDRAG_LEAVE", {"CWndFileList"}},
    // Kept by the class that posts them to its own window, or its owner's.
    {"kRunWaitBoxMessage", {"CZarvoDDlg"}},
    {"kShowErrorLogMessage", {"CZarvoDDlg"}},
    {"kUpgradeRefusedMessage", {"CZarvoDDlg"}},
    {"kProcessDropMessage", {"CWndFileList"}},
    {"kRegisterDropMessage", {"CWndFileList"}},
    {"kShowDeferred", {"CDlgSetting"}},
    {"kGoneMessage", {"CZarvoDDlg"}},
};

// Another name for a message of the table above, with the same number: the
// serial port cannot include the window messages, and names its event itself.
const std::map<std::string, std::string> kSameMessage = {
    {"kNotifyMessage", "WM_USER_SERIAL_EVENT"},
};

// Sent, and deliberately in no map, with the reason.
const std::map<std::string, std::string> kHandledElsewhere = {
    {"WM_USER_QUERY_WAIT_END", "the main window leaves it to the default: 0 keeps the wait box open"},
};

// Declared commands and buttons that no map takes, with the reason.
const std::map<std::pair<std::string, std::string>, std::string> kCommandsElsewhere = {
};

}  // namespace

TEST(MessageContract, TheSourcesAreReadAtAll) {
    const Sources& s = TheSources();
    // A parser gone blind would pass every check below.
    EXPECT_GT(s.ids.size(), 200u);
    EXPECT_GE(s.menus.size(), 6u);
    EXPECT_GE(s.buttons.size(), 25u);
    EXPECT_GT(s.maps.size(), 30u);
    EXPECT_GT(s.privateMessages.size(), 45u);
    EXPECT_GT(s.sent.size(), 40u);
    for (const auto& [name, number] : s.privateMessages)
        EXPECT_GE(number, 0x400) << name << ": its number could not be read";
    // The classes' own messages are found too, where they are defined.
    for (const char* own : {"kUpgradeRefusedMessage", "kShowErrorLogMessage", "kRunWaitBoxMessage",
                            "kProcessDropMessage", "kRegisterDropMessage", "kShowDeferred"})
        EXPECT_EQ(s.sent.count(own), 1u) << own;
    for (const std::string& name : s.definedTwice) ADD_FAILURE() << name << " names two messages: give each its own name";
    EXPECT_TRUE(s.HandlesCommand("CDlgResize", 1));  // IDOK through CDialog
    EXPECT_TRUE(s.HandlesMessage("CZarvoDDlg", "WM_USER_OPEN_FILE"));
}

TEST(MessageContract, EveryDeclaredCommandAndButtonHasAHandler) {
    const Sources& s = TheSources();
    std::map<long, std::string> names;
    for (const auto& [name, id] : s.ids) names.emplace(id, name);
    for (const auto* table : {&s.menus, &s.buttons}) {
        for (const auto& [resource, ids] : *table) {
            auto owner = kResourceOwner.find(resource);
            if (owner == kResourceOwner.end()) {
                ADD_FAILURE() << resource << " is declared but the table names no window for it";
                continue;
            }
            for (long id : ids) {
                std::string idName = names.count(id) ? names[id] : std::to_string(id);
                if (kCommandsElsewhere.count({resource, idName})) continue;
                EXPECT_NE(id, -1) << resource << ": an id that no resource header defines";
                EXPECT_TRUE(s.HandlesCommand(owner->second, id))
                    << resource << " declares " << idName << " (" << id << ") but " << owner->second
                    << " has no handler for it";
            }
        }
    }
}

TEST(MessageContract, EverySentPrivateMessageHasAReceiver) {
    const Sources& s = TheSources();
    for (const std::string& msg : s.sent) {
        if (kHandledElsewhere.count(msg)) continue;
        auto same = kSameMessage.find(msg);
        if (same != kSameMessage.end()) {
            EXPECT_EQ(s.Number(msg), s.Number(same->second)) << msg << " is no longer " << same->second;
        }
        auto to = kReceivers.find(same != kSameMessage.end() ? same->second : msg);
        if (to == kReceivers.end()) {
            ADD_FAILURE() << msg << " is sent but the table names no window that receives it";
            continue;
        }
        for (const std::string& cls : to->second)
            EXPECT_TRUE(s.HandlesMessage(cls, msg)) << msg << " is sent to " << cls << ", whose map has no entry for it";
    }
}

// Handlers are found by number, and a window's map takes the first entry of a
// number: two messages that reach one window need two numbers.
TEST(MessageContract, NoWindowIsReachedByTwoMessagesOfOneNumber) {
    const Sources& s = TheSources();
    std::map<std::string, std::map<long, std::string>> taken;  // window -> number -> message
    for (const auto& [msg, windows] : kReceivers) {
        for (const std::string& cls : windows) {
            auto [at, fresh] = taken[cls].emplace(s.Number(msg), msg);
            EXPECT_TRUE(fresh) << msg << " and " << at->second << " both reach " << cls << " as " << s.Number(msg);
        }
    }
}
