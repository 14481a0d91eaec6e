#pragma once

#include "core/channels/ChannelTable.h"
#include "core/options/FunctionSettings.h"

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <array>
#include <functional>

class Workspace;

// The undo history of the configuration being edited: the channel table, the
// function settings, the model and band, and the interface language the
// table's words are in.
//
// Editors change the workspace as they always have (a keystroke goes into
// its cell at once) and tell the history when a change is complete: commit()
// records everything that changed since the last step as one step, so the
// keystrokes of a typed frequency and the defaults its commit fills in undo
// together. Undo and redo first record a change still under way, so that
// nothing typed is lost and redo brings it back.
//
// The history also knows whether there are unsaved changes: whether the
// configuration differs from the one last opened, saved, read or written,
// word for word in any interface language.
class EditHistory : public QObject
{
    Q_OBJECT
public:
    // A whole configuration as a step keeps it.
    struct Snapshot {
        std::array<std::array<QString, ChannelTable::ColumnCount>, ChannelTable::RowCount> cells;
        FunctionSettings::State functions;
        int modelIndex = 0;
        QString caption;
        int bandIndex = -1;
        int language = 0;
        bool operator==(const Snapshot &other) const;
        bool operator!=(const Snapshot &other) const { return !(*this == other); }
    };

    explicit EditHistory(Workspace &workspace, QObject *parent = nullptr);
    ~EditHistory() override;

    QUndoStack &stack() { return m_stack; }
    const QUndoStack &stack() const { return m_stack; }

    // Puts a configuration's interface language back: the window's own
    // language change (texts everywhere, word cells rewritten), run by undo
    // and redo across a language change. Without it only the data moves.
    void setLanguageSwitcher(std::function<void(int language)> switcher);

    // Starts afresh: no steps, and the configuration as it stands counts as saved.
    void reset();

    // Records what changed since the last step as one step with this text.
    // Nothing is recorded when nothing changed, or while a step is being
    // undone or redone. Returns whether a step was recorded. A step made in
    // a cell of the channel table names it, so that undo can show it.
    bool commit(const QString &text, int column = 0, int row = 0);
    // The same with a name that follows the interface language: asked again
    // by retranslate().
    using StepName = std::function<QString()>;
    bool commit(StepName name, int column = 0, int row = 0);
    // Names every step anew, in the interface language now in use.
    void retranslate();
    // A change of one cell (the cells it filled in along with it included):
    // "RX Freq of CH03", the column as the grid's header row names it.
    bool commitCell(int column, int row);
    // A change still under way gets the text of the cell being edited when
    // it lies in that cell's row, else a general one.
    bool commitPending();
    QString cellStepText(int column, int row) const;

    bool canUndo() const { return m_stack.canUndo() || hasPendingChange(); }
    bool canRedo() const { return !hasPendingChange() && m_stack.canRedo(); }
    // The step Undo takes back, a change under way included; empty when none.
    QString undoText() const;
    QString redoText() const;
    void undo();
    void redo();

    // The configuration as it stands is the saved one (after Open, Save, a
    // read, a write): a change under way is recorded first.
    void markSaved();
    bool isModified() const;
    // Whether the configuration differs from the last step.
    bool hasPendingChange() const;

    Snapshot capture() const;
    // Puts the configuration back; the language first, when it differs.
    void restore(const Snapshot &snapshot);

Q_SIGNALS:
    // The unsaved-changes state may have changed (checked at each change).
    void modifiedChanged(bool modified);
    // Undo, redo or a new step changed what the Edit menu should say.
    void stepsChanged();
    // A step was undone or redone; the cell it was made in, for the editor
    // to show (row 0 when the step was not made in the channel table).
    void stepRestored(int column, int row);

private:
    class Step;
    friend class Step;

    void checkModified();
    // What commitPending() names a change under way: the current cell's
    // step when only its row changed (the row is then returned), else a
    // general change (row 0).
    QString pendingStepText(const Snapshot &now, int *row = nullptr) const;
    // The step's configuration is put back and becomes the last step's.
    void applyStep(const Snapshot &snapshot, int column, int row);

    Workspace &m_workspace;
    QUndoStack m_stack;
    std::function<void(int)> m_switchLanguage;
    Snapshot m_last;  // the configuration as the last step left it
    Snapshot m_saved; // the configuration last opened, saved, read or written
    bool m_restoring = false;
    bool m_modified = false;
};
