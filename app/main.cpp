#include "app/Application.h"
#include "app/CommandLine.h"

#include <iostream>

int main(int argc, char** argv) {
    // Answered before the application object is made: that needs a display.
    const CommandLine early = readCommandLine(argumentsAfterName(argc, argv));
    if (early.request == CommandLine::Request::Help) {
        std::cout << helpText();
        return 0;
    }
    if (early.request == CommandLine::Request::Version) {
        std::cout << versionText();
        return 0;
    }
    Application app(argc, argv);
    // The application object has taken Qt's own options out of argv by now.
    const CommandLine line = readCommandLine(argumentsAfterName(argc, argv));
    if (line.request == CommandLine::Request::Misuse) {
        std::cerr << "mirafen: " << line.misuse << "\nTry 'mirafen --help' for more.\n";
        return 2;
    }
    return app.run(line.setupFile);
}
