#include "app/Application.h"
#include "app/ProgramArguments.h"

#include <iostream>

int main(int argc, char** argv) {
    // Answered before the application object is made: that needs a display.
    const ProgramArguments early = readProgramArguments(argumentsAfterName(argc, argv));
    if (early.request == ProgramArguments::Request::Help) {
        std::cout << helpText();
        return 0;
    }
    if (early.request == ProgramArguments::Request::Version) {
        std::cout << versionText();
        return 0;
    }
    Application app(argc, argv);
    // The application object has taken Qt's own options out of argv by now.
    const ProgramArguments arguments = readProgramArguments(argumentsAfterName(argc, argv));
    if (arguments.request == ProgramArguments::Request::Misuse) {
        std::cerr << "mirafen: " << arguments.misuse << "\nTry 'mirafen --help' for more.\n";
        return 2;
    }
    return app.run(arguments.setupFile);
}
