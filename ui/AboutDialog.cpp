#include "ui/AboutDialog.h"

#include "ui/NoticeLayout.h"

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this, {"About Mirafen for Zentiq",
                         ":/mirafen.png",
                         {"Mirafen for Zentiq Version 2.0.0.4", "www.orvell.example"},
                         false,
                         "OK"});
}
