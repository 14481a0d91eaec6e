#pragma once

#include <QString>
#include <functional>

class AppError;
class QWidget;

// The standard box for errors a command does not handle: titled with the
// application title, stop icon, the error's text with the full-stop rule.
namespace ErrorBox
{

void show(QWidget *parent, const AppError &error);
void show(QWidget *parent, const QString &message);

// Runs one command; an AppError (or any other exception) it throws ends the
// command and is shown in the box. Returns whether the command completed.
bool run(QWidget *parent, const std::function<void()> &command);

} // namespace ErrorBox
