#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class SettingsStore;

// Asks once, at start-up, for the administrator name: up to 7 characters of
// 7-bit ASCII. Closing it with a name stores the name in userini.ini; closing
// it empty tells the caller to end the program.
class TUserForm : public QDialog
{
    Q_OBJECT
public:
    explicit TUserForm(const SettingsStore &settings, QWidget *parent = nullptr);

    // The name taken when the dialog closed; empty when it closed empty.
    QString administrator() const { return m_administrator; }

    // OK and the close box both end here.
    void done(int result) override;

private:
    const SettingsStore &m_settings;
    QString m_administrator;
    QLabel *Label1;       // "Administrators："
    QLineEdit *Edit1;     // the name, at most 7 characters
    QPushButton *Button1; // "OK"
};
