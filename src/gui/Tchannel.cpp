#include "gui/Tchannel.h"

#include "core/base/LocaleNumber.h"
#include "core/channels/ChannelTable.h"
#include "core/channels/EditorKeyRules.h"
#include "core/channels/ToneList.h"
#include "core/editing/ChannelRows.h"
#include "core/editing/EditHistory.h"
#include "core/workspace/Workspace.h"
#include "gui/ApplyText.h"
#include "gui/ChannelGrid.h"
#include "gui/ErrorBox.h"
#include "gui/TypedKey.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The editor's own visibility, whether or not the window is shown.
bool shown(const QWidget *editor)
{
    return !editor->isHidden();
}

bool isFrequencyColumn(int column)
{
    return column == ChannelTable::RxFrequency || column == ChannelTable::TxFrequency;
}

QStringList itemTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int item = 0; item < combo->count(); ++item)
        texts << combo->itemText(item);
    return texts;
}

// Losing the focus to the list's own drop-down (which takes it twice: as a
// popup, then for its item view) or to another top-level window (an error
// box) is not leaving the editor.
bool leavesEditor(const QComboBox *editor, const QEvent *event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent *>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    const QWidget *dropDown = editor->view()->window();
    const QWidget *now = QApplication::focusWidget();
    return !(now && (now == dropDown || dropDown->isAncestorOf(now)));
}

} // namespace

Tchannel::Tchannel(Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_table(workspace.channels())
{
    setObjectName(QStringLiteral("channel"));
    setWindowTitle(QStringLiteral("信道编辑"));
    resize(750, 480);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    setFont(windowFont);

    // The designed surface keeps its size; the window scrolls over it.
    auto *surface = new QWidget;
    surface->setObjectName(QStringLiteral("surface"));
    surface->setFixedSize(742, 446);
    StringGrid1 = new ChannelGrid(m_table, surface);
    StringGrid1->setGeometry(8, 8, 727, 360);
    buildPanel(surface);
    // Created after the grid, so they lie on top of it.
    buildEditors(surface);

    Timer1 = named(new QTimer(this), "Timer1");

    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes from control to control, not to the scrolled area itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(surface);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    connect(StringGrid1, &ChannelGrid::cellAboutToBeSelected, this,
            &Tchannel::StringGrid1SelectCell);
    connect(StringGrid1, &ChannelGrid::cellClicked, this, &Tchannel::StringGrid1Click);
    connect(StringGrid1, &ChannelGrid::keyDown, this, &Tchannel::StringGrid1KeyDown);
    connect(StringGrid1, &ChannelGrid::keyTyped, this, &Tchannel::StringGrid1KeyPress);
    connect(StringGrid1, &ChannelGrid::wheelTurned, this, &Tchannel::StringGrid1MouseWheelDown);
    connect(StringGrid1, &ChannelGrid::cellsDrawn, this, &Tchannel::StringGrid1DrawCell);
    connect(StringGrid1, &ChannelGrid::rowsSelected, this, &Tchannel::StringGrid1SelectRows);
    connect(Timer1, &QTimer::timeout, this, &Tchannel::Timer1Timer);
    connect(Button2, &QPushButton::clicked, this, &Tchannel::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tchannel::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tchannel::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Tchannel::Button5Click);
    Button1->installEventFilter(this);
}

void Tchannel::buildPanel(QWidget *surface)
{
    Panel1 = named(new QFrame(surface), "Panel1");
    Panel1->setGeometry(8, 380, 726, 58);
    // A lowered outer and a raised inner bevel.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    const auto button = [this](const char *name, const char *caption, int x, int width) {
        auto *b = named(new QPushButton(QString::fromUtf8(caption), Panel1), name);
        b->setGeometry(x, 16, width, 25);
        return b;
    };
    Button1 = button("Button1", "自动添加", 25, 81);
    Button2 = button("Button2", "全部删除", 368, 73);
    Button3 = button("Button3", "信道上移", 465, 65);
    Button4 = button("Button4", "信道下移", 553, 65);
    Button5 = button("Button5", "信道删除", 640, 65);
}

