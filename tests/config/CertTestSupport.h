#pragma once

#include "config/CertImport.h"

#include <string>
#include <vector>

// A scratch folder for files made with the openssl command line.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    // Runs "openssl <args>" in the folder; true when it succeeded.
    bool OpenSsl(const std::string& args) const;
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;

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
