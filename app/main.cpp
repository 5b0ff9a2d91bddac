#include "app/cli/CommandLine.h"
#include "app/gui/GuiMain.h"

int main(int argc, char** argv) {
    if (tavlin::isCommandLine(argc, argv)) {
        return tavlin::runCommandLine(argc, argv);
    }
    return tavlin::runGui(argc, argv, tavlin::fileToOpen(argc, argv));
}
