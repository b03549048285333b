#include "CertTestSupport.h"

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
    return std::system(("cd '" + m_dir + "' && openssl " + args + " >/dev/null 2>&1").c_str()) == 0;
}

std::string ScratchDir::Read(const std::string& name) const {
    std::ifstream in(m_dir + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void ScratchDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(m_dir + "/" + name, std::ios::binary) << bytes;
}
