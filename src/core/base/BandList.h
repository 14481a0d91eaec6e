#pragma once

#include <QObject>
#include <QStringList>

// The list of frequency bands the program may work in ("400-470MHz"), with the
// current band as its selection. Never shown; it decides which frequencies a
// channel may hold and which radios read without error.
class BandList : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const QStringList &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    int currentIndex() const { return m_current; }
    // The selected band text, empty when nothing is selected.
    QString currentText() const;

    void clear();
    void add(const QString &band);
    // An index outside the list leaves no band selected.
    void setCurrentIndex(int index);
    int indexOf(const QString &band) const { return int(m_items.indexOf(band)); }

    // Lower and upper band edges in MHz, read from characters 1 to 3 and 5 to 7
    // of the current band. Throw AppError when they are not numbers (as when no
    // band is selected).
    int lowerEdge() const;
    int upperEdge() const;
    // Characters 1 to 3 of the current band, as automatic add writes them.
    QString lowerEdgeText() const;

Q_SIGNALS:
    void changed();

private:
    QStringList m_items;
    int m_current = -1;
};
