#pragma once
#include <string>

namespace tavlin {

// Starts the application with its main window and runs it until the window closes. A
// `sourceFile` (a bookmark file or Favorites folder) becomes the source and is shown.
int runGui(int argc, char** argv, const std::string& sourceFile = {});

} // namespace tavlin