void Tchannel::buildEditors(QWidget *surface)
{
    const LanguageTexts &words = m_workspace.texts();

    Edit1 = named(new QLineEdit(surface), "Edit1");
    Edit1->resize(70, 21);
    Edit1->setMaxLength(9);
    // Only typed keys reach the cell: no pasting from a menu or by dropping.
    Edit1->setContextMenuPolicy(Qt::NoContextMenu);
    Edit1->setAcceptDrops(false);

    ComboBox1 = named(new QComboBox(surface), "ComboBox1");
    ComboBox1->resize(71, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    // The editor completes typed text itself, by the tone list's own rule.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->addItems(ToneList::entries(words.offWord));
    ComboBox1->lineEdit()->setMaxLength(5);
    ComboBox1->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    ComboBox1->lineEdit()->setAcceptDrops(false);

    ComboBox2 = named(new QComboBox(surface), "ComboBox2");
    ComboBox2->resize(58, 21);
    ComboBox2->addItems({words.offWord, words.companderWord, words.scramblerWord});

    // The wheel gives neither list the focus; over an editor it acts as over
    // the grid (see the event filter).
    ComboBox1->setFocusPolicy(Qt::StrongFocus);
    ComboBox2->setFocusPolicy(Qt::StrongFocus);
    for (QWidget *editor : {static_cast<QWidget *>(Edit1), static_cast<QWidget *>(ComboBox1),
                            static_cast<QWidget *>(ComboBox2)}) {
        editor->hide();
        editor->installEventFilter(this);
    }
    ComboBox1->lineEdit()->installEventFilter(this);
    // The two text editors take plain keys only: an input method would
    // commit its text without the key rules seeing it.
    for (QWidget *typed : {static_cast<QWidget *>(Edit1), static_cast<QWidget *>(ComboBox1),
                           static_cast<QWidget *>(ComboBox1->lineEdit())})
        typed->setAttribute(Qt::WA_InputMethodEnabled, false);
    // Choices from the drop-down lists; typed keys come through the filter.
    // A choice from a list is complete at once; typed tones when the editor
    // is left.
    connect(ComboBox1, &QComboBox::activated, this, [this] {
        ComboBox1Change();
        recordCell(m_table.currentColumn(), m_table.currentRow());
    });
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &Tchannel::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, [this] {
        ComboBox2Change();
        recordCell(ChannelTable::Privacy, m_table.currentRow());
    });
}

void Tchannel::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 19);
    const std::pair<QPushButton *, int> buttons[] = {
        {Button1, 161}, {Button2, 96}, {Button3, 65}, {Button4, 66}, {Button5, 67}};
    for (const auto &[button, entry] : buttons)
        applyText(button, table, entry);

    const LanguageTexts &words = m_workspace.texts();
    {
        const QSignalBlocker blocker(ComboBox2);
        const int selected = ComboBox2->currentIndex();
        ComboBox2->clear();
        ComboBox2->addItems({words.offWord, words.companderWord, words.scramblerWord});
        ComboBox2->setCurrentIndex(selected);
    }
    {
        // Renaming the current item would rewrite the typed text; it is put back.
        const QSignalBlocker blocker(ComboBox1);
        const QString typed = ComboBox1->currentText();
        ComboBox1->setItemText(0, words.offWord);
        ComboBox1->setEditText(typed);
    }
}

void Tchannel::FormDeactivate()
{
    hideOverlayEditors();
}

bool Tchannel::isFrequencyEditorVisible() const
{
    return shown(Edit1);
}

void Tchannel::hideFrequencyEditor()
{
    Edit1->hide();
}

void Tchannel::hideOverlayEditors()
{
    Edit1->hide();
    ComboBox1->hide();
    ComboBox2->hide();
}

