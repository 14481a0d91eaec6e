#include "core/editing/EditHistory.h"

#include "core/base/LanguageTexts.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"

#include <QUndoCommand>

namespace
{

// Words of no language: a cell word compared through them means the same in
// every interface language.
const LanguageTexts &neutralWords()
{
    static const LanguageTexts words = [] {
        LanguageTexts t;
        t.offWord = QStringLiteral("\x01off");
        t.onWord = QStringLiteral("\x01on");
        t.highWord = QStringLiteral("\x01high");
        t.lowWord = QStringLiteral("\x01low");
        t.wideWord = QStringLiteral("\x01wide");
        t.narrowWord = QStringLiteral("\x01narrow");
        t.companderWord = QStringLiteral("\x01compander");
        t.scramblerWord = QStringLiteral("\x01scrambler");
        return t;
    }();
    return words;
}

QString neutralCell(int column, const QString &text)
{
    if (column < ChannelTable::RxTone || column == ChannelTable::TxFrequency)
        return text;
    const QString word = LanguageSwitch::channelWord(column, text, neutralWords());
    return word.isEmpty() ? text : word;
}

// The same configuration, whatever language its words are in: the channels
// and settings, the model and the band; not the header row, the caption or
// the interface language.
bool sameConfiguration(const EditHistory::Snapshot &a, const EditHistory::Snapshot &b)
{
    if (a.functions != b.functions || a.modelIndex != b.modelIndex || a.bandIndex != b.bandIndex)
        return false;
    for (int row = 1; row < ChannelTable::RowCount; ++row) {
        for (int column = 1; column < ChannelTable::ColumnCount; ++column) {
            const QString &x = a.cells[row][column];
            const QString &y = b.cells[row][column];
            if (x != y && neutralCell(column, x) != neutralCell(column, y))
                return false;
        }
    }
    return true;
}

} // namespace

bool EditHistory::Snapshot::operator==(const Snapshot &other) const
{
    return cells == other.cells && functions == other.functions && modelIndex == other.modelIndex &&
           caption == other.caption && bandIndex == other.bandIndex && language == other.language;
}

// One step: the configuration before and after it, and the cell it was made in.
class EditHistory::Step : public QUndoCommand
{
public:
    Step(EditHistory &history, StepName name, Snapshot before, Snapshot after, int column, int row)
        : QUndoCommand(name()), m_history(history), m_name(std::move(name)),
          m_before(std::move(before)), m_after(std::move(after)), m_column(column), m_row(row)
    {
    }

    void retranslate() { setText(m_name()); }

    void undo() override { m_history.applyStep(m_before, m_column, m_row); }
    // Pushing a step redoes it: the configuration already is as it left it.
    void redo() override
    {
        if (m_pushed)
            m_history.applyStep(m_after, m_column, m_row);
        m_pushed = true;
    }

private:
    EditHistory &m_history;
    const StepName m_name;
    const Snapshot m_before;
    const Snapshot m_after;
    const int m_column;
    const int m_row;
    bool m_pushed = false;
};

EditHistory::EditHistory(Workspace &workspace, QObject *parent)
    : QObject(parent), m_workspace(workspace)
{
    m_last = m_saved = capture();
    // A change under way shows as unsaved at once.
    connect(&m_workspace.channels(), &ChannelTable::dataChanged, this, &EditHistory::checkModified);
    connect(&m_workspace.functions(), &FunctionSettings::changed, this,
            &EditHistory::checkModified);
    connect(&m_workspace, &Workspace::modelChanged, this, &EditHistory::checkModified);
    connect(&m_stack, &QUndoStack::indexChanged, this, &EditHistory::stepsChanged);
}

EditHistory::~EditHistory()
{
    // The steps refer to this object; they go first.
    m_stack.clear();
}

void EditHistory::setLanguageSwitcher(std::function<void(int)> switcher)
{
    m_switchLanguage = std::move(switcher);
}

EditHistory::Snapshot EditHistory::capture() const
{
    Snapshot s;
    const ChannelTable &table = m_workspace.channels();
    for (int row = 0; row < ChannelTable::RowCount; ++row) {
        for (int column = 0; column < ChannelTable::ColumnCount; ++column)
            s.cells[row][column] = table.cell(column, row);
    }
    s.functions = m_workspace.functions().state();
    s.modelIndex = m_workspace.modelIndex();
    s.caption = m_workspace.caption();
    s.bandIndex = m_workspace.bands().currentIndex();
    s.language = m_workspace.languageNumber();
    return s;
}

