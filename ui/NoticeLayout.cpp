#include "ui/NoticeLayout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void layOutNotice(QDialog& dialog, const Notice& notice) {
    dialog.setWindowTitle(notice.title);
    dialog.setModal(true);

    auto* body = new QHBoxLayout;
    if (!notice.imagePath.isEmpty()) {
        auto* image = new QLabel(&dialog);
        image->setObjectName("noticeImage");
        image->setPixmap(QPixmap(notice.imagePath));
        body->addWidget(image, 0, Qt::AlignTop);
    }
    auto* text = new QLabel(notice.lines.join('\n'), &dialog);
    text->setObjectName("noticeText");
    text->setAlignment((notice.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
    body->addWidget(text, 1);

    auto* button = new QPushButton(notice.buttonText, &dialog);
    button->setObjectName("okButton");
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(body);
    layout->addWidget(button, 0, Qt::AlignHCenter);
}
