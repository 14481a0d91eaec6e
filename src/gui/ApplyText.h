#pragma once

#include "core/base/StringTable.h"

#include <QGroupBox>
#include <QWidget>

// Sets a control's caption from a language entry; an entry the table lacks
// leaves the caption as it was.
template <typename Control> void applyText(Control *control, const StringTable &table, int entry)
{
    control->setText(table.text(entry, control->text()));
}

inline void applyTitle(QGroupBox *box, const StringTable &table, int entry)
{
    box->setTitle(table.text(entry, box->title()));
}

inline void applyCaption(QWidget *window, const StringTable &table, int entry,
                         const QString &suffix = QString())
{
    if (table.contains(entry))
        window->setWindowTitle(table.text(entry) + suffix);
}
