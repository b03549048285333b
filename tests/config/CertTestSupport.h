#pragma once

#include "config/CertImport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// A scratch folder for files made with the openssl command line.
class ScratchDir {
public:
    ScratchDir() {
        char tmpl[] = "/tmp/zvcertXXXXXX";
        m_dir = mkdtemp(tmpl);
    }
    ~ScratchDir() { std::system(("rm -rf '" + m_dir + "'").c_str()); }
    // Runs "openssl <args>" in the folder; true when it succeeded.
    bool OpenSsl(const std::string& args) const {
        return std::system(("cd '" + m_dir + "' && openssl " + args + " >/dev/null 2>&1").c_str()) == 0;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(m_dir + "/" + name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << bytes;
    }

private:
    std::string m_dir;
};

// Answers pass-phrase questions from a list, then cancels; counts them.
struct ScriptedPrompt : IPassPhrasePrompt {
    explicit ScriptedPrompt(std::vector<std::string> a = {}) : answers(std::move(a)) {}
    bool Ask(std::string& phrase) override {
        if (asked >= static_cast<int>(answers.size())) return ++asked, false;
        phrase = answers[static_cast<size_t>(asked++)];
        return true;
    }
    std::vector<std::string> answers;
    int asked = 0;
};
