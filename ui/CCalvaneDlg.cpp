#include "CCalvaneDlg.h"

CCalvaneDlg::CCalvaneDlg(QWidget* parent) : QDialog(parent) {}
