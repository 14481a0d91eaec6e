#pragma once

#include <QMdiSubWindow>

// A child window of the main window. Its close box never destroys it: the
// window is minimised and hidden and keeps all its contents until the main
// window shows it again.
class ChildWindow : public QMdiSubWindow
{
    Q_OBJECT
public:
    explicit ChildWindow(QWidget *content, QWidget *parent = nullptr);

    // Normal (not minimised) state, visible, in front, active.
    void showChild();
    // What the close box does.
    void hideChild();

protected:
    void closeEvent(QCloseEvent *event) override;
};
