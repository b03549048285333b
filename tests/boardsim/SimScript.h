// What the simulated board prints when its script starts: the string
// literals that index.php echoes, in order, with their escapes (\n \r \t \\
// \" in double quotes). No PHP beyond that is run.
#pragma once

#include <string>

#include "tests/boardsim/SimCodec.h"

namespace boardsim {

// The output of the image's index.php ("" when it has none or echoes nothing).
std::string ScriptOutput(const Bytes& image);
// The echoed literals of one script text.
std::string EchoedText(const std::string& script);

}  // namespace boardsim