bool Tchannel::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::InputMethod && (watched == Edit1 || watched == ComboBox1))
        return true;
    // An editor lies over its cell: the wheel there moves the grid's
    // selection, never the editor's choice.
    if (type == QEvent::Wheel &&
        (watched == Edit1 || watched == ComboBox1 || watched == ComboBox2)) {
        passWheelToGrid(static_cast<const QWheelEvent *>(event));
        return true;
    }
    if (watched == ComboBox1->lineEdit()) {
        // The first click into the tone editor selects its whole text, so
        // that what is typed next replaces it.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
            m_selectToneOnClick) {
            m_selectToneOnClick = false;
            ComboBox1->lineEdit()->selectAll();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched == Edit1) {
        if (type == QEvent::KeyPress)
            return Edit1KeyPress(static_cast<const QKeyEvent *>(event));
        if (type == QEvent::KeyRelease)
            Edit1KeyUp();
        // Only typed keys reach the cell; a paste with the middle button
        // would bring any text.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
            static_cast<const QMouseEvent *>(event)->button() == Qt::MiddleButton)
            return true;
    } else if (watched == ComboBox1) {
        if (type == QEvent::KeyPress)
            return ComboBox1KeyPress(static_cast<const QKeyEvent *>(event));
        // The focus comes by a click before the click itself arrives.
        if (type == QEvent::FocusIn)
            m_selectToneOnClick =
                static_cast<const QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        if (type == QEvent::MouseButtonPress)
            m_selectToneOnClick = false;
        if (type == QEvent::FocusOut && leavesEditor(ComboBox1, event))
            ComboBox1Exit();
    } else if (watched == ComboBox2) {
        if (type == QEvent::FocusOut && leavesEditor(ComboBox2, event))
            ComboBox2Exit();
    } else if (watched == Button1) {
        // Any mouse button. A press whose add failed is kept from the button:
        // its release went to the error box, and the button would stay down.
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            return !Button1MouseDown();
        if (type == QEvent::MouseButtonRelease)
            Button1MouseUp();
    }
    return QWidget::eventFilter(watched, event);
}

// Grid ------------------------------------------------------------------------

// The selection is about to leave the current cell (or the cell is clicked
// again): the cell is committed. The move goes ahead even when that fails.
void Tchannel::StringGrid1SelectCell()
{
    const int column = m_table.currentColumn();
    const int row = m_table.currentRow();
    runCommand([this] { m_table.sendallcell(); });
    recordCell(column, row);
}

void Tchannel::StringGrid1SelectRows(int row)
{
    StringGrid1SelectCell();
    hideOverlayEditors();
    const int column = m_table.currentColumn();
    m_table.setCurrentCell(column, row);
    // The grid's current cell moves without a click: nothing flips or opens.
    StringGrid1->setCurrentIndex(m_table.index(row, column));
}

void Tchannel::StringGrid1Click()
{
    hideOverlayEditors();
    m_table.setCurrentCell(StringGrid1->selectedColumn(), StringGrid1->selectedRow());
    const int column = m_table.currentColumn();
    const int row = m_table.currentRow();
    const QString text = m_table.cell(column, row);
    const bool inUse = m_table.isInUse(row);

    if (column == ChannelTable::RxFrequency || (column == ChannelTable::TxFrequency && inUse)) {
        placeEditor(Edit1, column, row);
        Edit1->setText(text);
    } else if (!inUse) {
        return;
    } else if (column == ChannelTable::RxTone || column == ChannelTable::TxTone) {
        placeEditor(ComboBox1, column, row);
        const int item = ComboBox1->findText(text);
        if (item >= 0) {
            ComboBox1->setCurrentIndex(item);
            ComboBox1->setEditText(text);
        }
        // Typing replaces the text shown.
        ComboBox1->lineEdit()->selectAll();
    } else if (ChannelTable::isTwoStateColumn(column)) {
        if (m_suppressToggle) {
            m_suppressToggle = false;
        } else {
            m_table.toggleCell(column, row);
            recordCell(column, row);
        }
    } else if (column == ChannelTable::Privacy) {
        placeEditor(ComboBox2, column, row);
        ComboBox2->setCurrentIndex(ComboBox2->findText(text));
    }
}

void Tchannel::StringGrid1KeyDown(int key)
{
    const int column = m_table.currentColumn();
    const int row = m_table.currentRow();
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        m_suppressToggle = true;
        break;
    case Qt::Key_Delete:
        if (!StringGrid1->selectedRows().isEmpty()) {
            hideOverlayEditors();
            for (const int selected : StringGrid1->selectedRows())
                m_table.clearChannel(selected);
            record(Button5);
        } else if (row > 0) {
            hideOverlayEditors();
            m_table.clearChannel(row);
            record(Button5);
        }
        break;
    case Qt::Key_Backspace:
        // A complete frequency is erased at once; typing starts afresh.
        if (isFrequencyColumn(column) && m_table.cell(column, row).size() == 9) {
            m_table.setCell(column, row, QString());
            Edit1->clear();
            Edit1->setCursorPosition(1);
        }
        break;
    default:
        break;
    }
}

