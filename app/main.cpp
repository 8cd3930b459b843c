#include "CCalvaneApp.h"

int main(int argc, char** argv) {
    CCalvaneApp app(argc, argv);
    return app.run();
}
