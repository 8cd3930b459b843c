#include "ui/LeadGrid.h"

#include "ui/Latin1Text.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Hidden controls keep their place, so the fixed-size window does not change with the leads.
template <typename Widget> Widget* keepingPlace(Widget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    return widget;
}

QString named(const char* stem, int row) {
    return QString::fromLatin1(stem) + QString::number(row);
}

QPushButton* skipButton(QWidget* parent, const QString& text, const char* name) {
    auto* button = keepingPlace(new QPushButton(text, parent));
    button->setObjectName(name);
    button->setCheckable(true);
    button->setAutoDefault(false);
    button->hide();
    return button;
}

} // namespace

LeadGrid::LeadGrid(QWidget* parent, SetupRecord& record, const DeviceInfo& info)
    : QGroupBox(tr("Lead Information"), parent)
    , record(record)
    , info(info)
    , tabs(new QTabBar(this))
    , allButton(skipButton(this, tr("ALL"), "allButton"))
    , noneButton(skipButton(this, tr("NONE"), "noneButton"))
    , leftHeading(keepingPlace(new QLabel(tr("Name:"), this)))
    , rightHeading(keepingPlace(new QLabel(tr("Name:"), this))) {
    setObjectName("leadGroup");
    tabs->setObjectName("leadTabs");
    tabs->setAccessibleName(tr("Lead pages"));
    tabs->setExpanding(false);
    allButton->setAccessibleName(tr("Skip all leads"));
    noneButton->setAccessibleName(tr("Skip no leads"));
    leftHeading->setObjectName("leftNameHeading");
    rightHeading->setObjectName("rightNameHeading");
    leftHeading->hide();
    rightHeading->hide();

    auto* top = new QHBoxLayout;
    auto* hint = new QLabel(tr("Checked Leads will be Skipped."), this);
    hint->setAlignment(Qt::AlignCenter);
    top->addWidget(hint, 1);
    top->addWidget(allButton);
    top->addWidget(noneButton);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    grid->addWidget(leftHeading, 0, 2);
    grid->addWidget(rightHeading, 0, 6);
    grid->setColumnMinimumWidth(3, 16);
    buildRows(grid);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabs);
    layout->addLayout(grid);
    layout->addStretch(1);

    connect(tabs, &QTabBar::currentChanged, this, &LeadGrid::showPage);
    connect(allButton, &QPushButton::clicked, this, [this] { skipAllLeads(true); });
    connect(noneButton, &QPushButton::clicked, this, [this] { skipAllLeads(false); });
    labelRows(0);
}

void LeadGrid::buildRows(QGridLayout* layout) {
    const int nameWidth = fontMetrics().horizontalAdvance(QString(kLeadNameWidth + 2, 'W'));
    for (int row = 1; row <= kRowsPerPage; ++row) {
        Row& controls = rowAt(row);
        controls.label = keepingPlace(new QLabel(this));
        controls.label->setObjectName(named("leadLabel", row));
        controls.skip = keepingPlace(new QCheckBox(this));
        controls.skip->setObjectName(named("leadSkip", row));
        controls.name = keepingPlace(new QLineEdit(this));
        controls.name->setObjectName(named("leadEdit", row));
        controls.name->setMaxLength(kLeadNameWidth);
        controls.name->setFixedWidth(nameWidth);
        controls.label->setBuddy(controls.name);

        const int gridRow = 1 + (row - 1) % kRowsPerColumn;
        const int firstColumn = row <= kRowsPerColumn ? 0 : 4;
        layout->addWidget(controls.label, gridRow, firstColumn);
        layout->addWidget(controls.skip, gridRow, firstColumn + 1);
        layout->addWidget(controls.name, gridRow, firstColumn + 2);
        for (QWidget* widget :
             {static_cast<QWidget*>(controls.label), static_cast<QWidget*>(controls.skip),
              static_cast<QWidget*>(controls.name)})
            widget->hide();

        // The box's state, however it changed: a click, the space bar, or a screen reader's
        // toggle, which gives no click.
        connect(controls.skip, &QCheckBox::toggled, this, [this, row](bool checked) {
            if (checked != rowSkipAt(row))
                toggleRowSkip(row);
        });
    }
}

bool LeadGrid::storedPageBase(int& base) const {
    if (shownPage < 0 || shownPage >= kStoredPages)
        return false;
    base = kRowsPerPage * shownPage;
    return true;
}