void Tchannel::StringGrid1KeyPress(QChar key)
{
    const int row = m_table.currentRow();
    const int column = m_table.currentColumn();
    if (!(column == ChannelTable::RxFrequency ||
          (column == ChannelTable::TxFrequency && m_table.isInUse(row))))
        return;
    const int gridColumn = StringGrid1->selectedColumn();
    const int gridRow = StringGrid1->selectedRow();
    if (key == EditorKeyRules::Enter) {
        if (!m_table.isInUse(row)) {
            m_table.clearChannel(row);
        } else if (shown(Edit1)) {
            Edit1->setFocus();
        } else {
            placeEditor(Edit1, gridColumn, gridRow);
            Edit1->setText(m_table.cell(gridColumn, gridRow));
        }
    } else if (key >= u'0' && key <= u'9') {
        // Typing on the grid starts a fresh frequency in the editor.
        if (!shown(Edit1))
            placeEditor(Edit1, gridColumn, gridRow);
        Edit1->setText(key);
        Edit1->setFocus();
        Edit1->setCursorPosition(1);
    }
}

void Tchannel::passWheelToGrid(const QWheelEvent *event)
{
    QWidget *viewport = StringGrid1->viewport();
    const QPointF global = event->globalPosition();
    QWheelEvent onGrid(viewport->mapFromGlobal(global), global, event->pixelDelta(),
                       event->angleDelta(), event->buttons(), event->modifiers(), event->phase(),
                       event->inverted(), event->source());
    QCoreApplication::sendEvent(viewport, &onGrid);
}

void Tchannel::StringGrid1MouseWheelDown()
{
    if (m_table.currentColumn() > ChannelTable::TxTone)
        m_suppressToggle = true;
}

// An editor whose cell has moved away from under it (rows swapped, grid
// scrolled) is closed.
void Tchannel::StringGrid1DrawCell()
{
    const int column = m_table.currentColumn();
    const int row = m_table.currentRow();
    for (QWidget *editor : {static_cast<QWidget *>(ComboBox2), static_cast<QWidget *>(ComboBox1),
                            static_cast<QWidget *>(Edit1)}) {
        if (shown(editor) && editor->y() != editorPosition(editor, column, row).y())
            editor->hide();
    }
}

// Overlay editors ---------------------------------------------------------------

// The editors lie exactly over their cell: the frequency editor's top-left
// corner on the cell's top-left pixel, the two lists one pixel further left so
// that their frame covers the grid line before the cell. Each is one pixel
// taller than the cell and covers the grid line below it. In the grid's client
// coordinates that is left + 9 (frequency editor) or + 8 (lists) and top + 9,
// since the grid stands at (8, 8) and its frame is one pixel wide.
QPoint Tchannel::editorPosition(const QWidget *editor, int column, int row) const
{
    const QRect cell = StringGrid1->visualRect(m_table.index(row, column));
    const QPoint topLeft = StringGrid1->viewport()->mapTo(editor->parentWidget(), cell.topLeft());
    return editor == Edit1 ? topLeft : topLeft - QPoint(1, 0);
}

void Tchannel::placeEditor(QWidget *editor, int column, int row)
{
    editor->move(editorPosition(editor, column, row));
    editor->show();
    editor->raise();
}

bool Tchannel::Edit1KeyPress(const QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste))
        return true;
    const QChar key = typedKey(event);
    if (key.isNull())
        return false;
    using EditorKeyRules::FrequencyKey;
    switch (EditorKeyRules::frequencyKey(Edit1->text(), key, LocaleNumber::decimalSeparator())) {
    case FrequencyKey::Accept:
        return false;
    case FrequencyKey::Commit:
        Edit1->hide();
        StringGrid1->setFocus();
        runCommand([this] { m_table.sendallcell(); });
        recordCell(m_table.currentColumn(), m_table.currentRow());
        return true;
    case FrequencyKey::Discard:
        break;
    }
    return true;
}

// The cell always shows what is being typed; it is normalised at the commit.
void Tchannel::Edit1KeyUp()
{
    m_table.setCell(m_table.currentColumn(), m_table.currentRow(), Edit1->text());
}

