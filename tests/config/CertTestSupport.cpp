#include "CertTestSupport.h"

#include <openssl/pem.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

ScratchDir::ScratchDir() {
    char tmpl[] = "/tmp/zvcertXXXXXX";
    m_dir = mkdtemp(tmpl);
}

ScratchDir::~ScratchDir() { std::system(("rm -rf '" + m_dir + "'").c_str()); }

bool ScratchDir::OpenSsl(const std::string& args) const {
    std::string cmd = "cd '" + m_dir + "' && openssl " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string ScratchDir::Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void ScratchDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
}

bool ScriptedPrompt::Ask(std::string& phrase) {
    if (asked >= static_cast<int>(m_answers.size())) {
        ++asked;
        return false;
    }
    phrase = m_answers[static_cast<size_t>(asked++)];
    return true;
}

std::string ToPem(X509* cert) {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_X509(bio.get(), cert);
    return COpenSslLib::BioText(bio.get());
}

std::string ToPem(EVP_PKEY* key) {
    ossl::BioPtr bio(BIO_new(BIO_s_mem()));
    PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr);
    return COpenSslLib::BioText(bio.get());
}
