#include "ui/NamedComboBox.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QItemSelectionModel>

namespace {

// What Qt's own list tells a screen reader, but for the name: its popup list as its one child,
// opening it as its action, and the entry shown as its value, also as the text that assistive
// technology reads as a list's value.
class NamedComboBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
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
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
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

    // The entry's text, read only, with nothing selected in it.
    QString text(int startOffset, int endOffset) const override {
        return list->currentText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(list->currentText().size()); }
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = offset;
        return {};
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
    // The popup list holds the entry shown as its selected item, also while it is closed, so
    // that a screen reader finds which of its items is current.
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        view()->selectionModel()->setCurrentIndex(
            model()->index(index, modelColumn(), rootModelIndex()),
            QItemSelectionModel::ClearAndSelect);
    });
}

#include "moc_NamedComboBox.cpp"
