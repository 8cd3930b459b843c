#include "ui/NamedComboBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

namespace {

// What Qt's own list tells a screen reader, but for the name: its popup list as its one child,
// opening it as its action, and the entry shown as its value.
class NamedComboBoxAccessible : public QAccessibleWidget {
public:
    explicit NamedComboBoxAccessible(QComboBox* list)
        : QAccessibleWidget(list, QAccessible::ComboBox)
        , list(list) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Value ? list->currentText() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(list->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == list->view() ? 0 : -1;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = list->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            list->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* list;
};

QAccessibleInterface* namedComboBoxAccessible(const QString& className, QObject* object) {
    auto* list = qobject_cast<NamedComboBox*>(object);
    if (list == nullptr || className != QLatin1String(NamedComboBox::staticMetaObject.className()))
        return nullptr;
    // Qt's accessibility registry owns what a factory makes.
    return new NamedComboBoxAccessible(list);
}

} // namespace

NamedComboBox::NamedComboBox(QWidget* parent)
    : QComboBox(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(namedComboBoxAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

#include "moc_NamedComboBox.cpp"
