#include "gui/TUserForm.h"

#include "core/workspace/SettingsStore.h"
#include "gui/ErrorBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace
{

// Discards every character above code 127, typed or pasted; control keys
// such as Backspace are not characters and pass.
class AsciiOnly : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        for (qsizetype i = input.size() - 1; i >= 0; --i) {
            if (input.at(i).unicode() > 127) {
                input.remove(i, 1);
                if (i < pos)
                    --pos;
            }
        }
        return Acceptable;
    }
};

} // namespace

TUserForm::TUserForm(const SettingsStore &settings, QWidget *parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("UserForm"));
    setWindowTitle(QStringLiteral("Please Input The Administrators"));
    setFixedSize(341, 208);

    Label1 = new QLabel(QStringLiteral("Administrators："), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(40, 60, 120, 21);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(160, 58, 121, 24);
    Edit1->setMaxLength(7);
    Edit1->setValidator(new AsciiOnly(Edit1));
    Label1->setBuddy(Edit1);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(133, 130, 75, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TUserForm::done(int result)
{
    Q_UNUSED(result);
    const QString name = SettingsStore::cleanName(Edit1->text());
    if (name.isEmpty()) {
        m_administrator.clear();
        QDialog::done(Rejected);
        return;
    }
    // A name that cannot be stored is not taken; the dialog stays open.
    if (!ErrorBox::run(this, [&] { m_settings.writeAdministrator(name); }))
        return;
    m_administrator = name;
    QDialog::done(Accepted);
}
