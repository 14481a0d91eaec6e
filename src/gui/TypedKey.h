#pragma once

#include "core/channels/EditorKeyRules.h"

#include <QKeyEvent>

// The character a key press types, as the editing rules take it: Enter (either
// key) and Backspace by their control characters, other keys by their text; a
// null character for keys that type nothing (arrows, Home, End, modifiers),
// for Delete, which edits as in any text box, and for Tab, which moves the
// focus.
inline QChar typedKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return EditorKeyRules::Enter;
    case Qt::Key_Backspace:
        return EditorKeyRules::Backspace;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return {};
    default:
        return event->text().isEmpty() ? QChar() : event->text().front();
    }
}
