#include "app/Application.h"
#include "app/DisplayCheck.h"
#include "app/ProgramArguments.h"

#include <iostream>
#include <optional>

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
    if (displayMissing(argumentsAfterName(argc, argv))) {
        std::cerr << noDisplayText();
        return 1;
    }
    std::optional<DisplayFailureGuard> guard(std::in_place);
    Application app(argc, argv);
    guard.reset();
    // The application object has taken Qt's own options out of argv by now.
    const ProgramArguments arguments = readProgramArguments(argumentsAfterName(argc, argv));
    if (arguments.request == ProgramArguments::Request::Misuse) {
        std::cerr << "mirafen: " << arguments.misuse << "\nTry 'mirafen --help' for more.\n";
        return 2;
    }
    return app.run(arguments.setupFile);
}
