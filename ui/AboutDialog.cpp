#include "ui/AboutDialog.h"

#include "ui/NoticeLayout.h"

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this, {tr("About Mirafen for Zentiq"),
                         ":/mirafen.png",
                         {tr("Mirafen for Zentiq Version %1").arg(MIRAFEN_VERSION),
                          tr("www.orvell.example")},
                         false,
                         tr("OK")});
}

#include "moc_AboutDialog.cpp"