void EditHistory::restore(const Snapshot &s)
{
    const bool wasRestoring = m_restoring;
    m_restoring = true;
    if (s.language != m_workspace.languageNumber()) {
        if (m_switchLanguage)
            m_switchLanguage(s.language);
        else
            m_workspace.setLanguageNumber(s.language);
    }
    ChannelTable &table = m_workspace.channels();
    for (int row = 0; row < ChannelTable::RowCount; ++row) {
        for (int column = 0; column < ChannelTable::ColumnCount; ++column)
            table.setCell(column, row, s.cells[row][column]);
    }
    m_workspace.functions().setState(s.functions);
    m_workspace.setModelIndex(s.modelIndex);
    m_workspace.bands().setCurrentIndex(s.bandIndex);
    m_workspace.setCaption(s.caption);
    m_restoring = wasRestoring;
    checkModified();
}

void EditHistory::applyStep(const Snapshot &snapshot, int column, int row)
{
    restore(snapshot);
    m_last = snapshot;
    Q_EMIT stepRestored(column, row);
}

void EditHistory::reset()
{
    m_stack.clear();
    m_last = m_saved = capture();
    m_stack.setClean();
    checkModified();
    Q_EMIT stepsChanged();
}

bool EditHistory::commit(const QString &text, int column, int row)
{
    return commit([text] { return text; }, column, row);
}

bool EditHistory::commit(StepName name, int column, int row)
{
    if (m_restoring)
        return false;
    Snapshot now = capture();
    if (now == m_last)
        return false;
    auto *step = new Step(*this, std::move(name), m_last, now, column, row);
    m_last = std::move(now);
    m_stack.push(step);
    checkModified();
    Q_EMIT stepsChanged();
    return true;
}

bool EditHistory::commitCell(int column, int row)
{
    return commit([this, column, row] { return cellStepText(column, row); }, column, row);
}

void EditHistory::retranslate()
{
    for (int i = 0; i < m_stack.count(); ++i)
        static_cast<Step *>(const_cast<QUndoCommand *>(m_stack.command(i)))->retranslate();
    Q_EMIT stepsChanged();
}

QString EditHistory::cellStepText(int column, int row) const
{
    const ChannelTable &table = m_workspace.channels();
    // Without a language's column names the step is a change of the channel.
    const QString header = table.cell(column, 0);
    return m_workspace.texts().cellStepText.arg(
        header.isEmpty() ? m_workspace.texts().changeStepText : header, table.cell(0, row));
}

bool EditHistory::hasPendingChange() const
{
    return capture() != m_last;
}

QString EditHistory::pendingStepText(const Snapshot &now, int *stepRow) const
{
    const ChannelTable &table = m_workspace.channels();
    const int row = table.currentRow();
    bool onlyThatRow = row > 0 && now.functions == m_last.functions &&
                       now.language == m_last.language && now.modelIndex == m_last.modelIndex;
    for (int r = 0; onlyThatRow && r < ChannelTable::RowCount; ++r) {
        if (r != row && now.cells[r] != m_last.cells[r])
            onlyThatRow = false;
    }
    if (stepRow)
        *stepRow = onlyThatRow ? row : 0;
    return onlyThatRow ? cellStepText(table.currentColumn(), row)
                       : m_workspace.texts().changeStepText;
}

bool EditHistory::commitPending()
{
    if (m_restoring)
        return false;
    const Snapshot now = capture();
    if (now == m_last)
        return false;
    int row = 0;
    pendingStepText(now, &row);
    if (row > 0)
        return commitCell(m_workspace.channels().currentColumn(), row);
    return commit([this] { return m_workspace.texts().changeStepText; });
}

QString EditHistory::undoText() const
{
    const Snapshot now = capture();
    if (now != m_last)
        return pendingStepText(now);
    return m_stack.canUndo() ? m_stack.undoText() : QString();
}

QString EditHistory::redoText() const
{
    return canRedo() ? m_stack.redoText() : QString();
}

void EditHistory::undo()
{
    commitPending();
    if (m_stack.canUndo())
        m_stack.undo();
}

void EditHistory::redo()
{
    if (hasPendingChange())
        return;
    if (m_stack.canRedo())
        m_stack.redo();
}

void EditHistory::markSaved()
{
    commitPending();
    m_saved = capture();
    m_stack.setClean();
    checkModified();
}

bool EditHistory::isModified() const
{
    return !sameConfiguration(capture(), m_saved);
}

void EditHistory::checkModified()
{
    if (m_restoring)
        return;
    const bool modified = isModified();
    if (modified == m_modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}
