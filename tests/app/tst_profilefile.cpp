#include "core/base/AppError.h"
#include "core/base/ProfileFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void readsDefaultWhenMissing_data();
    void readsDefaultWhenMissing();
    void readsValue_data();
    void readsValue();
    void readsInteger_data();
    void readsInteger();

    void writeEditsInPlace_data();
    void writeEditsInPlace();
    void firstWritesMakeWindowsFile_data();
    void firstWritesMakeWindowsFile();

    void failedWriteForgetsValue_data();
    void failedWriteForgetsValue();
    void failedWriteLeavesFileUnchanged_data();
    void failedWriteLeavesFileUnchanged();

private:
    // A profile of the given bytes in a fresh folder; null bytes make no file.
    QString makeFile(const QByteArray &bytes);

    QTemporaryDir m_dir;
    int m_fileCount = 0;
};

QString TestProfileFile::makeFile(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("%1/sysini.ini").arg(++m_fileCount));
    QDir().mkpath(m_dir.filePath(QString::number(m_fileCount)));
    if (!bytes.isNull())
        writeFile(path, bytes);
    return path;
}

void TestProfileFile::readsDefaultWhenMissing_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
    QTest::newRow("key in another section")
        << QByteArray("[list]\r\ncom=5\r\n[open]\r\nlang=1\r\n");
    QTest::newRow("section missing") << QByteArray("[list]\r\ncom=5\r\n");
    QTest::newRow("key before any section") << QByteArray("com=5\r\n[open]\r\n");
    QTest::newRow("commented out") << QByteArray("[open]\r\n;com=5\r\n# com=6\r\n");
    QTest::newRow("no equals sign") << QByteArray("[open]\r\ncom 5\r\n");
    QTest::newRow("unclosed header") << QByteArray("[open\r\ncom=5\r\n");
}

void TestProfileFile::readsDefaultWhenMissing()
{
    QFETCH(QByteArray, bytes);
    const ProfileFile profile(makeFile(bytes));

    QCOMPARE(
        profile.readString(QStringLiteral("open"), QStringLiteral("com"), QStringLiteral("none")),
        QStringLiteral("none"));
    QCOMPARE(profile.readInt(QStringLiteral("open"), QStringLiteral("com"), 42), 42);
}

void TestProfileFile::readsValue_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString open = QStringLiteral("open");
    const QString com = QStringLiteral("com");
    QTest::newRow("same spelling") << QByteArray("[open]\r\ncom=3\r\n") << open << com << "3";
    QTest::newRow("section Open") << QByteArray("[Open]\r\ncom=3\r\n") << open << com << "3";
    QTest::newRow("section and key upper case")
        << QByteArray("[OPEN]\r\nCOM=3\r\n") << open << com << "3";
    QTest::newRow("caller's spelling differs") << QByteArray("[open]\r\ncom=3\r\n") << "OPEN"
                                               << "Com"
                                               << "3";
    QTest::newRow("blanks around names and value")
        << QByteArray(" [ open ] \r\n\t com \t=  3 \t\r\n") << open << com << "3";
    QTest::newRow("inner blanks and '=' kept")
        << QByteArray("[list]\r\ncombo0= 400-470 MHz = x \r\n") << "list"
        << "combo0"
        << "400-470 MHz = x";
    QTest::newRow("empty value is a value")
        << QByteArray("[open]\r\ncom=\r\n") << open << com << "";
    QTest::newRow("first of a repeated key")
        << QByteArray("[open]\r\ncom=1\r\ncom=2\r\n") << open << com << "1";
    QTest::newRow("first of a repeated section")
        << QByteArray("[open]\r\ncom=1\r\n[OPEN]\r\ncom=2\r\n") << open << com << "1";
    QTest::newRow("LF line ends") << QByteArray("[open]\ncom=3\nlang=2\n") << open << "lang"
                                  << "2";
    QTest::newRow("no line end at the end") << QByteArray("[open]\r\ncom=3") << open << com << "3";
    QTest::newRow("UTF-8 text") << QByteArray("[User]\r\nname=\xe5\xbc\xa0\xe4\xb8\x89\r\n")
                                << "user"
                                << "name" << QString::fromUtf8("\xe5\xbc\xa0\xe4\xb8\x89");
    QTest::newRow("byte order mark")
        << QByteArray("\xef\xbb\xbf[open]\r\ncom=3\r\n") << open << com << "3";
}

void TestProfileFile::readsValue()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const ProfileFile profile(makeFile(bytes));
    QCOMPARE(profile.readString(section, key, QStringLiteral("none")), expected);
}

