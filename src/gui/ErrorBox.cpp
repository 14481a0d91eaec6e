#include "gui/ErrorBox.h"

#include "core/base/AppError.h"

#include <QMessageBox>

namespace ErrorBox
{

void show(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle),
                    AppError::displayText(message), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

void show(QWidget *parent, const AppError &error)
{
    show(parent, error.message());
}

bool run(QWidget *parent, const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const AppError &error) {
        show(parent, error);
    } catch (const std::exception &error) {
        show(parent, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

} // namespace ErrorBox
