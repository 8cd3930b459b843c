#include "ui/WelcomeDialog.h"

#include "ui/NoticeLayout.h"

WelcomeDialog::WelcomeDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this, {tr("Welcome!"),
                         {},
                         {tr("Welcome to the exciting world of the Zentiq."),
                          tr("Once you press OK you will be prompted to select a"),
                          tr("Comm Port which will be used to communicate with"),
                          tr("your Zentiq.  This can be changed later by"),
                          tr("clicking the Connection Setup Button.  For more info"),
                          tr("you can press F1 at any time after clicking OK.")},
                         true,
                         tr("&OK")});
}

#include "moc_WelcomeDialog.cpp"
