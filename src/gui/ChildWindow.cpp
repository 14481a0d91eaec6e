#include "gui/ChildWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>

ChildWindow::ChildWindow(QWidget *content, QWidget *parent) : QMdiSubWindow(parent)
{
    setWidget(content);
    setWindowTitle(content->windowTitle());
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(QApplication::windowIcon());
    // The content's caption changes with the language; the frame follows it.
    connect(content, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
}

void ChildWindow::showChild()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    if (QMdiArea *area = mdiArea())
        area->setActiveSubWindow(this);
}

void ChildWindow::hideChild()
{
    setWindowState(windowState() | Qt::WindowMinimized);
    hide();
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hideChild();
}
