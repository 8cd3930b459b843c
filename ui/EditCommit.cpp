#include "ui/EditCommit.h"

#include <QFocusEvent>

bool isCommittingFocusOut(const QEvent* event) {
    return event->type() == QEvent::FocusOut &&
           static_cast<const QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
}
