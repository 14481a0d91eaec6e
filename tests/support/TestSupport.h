#pragma once

#include <QPoint>
#include <QString>
#include <functional>

class QWidget;

// Helpers shared by the test programs.
namespace TestSupport
{

// Path of a fixture file under tests/data.
QString dataPath(const QString &name);

// The folder of the interface language files in the source tree.
QString languageDir();

// How many values (%1, %2) the text of an exchange-failure entry of the
// language files (1010 to 1029) takes.
int failureEntryArguments(int entry);

// Writes bytes to a file, creating folders as needed; fails the test on error.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Runs the action on the next modal window that opens (a dialog started with
// exec(), a message box), from inside its event loop. The action must close
// the window. Gives up after the timeout.
void onNextModal(std::function<void(QWidget *)> action, int timeoutMs = 5000);

// A window's title as the window system shows it: the unsaved-changes
// placeholder "[*]" as "*" when the window is marked modified, else left out.
QString shownTitle(const QWidget *window);

// Closes the window; a close question on the way (unsaved changes) is
// answered with Discard. Returns whether the window closed.
bool closeDiscarding(QWidget *window);

// The text of a message box, empty for other windows.
QString messageText(QWidget *window);

// Turns the mouse wheel by the given notches (positive: away from the user)
// over a point of the widget, as the window system delivers it: to the
// widget under the pointer, which may take the focus by it, and on to its
// parents while none takes the turn.
void turnWheel(QWidget *widget, QPoint at, int notches);

} // namespace TestSupport