void TestProfileFile::readsInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    const int byDefault = -99;
    QTest::newRow("decimal") << "12" << 12;
    QTest::newRow("leading zero") << "007" << 7;
    QTest::newRow("negative") << "-3" << -3;
    QTest::newRow("plus sign") << "+4" << 4;
    QTest::newRow("blanks around") << " 7 " << 7;
    QTest::newRow("hex") << "0x1F" << 31;
    QTest::newRow("hex upper-case prefix") << "0X1f" << 31;
    QTest::newRow("largest int") << "2147483647" << 2147483647;
    QTest::newRow("smallest int") << "-2147483648" << (-2147483647 - 1);
    QTest::newRow("trailing letters") << "12abc" << byDefault;
    QTest::newRow("empty") << "" << byDefault;
    QTest::newRow("word") << "abc" << byDefault;
    QTest::newRow("prefix only") << "0x" << byDefault;
    QTest::newRow("sign only") << "-" << byDefault;
    QTest::newRow("sign inside hex") << "0x-1" << byDefault;
    QTest::newRow("hex without prefix") << "1F" << byDefault;
    QTest::newRow("fraction") << "1.5" << byDefault;
    QTest::newRow("inner blank") << "1 2" << byDefault;
    QTest::newRow("beyond int") << "2147483648" << byDefault;
    QTest::newRow("hex beyond int") << "0x100000000" << byDefault;
}

void TestProfileFile::readsInteger()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    const ProfileFile profile(makeFile("[open]\r\nvalue=" + text.toUtf8() + "\r\n"));
    QCOMPARE(profile.readInt(QStringLiteral("open"), QStringLiteral("value"), -99), expected);
}

void TestProfileFile::writeEditsInPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("existing key keeps place, spelling and comments")
        << QByteArray("; port settings\r\n[Open]\r\n# serial\r\n  COM = 3 \r\nlang=1\r\n") << "open"
        << "com"
        << "5" << QByteArray("; port settings\r\n[Open]\r\n# serial\r\nCOM=5\r\nlang=1\r\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[open]\r\ncom=1\r\n\r\n; bands\r\n[list]\r\nlistnow=0\r\n") << "OPEN"
        << "lang"
        << "2" << QByteArray("[open]\r\ncom=1\r\nlang=2\r\n\r\n; bands\r\n[list]\r\nlistnow=0\r\n");
    QTest::newRow("new key in the last section")
        << QByteArray("[open]\r\ncom=1\r\n[list]\r\nlistnow=0\r\n\r\n\r\n") << "list"
        << "listcount"
        << "0" << QByteArray("[open]\r\ncom=1\r\n[list]\r\nlistnow=0\r\nlistcount=0\r\n\r\n\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[open]\r\n\r\n[list]\r\n") << "open"
        << "com"
        << "1" << QByteArray("[open]\r\ncom=1\r\n\r\n[list]\r\n");
    QTest::newRow("repeated key: the first is written")
        << QByteArray("[open]\r\ncom=1\r\ncom=2\r\n") << "open"
        << "com"
        << "3" << QByteArray("[open]\r\ncom=3\r\ncom=2\r\n");
    QTest::newRow("missing section after one empty line")
        << QByteArray("[open]\r\ncom=1\r\n") << "list"
        << "listnow"
        << "-1" << QByteArray("[open]\r\ncom=1\r\n\r\n[list]\r\nlistnow=-1\r\n");
    QTest::newRow("missing section after an empty line already there")
        << QByteArray("[open]\r\ncom=1\r\n\r\n") << "list"
        << "listnow"
        << "-1" << QByteArray("[open]\r\ncom=1\r\n\r\n[list]\r\nlistnow=-1\r\n");
    QTest::newRow("last line without line end")
        << QByteArray("[open]\r\ncom=1") << "open"
        << "lang"
        << "2" << QByteArray("[open]\r\ncom=1\r\nlang=2\r\n");
    QTest::newRow("LF file stays LF: existing key")
        << QByteArray("[open]\ncom=1\n; end\n") << "open"
        << "com"
        << "2" << QByteArray("[open]\ncom=2\n; end\n");
    QTest::newRow("LF file stays LF: new section")
        << QByteArray("[open]\ncom=1\n") << "list"
        << "listnow"
        << "0" << QByteArray("[open]\ncom=1\n\n[list]\nlistnow=0\n");
    QTest::newRow("UTF-8 text") << QByteArray("[User]\r\nname=x\r\n") << "user"
                                << "name" << QString::fromUtf8("\xe5\xbc\xa0\xe4\xb8\x89")
                                << QByteArray("[User]\r\nname=\xe5\xbc\xa0\xe4\xb8\x89\r\n");
    QTest::newRow("GBK lines kept byte for byte")
        << QByteArray("; \xb6\xd4\xbd\xb2\r\n[open]\r\nname=\xd6\xd0\r\ncom=1\r\n") << "open"
        << "com"
        << "2" << QByteArray("; \xb6\xd4\xbd\xb2\r\n[open]\r\nname=\xd6\xd0\r\ncom=2\r\n");
    QTest::newRow("each line keeps its own line end")
        << QByteArray("[open]\ncom=1\r\n; a\n") << "open"
        << "lang"
        << "1" << QByteArray("[open]\ncom=1\r\nlang=1\n; a\n");
    QTest::newRow("byte order mark kept") << QByteArray("\xef\xbb\xbf[open]\r\ncom=1\r\n") << "open"
                                          << "com"
                                          << "2" << QByteArray("\xef\xbb\xbf[open]\r\ncom=2\r\n");
}

