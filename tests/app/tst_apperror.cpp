#include "core/base/AppError.h"

#include <QTest>

// The text of the standard error box: a full stop is added only after a
// character that sorts after the full stop.
class TestAppError : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "File not found"
                                << "File not found.";
        QTest::newRow("quote sorts before") << "'x' is 'y'"
                                            << "'x' is 'y'";
        QTest::newRow("digit") << "code 7"
                               << "code 7.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("closing bracket sorts before") << "(ok)"
                                                      << "(ok)";
        QTest::newRow("blank sorts before") << "trailing "
                                            << "trailing ";
        QTest::newRow("hyphen sorts before") << "a-"
                                             << "a-";
        QTest::newRow("slash sorts after") << "a/"
                                           << "a/.";
        QTest::newRow("Chinese") << "文件"
                                 << "文件.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void displayText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(AppError::displayText(message), shown);
    }

    void standardMessages()
    {
        QCOMPARE(AppError::invalidInteger(QStringLiteral("4x")).message(),
                 QStringLiteral("'4x' is not a valid integer value"));
        QCOMPARE(AppError::unableToWrite(QStringLiteral("/a/b.ini")).message(),
                 QStringLiteral("Unable to write to /a/b.ini"));
        QCOMPARE(QString::fromUtf8(AppError::fileNotFound().what()),
                 QStringLiteral("File not found"));
    }
};

QTEST_GUILESS_MAIN(TestAppError)
#include "tst_apperror.moc"
