#include "ui/CautionDialog.h"

#include "ui/NoticeLayout.h"

CautionDialog::CautionDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this,
                 {tr("CAUTION"),
                  ":/caution.png",
                  {tr("Device should not be connected to"), tr("the patient during programming.")},
                  true,
                  tr("&OK")});
}

#include "moc_CautionDialog.cpp"