void TestProfileFile::writeEditsInPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    const QString path = makeFile(before);
    ProfileFile profile(path);
    profile.writeString(section, key, value);

    QCOMPARE(readFile(path), after);
    QCOMPARE(profile.lines(), ProfileFile(path).lines()); // memory and disk agree
}

void TestProfileFile::firstWritesMakeWindowsFile_data()
{
    QTest::addColumn<QByteArray>("before");

    QTest::newRow("no file") << QByteArray();
    QTest::newRow("empty file") << QByteArray("");
}

void TestProfileFile::firstWritesMakeWindowsFile()
{
    QFETCH(QByteArray, before);

    const QString path = makeFile(before);
    ProfileFile profile(path);
    profile.writeInt(QStringLiteral("open"), QStringLiteral("com"), 1);
    profile.writeInt(QStringLiteral("open"), QStringLiteral("co_mode"), 0);
    profile.writeString(QStringLiteral("list"), QStringLiteral("listnow"), QStringLiteral("-1"));

    QCOMPARE(readFile(path),
             QByteArray("[open]\r\ncom=1\r\nco_mode=0\r\n\r\n[list]\r\nlistnow=-1\r\n"));
}

void TestProfileFile::failedWriteForgetsValue_data()
{
    QTest::addColumn<bool>("folderIsFile");

    QTest::newRow("missing folder") << false;
    QTest::newRow("folder is a regular file") << true;
}

// A write that fails throws, and the value it could not write is not carried
// into the next write that succeeds. ProfileFile makes no folder of its own.
void TestProfileFile::failedWriteForgetsValue()
{
    QFETCH(bool, folderIsFile);

    const QString folder = m_dir.filePath(QStringLiteral("unusable%1").arg(++m_fileCount));
    if (folderIsFile)
        QVERIFY(writeFile(folder, "not a folder"));
    const QString path = folder + QStringLiteral("/sysini.ini");

    ProfileFile profile(path);
    try {
        profile.writeInt(QStringLiteral("open"), QStringLiteral("com"), 7);
        QFAIL("no error thrown");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
    }
    QCOMPARE(profile.readInt(QStringLiteral("open"), QStringLiteral("com"), 1), 1);

    QFile::remove(folder);
    QVERIFY(QDir().mkpath(folder));
    profile.writeInt(QStringLiteral("open"), QStringLiteral("lang"), 2);
    QCOMPARE(readFile(path), QByteArray("[open]\r\nlang=2\r\n"));
}

void TestProfileFile::failedWriteLeavesFileUnchanged_data()
{
    QTest::addColumn<bool>("readOnlyFolder");

    // The longest name a folder entry can have leaves no room for the
    // temporary copy a whole-file write goes through, even for root.
    QTest::newRow("name too long for a safe write") << false;
    QTest::newRow("read-only folder") << true;
}

void TestProfileFile::failedWriteLeavesFileUnchanged()
{
    QFETCH(bool, readOnlyFolder);

    const QString folder = m_dir.filePath(QStringLiteral("kept%1").arg(++m_fileCount));
    QVERIFY(QDir().mkpath(folder));
    const QString name = readOnlyFolder ? QStringLiteral("sysini.ini")
                                        : QString(251, QLatin1Char('s')) + QStringLiteral(".ini");
    const QString path = folder + QLatin1Char('/') + name;
    const QByteArray before("; edited by hand\n[Open]\nCOM = 3\n\n[list]\nlistnow=0\n");
    QVERIFY(writeFile(path, before));

    if (readOnlyFolder) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("folder permissions do not stop this user from writing");
        }
    }

    ProfileFile profile(path);
    const QStringList linesBefore = profile.lines();
    try {
        profile.writeInt(QStringLiteral("open"), QStringLiteral("com"), 7);
        QFAIL("no error thrown");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), QStringLiteral("Unable to write to ") + path);
    }
    if (readOnlyFolder)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(readFile(path), before);
    QCOMPARE(profile.lines(), linesBefore);
    QCOMPARE(profile.readInt(QStringLiteral("open"), QStringLiteral("com"), 1), 3);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
