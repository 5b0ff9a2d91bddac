#pragma once

namespace tavlin {

// Starts the application with its main window and runs it until the window closes.
int runGui(int argc, char** argv);

} // namespace tavlin
