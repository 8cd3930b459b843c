#pragma once

#include <string>

struct SetupSheet;

// The sheet as a PDF document on the paper of the user's locale. A program without a Qt
// application of its own (mirafen-cli) draws it on Qt's offscreen platform, which needs no
// display.
std::string setupSheetPdf(const SetupSheet& sheet);
