#include "gui/Tfunc.h"

#include "core/editing/EditHistory.h"
#include "gui/ApplyText.h"
#include "gui/ErrorBox.h"
#include "gui/UpDownButtons.h"
#include "gui/WheelGuard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{

constexpr int kRowHeight = 21;

// Left column and VOX group: captions, then the lists at x 112 of the panel.
constexpr int kCaptionX = 16;
constexpr int kListX = 112;
constexpr int kListWidth = 105;
// Second column of the panel: the beep and battery-save boxes.
constexpr int kCheckColumnX = 233;
// Inside the side-key group.
constexpr int kKeyCaptionX = 12;
constexpr int kKeyListX = 88;
constexpr int kKeyListWidth = 130;

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *caption(const char *name, const char *text, QWidget *parent, int x, int y, int width)
{
    auto *label = named(new QLabel(QString::fromUtf8(text), parent), name);
    label->setGeometry(x, y, width, kRowHeight);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QStringList itemTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int item = 0; item < combo->count(); ++item)
        texts << combo->itemText(item);
    return texts;
}

} // namespace

Tfunc::Tfunc(FunctionSettings &settings, QWidget *parent) : QWidget(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("func"));
    setWindowTitle(QStringLiteral("功能选项"));
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    resize(624, 420);

    ScrollBox = named(new QScrollArea(this), "ScrollBox");
    ScrollBox->setFrameShape(QFrame::NoFrame);
    // Tab goes from list to list, not to the scrolled area itself.
    ScrollBox->setFocusPolicy(Qt::NoFocus);
    ScrollBox->setWidget(buildPanel());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ScrollBox);

    connect(&m_settings, &FunctionSettings::changed, this, &Tfunc::refresh);
    refresh();
}

