#include "fuzz/FuzzEntries.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Every input of the fuzz corpus, seeds and inputs that once found a fault
// alike, through the same entry points as the fuzz targets: a fault fixed
// once stays fixed, in every build.
class TestFuzzCorpus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replay_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("path");
        int index = 0;
        for (const FuzzEntries::Entry &entry : FuzzEntries::kEntries) {
            const QString name = QStringLiteral("fuzz_") + QLatin1String(entry.name);
            const QDir dir(QStringLiteral(KT_FUZZ_CORPUS_DIR "/") + name);
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), qPrintable(name + QStringLiteral(" has no corpus")));
            for (const QString &file : files)
                QTest::newRow(qPrintable(name + QLatin1Char('/') + file))
                    << index << dir.filePath(file);
            ++index;
        }
    }
    void replay()
    {
        QFETCH(int, entry);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        FuzzEntries::kEntries[entry].run(file.readAll());
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "tst_fuzzcorpus.moc"
