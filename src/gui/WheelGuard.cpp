#include "gui/WheelGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace
{

class WheelFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Ignored, the turn goes on to the parent widgets.
        if (event->type() == QEvent::Wheel && !static_cast<QWidget *>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return false;
    }
};

} // namespace

namespace WheelGuard
{

void takeWheelOnlyWithFocus(QWidget *control)
{
    static WheelFilter *const filter = new WheelFilter(QCoreApplication::instance());
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(filter);
}

} // namespace WheelGuard