bool Tchannel::ComboBox1KeyPress(const QKeyEvent *event)
{
    const QChar typed = typedKey(event);
    if (typed.isNull())
        return false;
    QLineEdit *edit = ComboBox1->lineEdit();
    {
        // Changes made here are followed by one text-change handling below.
        const QSignalBlocker blocker(edit);
        // Backspace on the OFF word starts afresh. "禁用" is the OFF word of
        // both Chinese languages; the current OFF word covers English too.
        const QString text = edit->text();
        if (typed == EditorKeyRules::Backspace &&
            (text == QStringLiteral("禁用") || text == ComboBox1->itemText(0)))
            edit->clear();
        const QChar key = EditorKeyRules::toneKey(typed);
        if (key.isNull())
            return true;
        if (key == EditorKeyRules::Enter) {
            ComboBox1->hide();
            StringGrid1->setFocus();
            recordCell(m_table.currentColumn(), m_table.currentRow());
            return true;
        }
        if (key == EditorKeyRules::Backspace)
            edit->backspace();
        else
            completeTone(key);
    }
    ComboBox1Change();
    return true;
}

// The text as the key leaves it is looked up as the beginning of a list entry;
// the first such entry is shown with its completed part selected, so that the
// next key replaces it. Text that begins no entry takes the key as typed.
void Tchannel::completeTone(QChar key)
{
    QLineEdit *edit = ComboBox1->lineEdit();
    const QString text = edit->text();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const QString typed =
        text.left(start) + key + text.mid(start + int(edit->selectedText().size()));
    const int found = EditorKeyRules::toneCompletion(itemTexts(ComboBox1), typed);
    if (found < 0 || typed.size() > edit->maxLength()) {
        edit->insert(QString(key));
        return;
    }
    const QString entry = ComboBox1->itemText(found);
    ComboBox1->setCurrentIndex(found);
    edit->setText(entry);
    edit->setSelection(int(typed.size()), int(entry.size() - typed.size()));
}

// The cell holds the OFF word or a whole list entry, never a part of one.
void Tchannel::ComboBox1Change()
{
    QLineEdit *edit = ComboBox1->lineEdit();
    if (edit->text().isEmpty()) {
        ComboBox1->setCurrentIndex(0);
        edit->setText(ComboBox1->itemText(0));
        edit->selectAll();
    }
    const QString text = edit->text();
    const bool listed = ComboBox1->findText(text) >= 0;
    m_table.setCell(m_table.currentColumn(), m_table.currentRow(),
                    listed ? text : ComboBox1->itemText(0));
}

void Tchannel::ComboBox1Exit()
{
    ComboBox1->hide();
    recordCell(m_table.currentColumn(), m_table.currentRow());
}

void Tchannel::ComboBox2Change()
{
    m_table.setCell(ChannelTable::Privacy, m_table.currentRow(), ComboBox2->currentText());
}

void Tchannel::ComboBox2Exit()
{
    ComboBox2->hide();
}

// Buttons ---------------------------------------------------------------------

int Tchannel::stepIndex() const
{
    return m_workspace.functions().index(FunctionSettings::Step);
}

void Tchannel::loadFrequencyEditor()
{
    if (isFrequencyColumn(m_table.currentColumn()))
        Edit1->setText(m_table.cell(m_table.currentColumn(), m_table.currentRow()));
}

void Tchannel::record(const QPushButton *button)
{
    if (m_history)
        m_history->commit([button] { return QString(button->text()).remove(QLatin1Char('&')); });
}

void Tchannel::record(QString LanguageTexts::*text)
{
    if (m_history)
        m_history->commit([this, text] { return m_workspace.texts().*text; });
}

void Tchannel::recordCell(int column, int row)
{
    // A command that moves the selection itself is one step of its own.
    if (m_history && row > 0 && !m_inCommand)
        m_history->commitCell(column, row);
}

bool Tchannel::runCommand(const std::function<void()> &command)
{
    // The automatic add stops before the box is shown, so that no tick runs
    // behind it and the add ends at its first failure.
    return ErrorBox::run(this, [&] {
        try {
            command();
        } catch (...) {
            Timer1->stop();
            throw;
        }
    });
}

// Automatic add: one channel on the press, one more after a second, then one
// every 200 ms until the button is let go or the last row is filled.
bool Tchannel::Button1MouseDown()
{
    m_suppressToggle = true;
    Timer1->setInterval(1000);
    Timer1->start();
    m_inCommand = true;
    const bool completed = runCommand([this] {
        if (m_table.autoAddPress(stepIndex()))
            StringGrid1->selectCell(m_table.currentColumn(), m_table.currentRow());
        loadFrequencyEditor();
    });
    m_inCommand = false;
    record(Button1);
    return completed;
}