QWidget *Tfunc::buildPanel()
{
    // The scrolled area: the panel with a margin of 8 on every side.
    auto *area = new QWidget;
    area->setFixedSize(8 + 600 + 8, 8 + 370 + 8);

    Panel1 = named(new QFrame(area), "Panel1");
    Panel1->setGeometry(8, 8, 600, 370);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken); // lowered outer, raised inner bevel

    // Left column, top to bottom.
    Label1 = caption("Label1", "APO", Panel1, kCaptionX, 20, 92);
    ComboBox1 = makeList(FunctionSettings::APO, Panel1, kListX, 20, kListWidth);
    Label2 = caption("Label2", "静噪等级", Panel1, kCaptionX, 52, 92);
    ComboBox2 = makeList(FunctionSettings::Squelch, Panel1, kListX, 52, kListWidth);
    Label4 = caption("Label4", "扫描恢复模式", Panel1, kCaptionX, 84, 92);
    ComboBox4 = makeList(FunctionSettings::ScanKind, Panel1, kListX, 84, kListWidth);
    Label5 = caption("Label5", "超时禁止发射", Panel1, kCaptionX, 116, 92);
    ComboBox5 = makeList(FunctionSettings::TOT, Panel1, kListX, 116, kListWidth);
    Label16 = caption("Label16", "音量等级", Panel1, kCaptionX, 148, 92);
    ComboBox15 = makeList(FunctionSettings::Volume, Panel1, kListX, 148, kListWidth);
    Label3 = caption("Label3", "语音通知", Panel1, kCaptionX, 180, 92);
    ComboBox3 = makeList(FunctionSettings::Beep, Panel1, kListX, 180, kListWidth);

    // The VOX group; its lists line up with the left column's.
    GroupBox1 = named(new QGroupBox(QStringLiteral("VOX"), Panel1), "GroupBox1");
    GroupBox1->setGeometry(16, 212, 225, 140);
    const int groupListX = kListX - GroupBox1->x();
    Label6 = caption("Label6", "VOX灵敏度", GroupBox1, 12, 28, 80);
    ComboBox6 = makeList(FunctionSettings::VoxSQL, GroupBox1, groupListX, 28, kListWidth);
    Label7 = caption("Label7", "VOX迟时", GroupBox1, 12, 64, 80);
    ComboBox7 = makeList(FunctionSettings::VoxDelay, GroupBox1, groupListX, 64, kListWidth);
    CheckBox4 =
        makeCheck(FunctionSettings::VoxRX, QStringLiteral("接收禁止VOX"), GroupBox1, 12, 100, 120);

    // Second column.
    CheckBox1 = makeCheck(FunctionSettings::OpenBeep, QStringLiteral("开机提示音"), Panel1,
                          kCheckColumnX, 20, 110);
    CheckBox2 = makeCheck(FunctionSettings::TxOver, QStringLiteral("结束提示音"), Panel1,
                          kCheckColumnX, 52, 110);
    CheckBox3 = makeCheck(FunctionSettings::BatBeep, QStringLiteral("低电压提示音"), Panel1,
                          kCheckColumnX, 84, 110);
    CheckBox5 = makeCheck(FunctionSettings::Save, QStringLiteral("电池省电"), Panel1, kCheckColumnX,
                          116, 110);
    // The frequency step is only read by the channel editor's automatic add.
    Label11 = caption("Label11", "频率步进", Panel1, kCheckColumnX, 148, 110);
    ComboBox10 = makeList(FunctionSettings::Step, Panel1, kCheckColumnX, 172, kListWidth);

    // Side keys: the long-press time, the P1 and P2 lists, and below the
    // group's visible area the P3 lists, which the user never sees.
    GroupBox2 = named(new QGroupBox(QStringLiteral("侧键设定"), Panel1), "GroupBox2");
    GroupBox2->setGeometry(352, 16, 233, 196);
    Label10 = caption("Label10", "长键时间(秒)", GroupBox2, kKeyCaptionX, 26, 96);
    Edit1 = named(new QLineEdit(GroupBox2), "Edit1");
    Edit1->setGeometry(112, 26, 40, kRowHeight);
    // Read-only: the user never types here. No length limit, because Qt would
    // also cut a text set by the program ("12.3" from a damaged file).
    Edit1->setReadOnly(true);
    UpDown1 = named(new UpDownButtons(GroupBox2), "UpDown1");
    UpDown1->setGeometry(152, 26, 16, kRowHeight);
    connect(UpDown1, &UpDownButtons::clicked, this, [this](int delta) {
        runCommand([this, delta] { m_settings.stepKeyTime(delta); });
        record(Label10);
    });

    Label8 = caption("Label8", "P1长键", GroupBox2, kKeyCaptionX, 62, 72);
    ComboBox8 = makeList(FunctionSettings::LongKey0, GroupBox2, kKeyListX, 62, kKeyListWidth);
    Label12 = caption("Label12", "P2长键", GroupBox2, kKeyCaptionX, 98, 72);
    ComboBox11 = makeList(FunctionSettings::LongKey1, GroupBox2, kKeyListX, 98, kKeyListWidth);
    Label9 = caption("Label9", "P1短键", GroupBox2, kKeyCaptionX, 134, 72);
    ComboBox9 = makeList(FunctionSettings::ShortKey0, GroupBox2, kKeyListX, 134, kKeyListWidth);
    Label13 = caption("Label13", "P2短键", GroupBox2, kKeyCaptionX, 166, 72);
    ComboBox12 = makeList(FunctionSettings::ShortKey1, GroupBox2, kKeyListX, 166, kKeyListWidth);
    Label14 = caption("Label14", "P3长键", GroupBox2, kKeyCaptionX, 204, 72);
    ComboBox13 = makeList(FunctionSettings::LongKey2, GroupBox2, kKeyListX, 204, kKeyListWidth);
    Label15 = caption("Label15", "P3短键", GroupBox2, kKeyCaptionX, 236, 72);
    ComboBox14 = makeList(FunctionSettings::ShortKey2, GroupBox2, kKeyListX, 236, kKeyListWidth);

    // The frequency step and the short-press lists are never shown. The P3
    // lists lie out of sight; hidden as well, neither Tab nor any other input
    // reaches them.
    for (QWidget *hidden :
         std::initializer_list<QWidget *>{Label11, ComboBox10, Label9, ComboBox9, Label13,
                                          ComboBox12, Label14, ComboBox13, Label15, ComboBox14})
        hidden->hide();
    return area;
}

