#include "ui/WelcomeDialog.h"

#include "ui/NoticeLayout.h"

WelcomeDialog::WelcomeDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this, {"Welcome!",
                         {},
                         {"Welcome to the exciting world of the Zentiq.",
                          "Once you press OK you will be prompted to select a",
                          "Comm Port which will be used to communicate with",
                          "your Zentiq.  This can be changed later by",
                          "clicking the Connection Setup Button.  For more info",
                          "you can press F1 at any time after clicking OK."},
                         true,
                         "&OK"});
}