void Tchannel::Button1MouseUp()
{
    Timer1->stop();
}

void Tchannel::Timer1Timer()
{
    m_suppressToggle = true;
    Timer1->setInterval(200);
    m_inCommand = true;
    runCommand([this] {
        if (!m_table.autoAddTick(stepIndex()))
            return;
        StringGrid1->selectCell(m_table.currentColumn(), m_table.currentRow());
        loadFrequencyEditor();
    });
    m_inCommand = false;
    record(Button1);
}

void Tchannel::Button2Click()
{
    QMessageBox question(QMessageBox::Warning, QStringLiteral("警告"),
                         QStringLiteral("删除所有信道!"), QMessageBox::Yes | QMessageBox::No, this);
    if (question.exec() != QMessageBox::Yes)
        return;
    hideOverlayEditors();
    m_table.clearAllChannels();
    record(Button2);
}

// The moved channel stays the current one, and the grid's selection moves
// with it, so that what is highlighted is what the next command acts on and
// pressing again moves the same channel further. The selection moves as by
// program elsewhere, as a click, with a two-state cell kept from flipping.
void Tchannel::moveChannel(int offset)
{
    m_inCommand = true;
    runCommand([this, offset] {
        if (m_table.moveCurrentChannel(offset)) {
            const int column = m_table.currentColumn();
            if (ChannelTable::isTwoStateColumn(column))
                m_suppressToggle = true;
            StringGrid1->selectCell(column, m_table.currentRow());
        }
        loadFrequencyEditor();
    });
    m_inCommand = false;
    record(offset < 0 ? Button3 : Button4);
}

void Tchannel::Button3Click()
{
    moveChannel(-1);
}

void Tchannel::Button4Click()
{
    moveChannel(+1);
}

void Tchannel::Button5Click()
{
    const int row = m_table.currentRow();
    if (row <= 0)
        return;
    m_table.clearChannel(row);
    hideOverlayEditors();
    record(Button5);
}

// Clipboard ---------------------------------------------------------------------

QList<int> Tchannel::chosenRows() const
{
    QList<int> rows = StringGrid1->selectedRows();
    if (rows.isEmpty() && m_table.currentRow() >= 1)
        rows << m_table.currentRow();
    return rows;
}

void Tchannel::copyChannels()
{
    QGuiApplication::clipboard()->setText(ChannelRows::copyText(m_table, chosenRows()));
}

void Tchannel::cutChannels()
{
    const QList<int> rows = chosenRows();
    if (rows.isEmpty())
        return;
    copyChannels();
    hideOverlayEditors();
    for (const int row : rows)
        m_table.clearChannel(row);
    record(&LanguageTexts::cutText);
}

void Tchannel::pasteChannels()
{
    const QList<int> rows = chosenRows();
    const int first = rows.isEmpty() ? 1 : rows.first();
    // The problems in the interface language, the columns named as the
    // grid's header row names them.
    ChannelRows::PasteTexts messages{m_workspace.texts().paste, QStringList()};
    for (int column = 0; column < ChannelTable::ColumnCount; ++column) {
        const QString header = m_table.cell(column, 0);
        messages.columnNames << (header.isEmpty()
                                     ? ChannelRows::PasteTexts::english().columnNames.value(column)
                                     : header);
    }
    const ChannelRows::Paste paste = ChannelRows::read(
        QGuiApplication::clipboard()->text(), m_workspace.texts(), m_workspace.bands(), messages);
    const int last = ChannelRows::apply(paste, m_table, first, messages);
    hideOverlayEditors();
    record(&LanguageTexts::pasteText);
    // The pasted channels stay selected, the first of them current.
    m_table.setCurrentCell(m_table.currentColumn(), first);
    StringGrid1->setCurrentIndex(m_table.index(first, m_table.currentColumn()));
    StringGrid1->selectRows(first, last);
}

void Tchannel::showStep(int column, int row)
{
    hideOverlayEditors();
    if (column < 1 || row < 1)
        return;
    StringGrid1->clearRowSelection();
    m_table.setCurrentCell(column, row);
    const QModelIndex cell = m_table.index(row, column);
    StringGrid1->setCurrentIndex(cell);
    StringGrid1->scrollTo(cell);
}
