#include "tests/boardsim/SimScript.h"

#include "tests/boardsim/SimImage.h"

namespace boardsim {

std::string EchoedText(const std::string& s) {
  std::string out;
  size_t at = 0;
  while ((at = s.find("echo", at)) != std::string::npos) {
    at += 4;
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
    if (at >= s.size() || (s[at] != '"' && s[at] != '\'')) continue;
    const char quote = s[at++];
    for (; at < s.size() && s[at] != quote; ++at) {
      char c = s[at];
      if (c == '\\' && at + 1 < s.size()) {
        const char e = s[++at];
        if (quote == '"' && e == 'n') c = '\n';
        else if (quote == '"' && e == 'r') c = '\r';
        else if (quote == '"' && e == 't') c = '\t';
        else if (e == '\\' || e == quote) c = e;
        else {
          out += '\\';
          c = e;
        }
      }
      out += c;
    }
  }
  return out;
}

std::string ScriptOutput(const Bytes& image) {
  ImageInfo info;
  if (image.empty() || !ParseImage(image, info)) return std::string();
  for (const ImageEntry& e : info.entries)
    // Names are stored with their terminating zero.
    if (std::string(e.name.c_str()) == "index.php") return EchoedText(std::string(e.data.begin(), e.data.end()));
  return std::string();
}

}  // namespace boardsim
