#pragma once

#include <QWidget>

class QToolButton;

// An up-down control: two arrow buttons, one above the other, that repeat
// while held. It keeps no position of its own; it only says which way the
// user pressed.
class UpDownButtons : public QWidget
{
    Q_OBJECT
public:
    explicit UpDownButtons(QWidget *parent = nullptr);

    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

Q_SIGNALS:
    // +1 for the up arrow, -1 for the down arrow.
    void clicked(int delta);

private:
    QToolButton *m_up;
    QToolButton *m_down;
};
