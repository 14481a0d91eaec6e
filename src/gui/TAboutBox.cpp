#include "gui/TAboutBox.h"

#include "gui/ApplyText.h"
#include "gui/ProgramIcon.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace
{

constexpr int Width = 320;
constexpr int Height = 245;

QLabel *line(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于..."));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(programIcon().pixmap(57, 57));
    ProgramIcon->setFixedSize(57, 57);

    Label1 = line(QStringLiteral("Vesqar 对讲机编程软件 1.0"), "Label1", this);
    QFont title = Label1->font();
    title.setBold(true);
    Label1->setFont(title);
    Label2 = line(QStringLiteral("版本:KT-100.100.1"), "Label2", this);
    Label3 = line(QString(), "Label3", this);
    Label4 = line(QString(), "Label4", this);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button1->setMinimumWidth(75);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    // Icon beside the lines; the lines wrap, and the box grows downwards
    // when a language's texts need more room than the design size.
    auto *lines = new QVBoxLayout;
    lines->setSpacing(10);
    for (QLabel *label : {Label1, Label2, Label3, Label4})
        lines->addWidget(label);
    lines->addStretch();
    auto *top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(18, 18, 18, 14);
    box->addLayout(top, 1);
    box->addWidget(Button1, 0, Qt::AlignHCenter);

    fitHeight();
}

void TAboutBox::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 1, QStringLiteral("..."));
    applyText(Label1, table, 3);
    applyText(Label2, table, 4);
    applyText(Label3, table, 5);
    applyText(Label4, table, 6);
    applyText(Button1, table, 2);
    fitHeight();
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TAboutBox::fitHeight()
{
    // The nested layouts keep the heights of the old texts until the layout
    // is activated again.
    layout()->invalidate();
    layout()->activate();
    setFixedSize(Width, qMax(Height, layout()->totalHeightForWidth(Width)));
}
