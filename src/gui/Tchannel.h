#pragma once

#include <QWidget>
#include <functional>

class ChannelGrid;
class ChannelTable;
class EditHistory;
struct LanguageTexts;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLineEdit;
class QPushButton;
class QTimer;
class QWheelEvent;
class StringTable;
class Workspace;

// The channel editor window: the channel grid with three overlay editors laid
// over the cell being edited (frequency, tone, voice privacy), and a panel of
// buttons for automatic add, delete all, move up, move down and delete
// channel. The grid is read-only; two-state cells flip on a click. Every
// keystroke and choice goes into the table at once, and leaving a cell
// commits it. The window is 750 x 480 and scrolls when it is made smaller.
class Tchannel : public QWidget
{
    Q_OBJECT
public:
    explicit Tchannel(Workspace &workspace, QWidget *parent = nullptr);

    ChannelGrid *grid() const { return StringGrid1; }

    // Caption, button captions and the editors' word items; the cell words in
    // the workspace must already be the new language's.
    void applyLanguage(const StringTable &table);

    // Another child window became active: the visible overlay editors are
    // hidden. Nothing is committed.
    void FormDeactivate();

    // For the main window's commands, which commit a frequency being typed and
    // then close the editors. Hiding never commits.
    bool isFrequencyEditorVisible() const;
    void hideFrequencyEditor();
    void hideOverlayEditors();

    // Each completed change becomes a step of the history (none without one).
    void setHistory(EditHistory *history) { m_history = history; }

    // The channels the clipboard commands act on: the rows selected by their
    // numbers, else the current row.
    QList<int> chosenRows() const;
    // The clipboard commands, on a configuration whose edit is committed.
    // Copy puts the chosen channels on the clipboard as tab-separated text;
    // cut copies them, then empties them; paste checks every row of the
    // clipboard before it writes them from the first chosen row down. Throw
    // AppError for text that cannot be pasted; then nothing changes.
    void copyChannels();
    void cutChannels();
    void pasteChannels();
    // After an undo or redo: closes the editors and selects the cell the
    // step was made in (none for row 0).
    void showStep(int column, int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildPanel(QWidget *surface);
    void buildEditors(QWidget *surface);

    // Grid
    void StringGrid1SelectCell();
    void StringGrid1Click();
    void StringGrid1KeyDown(int key);
    void StringGrid1KeyPress(QChar key);
    void StringGrid1MouseWheelDown();
    // The wheel over an overlay editor, given to the grid beneath it.
    void passWheelToGrid(const QWheelEvent *event);
    void StringGrid1DrawCell();
    // Channels selected by their numbers: the cell being edited is
    // committed and the current row follows the click.
    void StringGrid1SelectRows(int row);
    // Frequency editor; a key press handler returns whether it took the key
    bool Edit1KeyPress(const QKeyEvent *event);
    void Edit1KeyUp();
    // Tone editor
    void ComboBox1Change();
    bool ComboBox1KeyPress(const QKeyEvent *event);
    void ComboBox1Exit();
    void completeTone(QChar key);
    // Voice-privacy editor
    void ComboBox2Change();
    void ComboBox2Exit();
    // Buttons and timer; the press returns whether it completed
    bool Button1MouseDown();
    void Button1MouseUp();
    void Timer1Timer();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();

    // Lays the editor over the cell and shows it.
    void placeEditor(QWidget *editor, int column, int row);
    QPoint editorPosition(const QWidget *editor, int column, int row) const;
    // The frequency editor takes the current cell's text when the current
    // column is a frequency column; it stays hidden or shown as it was.
    void loadFrequencyEditor();
    void moveChannel(int offset);
    int stepIndex() const;
    // Runs one command; an error it raises stops the automatic add and is
    // shown in the error box. Returns whether the command completed.
    bool runCommand(const std::function<void()> &command);
    // A completed change as one step, named by a button or by its cell.
    void record(const QPushButton *button);
    void record(QString LanguageTexts::*text);
    void recordCell(int column, int row);

    Workspace &m_workspace;
    ChannelTable &m_table;
    EditHistory *m_history = nullptr;
    bool m_suppressToggle = false;    // the next click on a two-state cell only clears this
    bool m_selectToneOnClick = false; // the tone editor took the focus from a click
    bool m_inCommand = false;         // a button's command runs: its cell moves are not steps

    ChannelGrid *StringGrid1; // the channel grid
    QLineEdit *Edit1;         // frequency editor over a cell of column 1 or 3
    QComboBox *ComboBox1;     // tone editor over a cell of column 2 or 4, items the tone list
    QComboBox *ComboBox2;     // voice-privacy editor over a cell of column 10
    QFrame *Panel1;           // bevelled panel under the grid holding the buttons
    QPushButton *Button1;     // "自动添加" (automatic add), acts on press and release
    QPushButton *Button2;     // "全部删除" (delete all)
    QPushButton *Button3;     // "信道上移" (move up)
    QPushButton *Button4;     // "信道下移" (move down)
    QPushButton *Button5;     // "信道删除" (delete channel)
    QTimer *Timer1;           // repeats the automatic add while Button1 is held
};