void LeadGrid::savePage() {
    int base = 0;
    if (!storedPageBase(base))
        return;
    for (int row = 1; row <= kRowsPerPage; ++row) {
        const QLineEdit* name = rowAt(row).name;
        // Only a name the user changed is taken: showing a longer name from a file cut it to
        // the edit's length, and taking it back would lose the rest.
        if (name->isModified())
            record.leadName[base + row] = latin1Text(name);
        record.leadSkip[base + row] = rowSkipAt(row);
    }
}

void LeadGrid::restorePage() {
    shownPage = tabs->currentIndex();
    int base = 0;
    if (storedPageBase(base)) {
        for (int row = 1; row <= kRowsPerPage; ++row) {
            // Without the padding an instrument gives a name, so that it can be typed over; the
            // record keeps the name as it came until it is changed.
            const std::string_view name = unpaddedLeadName(record.leadName[base + row]);
            rowAt(row).name->setText(
                QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
            rowSkipAt(row) = record.leadSkip[base + row];
        }
    }
    for (int row = 1; row <= kRowsPerPage; ++row)
        showRowSkip(row);
}

void LeadGrid::showRowSkip(int row) {
    Row& controls = rowAt(row);
    controls.name->setReadOnly(rowSkipAt(row));
    controls.skip->setChecked(rowSkipAt(row));
}

void LeadGrid::toggleRowSkip(int row) {
    rowSkipAt(row) = !rowSkipAt(row);
    showRowSkip(row);
    updateAllNone();
}

void LeadGrid::updateAllNone() {
    savePage();
    bool allSkipped = true;
    bool noneSkipped = true;
    for (int lead = 1; lead <= info.leadCount; ++lead) {
        allSkipped = allSkipped && record.leadSkip[lead];
        noneSkipped = noneSkipped && !record.leadSkip[lead];
    }
    const bool hasLeads = info.leadCount != 0;
    allButton->setVisible(hasLeads);
    noneButton->setVisible(hasLeads);
    allButton->setChecked(allSkipped);
    noneButton->setChecked(!allSkipped && noneSkipped);
}

void LeadGrid::skipAllLeads(bool skipped) {
    savePage();
    for (int lead = 1; lead <= info.leadCount; ++lead)
        record.leadSkip[lead] = skipped;
    restorePage();
    updateAllNone();
}

void LeadGrid::labelRows(int page) {
    for (int row = 1; row <= kRowsPerPage; ++row) {
        const int lead = kRowsPerPage * page + row;
        Row& controls = rowAt(row);
        controls.label->setText(tr("Lead:%1").arg(lead, 3));
        // What a screen reader says: the label's text reads badly and the skip box has none.
        controls.skip->setAccessibleName(tr("Lead %1 skip").arg(lead));
        controls.name->setAccessibleName(tr("Lead %1 name").arg(lead));
    }
}

void LeadGrid::showRows() {
    const int page = tabs->currentIndex();
    const int leadCount = info.leadCount;
    const int base = kRowsPerPage * page;
    for (int row = 1; row <= kRowsPerPage; ++row) {
        const bool shown = page >= 0 && base + row <= leadCount;
        Row& controls = rowAt(row);
        controls.label->setVisible(shown);
        controls.skip->setVisible(shown);
        controls.name->setVisible(shown);
    }
    leftHeading->setVisible(leadCount != 0);
    rightHeading->setVisible(page >= 0 && leadCount - base > kRowsPerColumn);
}

void LeadGrid::rebuildTabs() {
    const QSignalBlocker quiet(tabs);
    while (tabs->count() > 0)
        tabs->removeTab(tabs->count() - 1);
    for (int first = 1; first <= info.leadCount; first += kRowsPerPage) {
        const int last = std::min<int>(first + kRowsPerPage - 1, info.leadCount);
        const int tab = tabs->addTab(tr("%1 - %2").arg(first).arg(last));
        // A screen reader says the tab's name, and the bar's is that of the tab shown.
        tabs->setAccessibleTabName(tab, tr("Leads %1 to %2").arg(first).arg(last));
    }
    tabs->setCurrentIndex(tabs->count() > 0 ? 0 : -1);
}

void LeadGrid::rebuildGrid() {
    savePage();
    rebuildTabs();
    labelRows(0);
    showRows();
    restorePage();
    updateAllNone();
}

void LeadGrid::showPage(int page) {
    savePage();
    labelRows(page);
    showRows();
    restorePage();
    repaint();
}

#include "moc_LeadGrid.cpp"
