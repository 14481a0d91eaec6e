#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QSpontaneKeyEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

namespace TestSupport
{

QString dataPath(const QString &name)
{
    return QStringLiteral(KT_TEST_DATA_DIR "/") + name;
}

QString languageDir()
{
    return QDir::cleanPath(QStringLiteral(KT_TEST_DATA_DIR "/../../lang"));
}

int failureEntryArguments(int entry)
{
    if (entry == 1024 || entry == 1025) // busy: the count and the step
        return 2;
    // The steps with a number; the reasons with a text or a step.
    const bool one =
        (entry >= 1014 && entry <= 1017) || (entry >= 1021 && entry <= 1027) || entry == 1029;
    return one ? 1 : 0;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void onNextModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    auto *poll = new QTimer(qApp);
    auto *clock = new QElapsedTimer;
    clock->start();
    // Windows that were already modal before the call are not the next one.
    QPointer<QWidget> before = QApplication::activeModalWidget();
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool found = modal && modal != before && modal->isVisible();
        if (found || clock->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            delete clock;
            if (found)
                action(modal);
        }
    });
    poll->start(10);
}

QString shownTitle(const QWidget *window)
{
    QString title = window->windowTitle();
    return title.replace(QStringLiteral("[*]"),
                         window->isWindowModified() ? QStringLiteral("*") : QString());
}

bool closeDiscarding(QWidget *window)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box && box->objectName() == QLatin1String("CloseQuestion") && box->isVisible())
            box->button(QMessageBox::Discard)->click();
    });
    poll.start(10);
    return window->close();
}

QString messageText(QWidget *window)
{
    auto *box = qobject_cast<QMessageBox *>(window);
    return box ? box->text() : QString();
}

void turnWheel(QWidget *widget, QPoint at, int notches)
{
    QWidget *window = widget->window();
    const QPoint inWindow = widget->mapTo(window, at);
    QWidget *target = window->childAt(inWindow);
    if (!target)
        target = window;
    const QPointF local = target->mapFrom(window, inWindow);
    const QPointF global = window->mapToGlobal(QPointF(inWindow));
    const QPoint notch(0, notches > 0 ? QWheelEvent::DefaultDeltasPerStep
                                      : -QWheelEvent::DefaultDeltasPerStep);
    for (int turned = 0; turned < qAbs(notches); ++turned) {
        QWheelEvent event(local, global, QPoint(), notch, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        // As the window system delivers it (sendEvent would make it a
        // program's event, which goes to no parent).
        QSpontaneKeyEvent::setSpontaneous(&event);
        qApp->notify(target, &event);
    }
}

} // namespace TestSupport
