#include "ui/CautionDialog.h"

#include "ui/NoticeLayout.h"

CautionDialog::CautionDialog(QWidget* parent)
    : QDialog(parent) {
    layOutNotice(*this, {"CAUTION",
                         ":/caution.png",
                         {"Device should not be connected to", "the patient during programming."},
                         true,
                         "&OK"});
}
