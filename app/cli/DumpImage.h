#pragma once
#include <string>

namespace tavlin {

// `tavlin dump --image FILE [--frame N] [-o OUT.png]`: what the picture reader makes of a file.
int dumpImage(const std::string& path, const std::string& bytes, int argc, char** argv);

} // namespace tavlin
