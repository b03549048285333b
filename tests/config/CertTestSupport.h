#pragma once

#include "config/CertImport.h"

#include <string>
#include <vector>

// A scratch folder for files made with the openssl command line.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    // Runs "openssl <args>" in the folder; true when it succeeded.
    bool OpenSsl(const std::string& args) const;
    std::string Read(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;

private:
    std::string m_dir;
};

// Answers pass-phrase questions from a list; counts them.
class ScriptedPrompt : public IPassPhrasePrompt {
public:
    explicit ScriptedPrompt(std::vector<std::string> answers = {}) : m_answers(std::move(answers)) {}
    bool Ask(std::string& phrase) override;
    int asked = 0;

private:
    std::vector<std::string> m_answers;  // past the end: cancel
};

std::string ToPem(X509* cert);
std::string ToPem(EVP_PKEY* key);