QComboBox *Tfunc::makeList(FunctionSettings::List list, QWidget *parent, int x, int y, int width)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(FunctionSettings::controlName(list));
    combo->setEditable(false);
    combo->setGeometry(x, y, width, kRowHeight);
    WheelGuard::takeWheelOnlyWithFocus(combo);
    // Only a choice the user makes in the list runs the list's rules.
    connect(combo, &QComboBox::activated, this, [this, list](int index) {
        runCommand([this, list, index] { m_settings.chooseIndex(list, index); });
        record(listCaption(list));
    });
    m_lists[list] = combo;
    return combo;
}

QCheckBox *Tfunc::makeCheck(FunctionSettings::Check check, const QString &caption, QWidget *parent,
                            int x, int y, int width)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(FunctionSettings::controlName(check));
    box->setGeometry(x, y, width, kRowHeight);
    connect(box, &QCheckBox::clicked, this, [this, check](bool checked) {
        runCommand([this, check, checked] { m_settings.setChecked(check, checked); });
        record(m_checks[check]);
    });
    m_checks[check] = box;
    return box;
}

void Tfunc::refresh()
{
    for (int list = 0; list < FunctionSettings::ListCount; ++list) {
        const auto setting = FunctionSettings::List(list);
        QComboBox *combo = m_lists[list];
        const QSignalBlocker blocker(combo);
        const QStringList &items = m_settings.items(setting);
        if (itemTexts(combo) != items) {
            combo->clear();
            combo->addItems(items);
        }
        combo->setCurrentIndex(m_settings.index(setting));
        combo->setEnabled(m_settings.isEnabled(setting));
    }
    for (int check = 0; check < FunctionSettings::CheckCount; ++check) {
        const QSignalBlocker blocker(m_checks[check]);
        m_checks[check]->setChecked(m_settings.isChecked(FunctionSettings::Check(check)));
    }
    const QSignalBlocker blocker(Edit1);
    Edit1->setText(m_settings.keyTimeText());
}

void Tfunc::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 20);
    const std::pair<QLabel *, int> labels[] = {
        {Label1, 81},  {Label2, 38},   {Label3, 44},   {Label4, 43},  {Label5, 40},
        {Label6, 45},  {Label7, 46},   {Label8, 162},  {Label9, 149}, {Label10, 152},
        {Label11, 83}, {Label12, 163}, {Label13, 151}, {Label14, 85}, {Label16, 169}};
    for (const auto &[label, entry] : labels)
        applyText(label, table, entry);
    const int checkEntries[FunctionSettings::CheckCount] = {153, 154, 155, 39, 47};
    for (int check = 0; check < FunctionSettings::CheckCount; ++check)
        applyText(m_checks[check], table, checkEntries[check]);
    applyTitle(GroupBox2, table, 100);
}

void Tfunc::FormDeactivate()
{
    // The error box itself takes the activation away again; one box at a time.
    if (m_deactivating)
        return;
    m_deactivating = true;
    runCommand([this] { m_settings.normaliseKeyTimeText(); });
    m_deactivating = false;
}

const QLabel *Tfunc::listCaption(FunctionSettings::List list) const
{
    using FS = FunctionSettings;
    const std::pair<FS::List, const QLabel *> captions[] = {
        {FS::APO, Label1},       {FS::Squelch, Label2},    {FS::Beep, Label3},
        {FS::ScanKind, Label4},  {FS::TOT, Label5},        {FS::VoxSQL, Label6},
        {FS::VoxDelay, Label7},  {FS::LongKey0, Label8},   {FS::ShortKey0, Label9},
        {FS::Step, Label11},     {FS::LongKey1, Label12},  {FS::ShortKey1, Label13},
        {FS::LongKey2, Label14}, {FS::ShortKey2, Label15}, {FS::Volume, Label16}};
    for (const auto &[setting, label] : captions) {
        if (setting == list)
            return label;
    }
    return nullptr;
}

void Tfunc::record(const QWidget *control)
{
    if (!m_history)
        return;
    m_history->commit([control] {
        QString caption;
        if (const auto *label = qobject_cast<const QLabel *>(control))
            caption = label->text();
        else if (const auto *box = qobject_cast<const QCheckBox *>(control))
            caption = box->text();
        return caption.remove(QLatin1Char('&'));
    });
}

void Tfunc::runCommand(const std::function<void()> &command)
{
    ErrorBox::run(this, command);
}
