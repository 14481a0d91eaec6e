#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

struct LanguageTexts;
class BandList;

// The 16 memory channels as the grid of display texts the user sees: row 0 is
// the header row, column 0 the channel numbers "01" to "16", and cell (c, r)
// with c, r >= 1 holds property c of channel r. The texts are the data: reads,
// writes, files and the language switch all work on them. A channel whose
// receive frequency (column 1) is empty is not in use.
class ChannelTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        NumberColumn = 0,
        RxFrequency = 1,
        RxTone = 2,
        TxFrequency = 3,
        TxTone = 4,
        Power = 5,
        Bandwidth = 6,
        Option7 = 7,
        Option8 = 8,
        Option9 = 9,
        Privacy = 10,
        Option11 = 11,
    };
    static constexpr int ColumnCount = 12;
    static constexpr int RowCount = 17;
    static constexpr int MaxChannels = RowCount - 1;

    // Cell words come from the language texts, band edges from the band list;
    // both are read when a rule runs, never copied.
    ChannelTable(const LanguageTexts &texts, const BandList &bands, QObject *parent = nullptr);

    QString cell(int column, int row) const;
    // Writing an empty text empties the cell. Nothing is checked.
    void setCell(int column, int row, const QString &text);
    bool isInUse(int row) const { return !cell(RxFrequency, row).isEmpty(); }

    int channelCount() const { return m_channelCount; }
    void setChannelCount(int count);

    int currentColumn() const { return m_currentColumn; }
    int currentRow() const { return m_currentRow; }
    void setCurrentCell(int column, int row);
    void setCurrentRow(int row) { setCurrentCell(m_currentColumn, row); }

    // Column 0 of rows 1 to 16 gets "01" to "16".
    void labelRows();
    // Empties columns 1 to 11 of one row, or of rows 1 to the channel count.
    void clearChannel(int row);
    void clearAllChannels();
    // Exchanges columns 1 to 11 of two rows.
    void swapChannels(int rowA, int rowB);

    // Column 3 takes column 1's text; the other columns their defaults.
    void fillNewChannelDefaults(int row);
    // Normalises the frequency in the cell into the current band, rounded up
    // to the next multiple of 5 kHz or 6.25 kHz. Throws AppError (the cell
    // keeps its text) when the text or the band edges are not numbers.
    void sendcell(int column, int row);
    // Commits the current cell: completes a channel whose receive frequency was
    // just entered, normalises an edited frequency, or empties a channel whose
    // receive frequency was erased.
    void sendallcell();

    // The normalisation rule itself, on a text and the band edges in MHz.
    static QString normalisedFrequency(const QString &text, int lowerEdgeMHz, int upperEdgeMHz);

    // Power, bandwidth and the options of columns 7, 8, 9 and 11 hold one of
    // two words and flip on a click.
    static bool isTwoStateColumn(int column);
    // Flips a two-state cell: HIGH becomes LOW, WIDE becomes NARROW, OFF
    // becomes ON, and any other text (the second word included) becomes
    // HIGH, WIDE or OFF.
    void toggleCell(int column, int row);

    // Automatic add. The step is the item index of the Step function setting:
    // 5, 6.25, 10, 12.5 or 25 kHz; an index outside the list takes 5 kHz.
    // The press of the button commits the current cell first; then an unused
    // current row starts at the band's lower edge, a row whose receive
    // frequency was just typed becomes its channel and nothing more, and any
    // other row gets a channel added below it unless it is the last.
    // Returns whether a row was filled (the grid then selects the current cell).
    bool autoAddPress(int stepIndex);
    // A tick while the button is held: adds a channel below the current row
    // unless it is the last. Returns whether it did.
    bool autoAddTick(int stepIndex);
    // The row below the current one gets the current receive frequency plus
    // the step and the new-channel defaults, whatever it held before; the
    // current row moves onto it. Throws AppError (nothing changed) when the
    // frequency or the band edges are no numbers.
    void addChannelBelow(int stepIndex);
    // The frequency after the given one, in shortest decimal form: one step up,
    // or the lower band edge when that passes the upper edge.
    static QString followingFrequency(const QString &frequency, int stepIndex, int lowerEdgeMHz,
                                      int upperEdgeMHz);

    // Commits the current cell, then, when the current cell is not empty and
    // the row offset away (-1 up, +1 down) is one of the channels, exchanges
    // the two channels; the current row follows the moved channel. Returns
    // whether it moved.
    bool moveCurrentChannel(int offset);

    // QAbstractTableModel: the whole 17 x 12 grid, texts centred, row 0 and
    // column 0 not selectable.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

Q_SIGNALS:
    void currentCellChanged();

private:
    static bool isCell(int column, int row);

    const LanguageTexts &m_texts;
    const BandList &m_bands;
    std::array<std::array<QString, ColumnCount>, RowCount> m_cells;
    int m_channelCount = MaxChannels;
    int m_currentColumn = 1;
    int m_currentRow = 1;
};
