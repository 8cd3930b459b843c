#pragma once

#include "operations/SetupComparison.h"

#include <QDialog>
#include <vector>

// "Compare with Instrument": the window's setup against what the instrument holds. Every field
// compared stands in a table of the field, this setup and the instrument, the ones that differ
// marked; when none differs the table gives way to "The instrument holds this setup.". The
// instrument's identity is shown above, but is no difference.
class CompareDialog : public QDialog {
    Q_OBJECT
public:
    CompareDialog(QWidget* parent, const std::vector<ComparedField>& fields,
                  const QString& instrument);
};
