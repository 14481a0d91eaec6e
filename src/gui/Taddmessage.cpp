#include "gui/Taddmessage.h"

#include "core/base/RadioInfo.h"
#include "gui/ApplyText.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

Taddmessage::Taddmessage(RadioInfo &info, QWidget *parent) : QWidget(parent), m_info(info)
{
    setObjectName(QStringLiteral("addmessage"));
    setWindowTitle(QStringLiteral("本机信息"));
    setFixedSize(304, 257);

    GroupBox1 = named(new QGroupBox(QStringLiteral("本机信息"), this), "GroupBox1");
    GroupBox1->setGeometry(8, 6, 288, 180);

    QLabel **labels[] = {&Label1, &Label2, &Label3, &Label4};
    QLineEdit **edits[] = {&Edit1, &Edit2, &Edit3, &Edit4};
    const char *captions[] = {"机型", "频段", "管理员", "最后写频时间"};
    for (int i = 0; i < 4; ++i) {
        const int top = 28 + i * 36;
        *labels[i] = new QLabel(QString::fromUtf8(captions[i]), GroupBox1);
        (*labels[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        (*labels[i])->setGeometry(12, top, 96, 22);
        *edits[i] = new QLineEdit(GroupBox1);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        (*edits[i])->setGeometry(110, top, 164, 22);
        (*edits[i])->setReadOnly(true);
    }

    Button1 = named(new QPushButton(QStringLiteral("确定"), this), "Button1");
    Button1->setGeometry(114, 196, 75, 26);
    connect(Button1, &QPushButton::clicked, this, &Taddmessage::closeRequested);

    StatusBar1 = named(new QLabel(this), "StatusBar1");
    StatusBar1->setGeometry(0, 235, 304, 22);
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    connect(&m_info, &RadioInfo::changed, this, &Taddmessage::refresh);
    refresh();
}

void Taddmessage::refresh()
{
    Edit1->setText(m_info.model());
    Edit2->setText(m_info.band());
    Edit3->setText(m_info.administrator());
    Edit4->setText(m_info.lastWriteTime());
    StatusBar1->setText(m_info.statusText());
}

QString Taddmessage::administratorCaption() const
{
    return Label3->text();
}

void Taddmessage::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 145);
    applyTitle(GroupBox1, table, 145);
    applyText(Label1, table, 157);
    applyText(Label2, table, 158);
    applyText(Label3, table, 159);
    applyText(Label4, table, 160);
    applyText(Button1, table, 2);
}
