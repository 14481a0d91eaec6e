#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLibraryInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// The folders of src/ and their layers. A file may include files of its own
// folder and of folders in lower layers only; so no circle can form between
// folders. The first nine folders make up the core library.
const std::pair<const char *, int> kLayers[] = {
    {"core/base", 0},
    {"core/channels", 1},
    {"core/options", 1},
    {"core/ports", 1},
    {"core/workspace", 2},
    {"core/radio", 3},
    {"core/files", 3},
    {"core/programming", 4},
    {"core/editing", 4},
    {"gui", 5},
    {"sim", 5},
    {"cli", 6},
    {"app", 6},
};

QMap<QString, int> layers()
{
    QMap<QString, int> map;
    for (const auto &[folder, layer] : kLayers)
        map.insert(QLatin1String(folder), layer);
    return map;
}

// The header names of Qt Widgets, as the installed Qt has them.
QSet<QString> widgetHeaders()
{
    const QDir dir(QLibraryInfo::path(QLibraryInfo::HeadersPath) + QStringLiteral("/QtWidgets"));
    const QStringList names = dir.entryList(QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

struct Include {
    QString file;   // relative to src/
    int line;       // 1-based
    QString target; // as written
    bool quoted;    // "..." rather than <...>
};

QList<Include> includes(const QString &srcDir)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])"));
    QList<Include> found;
    QDirIterator it(srcDir, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString relative = QDir(srcDir).relativeFilePath(path);
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(lines[i]));
            if (match.hasMatch())
                found.append({relative, i + 1, match.captured(2), match.captured(1) == "\""});
        }
    }
    return found;
}

QString folderOf(const QString &path)
{
    return path.section(QLatin1Char('/'), 0, -2);
}

// A circle in the graph of folders, as "a -> b -> a"; empty when none.
QString findCircle(const QMap<QString, QSet<QString>> &edges)
{
    QMap<QString, int> state; // 1 on the path, 2 done
    QStringList path;
    std::function<QString(const QString &)> visit = [&](const QString &folder) -> QString {
        state[folder] = 1;
        path << folder;
        for (const QString &next : edges.value(folder)) {
            if (state.value(next) == 1)
                return (path.mid(path.indexOf(next)) << next).join(QStringLiteral(" -> "));
            if (state.value(next) == 0) {
                const QString circle = visit(next);
                if (!circle.isEmpty())
                    return circle;
            }
        }
        path.removeLast();
        state[folder] = 2;
        return QString();
    };
    for (const QString &folder : edges.keys()) {
        if (state.value(folder) == 0) {
            const QString circle = visit(folder);
            if (!circle.isEmpty())
                return circle;
        }
    }
    return QString();
}

// Every break of the layering in the tree under srcDir, one line each,
// naming the file and line.
QStringList layerViolations(const QString &srcDir)
{
    const QMap<QString, int> layerOf = layers();
    const QSet<QString> widgets = widgetHeaders();
    QStringList problems;
    QMap<QString, QSet<QString>> edges;
    for (const Include &include : includes(srcDir)) {
        const QString where = QStringLiteral("src/%1:%2").arg(include.file).arg(include.line);
        const QString from = folderOf(include.file);
        if (!layerOf.contains(from)) {
            problems << where + QStringLiteral(": folder %1 has no layer").arg(from);
            continue;
        }
        if (!include.quoted) {
            const QString name = include.target.section(QLatin1Char('/'), -1);
            const bool widget =
                include.target.startsWith(QLatin1String("QtWidgets")) || widgets.contains(name);
            if (from.startsWith(QLatin1String("core/")) && widget)
                problems << where + QStringLiteral(": the core includes the widget header <%1>")
                                        .arg(include.target);
            continue;
        }
        const QString to = folderOf(include.target);
        if (to.isEmpty() || to == from)
            continue;
        edges[from].insert(to);
        if (!layerOf.contains(to))
            problems << where + QStringLiteral(": includes \"%1\" of a folder with no layer")
                                    .arg(include.target);
        else if (layerOf.value(to) >= layerOf.value(from))
            problems << where + QStringLiteral(": %1 (layer %2) includes \"%3\" of %4 (layer %5)")
                                    .arg(from)
                                    .arg(layerOf.value(from))
                                    .arg(include.target, to)
                                    .arg(layerOf.value(to));
    }
    const QString circle = findCircle(edges);
    if (!circle.isEmpty())
        problems << QStringLiteral("circle between folders: ") + circle;
    return problems;
}

} // namespace

// The folders of src/ show the layers the design rests on; the includes keep
// to them.
class TestLayers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sourceTreeKeepsItsLayers()
    {
        QVERIFY(!widgetHeaders().isEmpty());
        QVERIFY(QDir(QStringLiteral(KT_SOURCE_DIR "/core/base")).exists());
        const QStringList problems = layerViolations(QStringLiteral(KT_SOURCE_DIR));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    // The check itself, on small trees of its own.
    void breaksAreFound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem");
        QTest::newRow("core includes a window")
            << "core/base/AppError.cpp" << QByteArray("#include \"gui/TMainForm.h\"\n")
            << "src/core/base/AppError.cpp:1: core/base (layer 0) includes \"gui/TMainForm.h\" "
               "of gui (layer 5)";
        QTest::newRow("core includes a widget header")
            << "core/radio/Exchange.cpp" << QByteArray("// x\n#include <QPushButton>\n")
            << "src/core/radio/Exchange.cpp:2: the core includes the widget header <QPushButton>";
        QTest::newRow("sideways inside the core")
            << "core/channels/ChannelTable.h"
            << QByteArray("#include \"core/options/FunctionSettings.h\"\n")
            << "src/core/channels/ChannelTable.h:1: core/channels (layer 1) includes "
               "\"core/options/FunctionSettings.h\" of core/options (layer 1)";
        QTest::newRow("circle") << "core/base/LocaleNumber.h"
                                << QByteArray("#include \"core/files/ChannelFile.h\"\n")
                                << "circle between folders: core/base -> core/files -> core/base";
        QTest::newRow("folder without a layer")
            << "extra/Thing.cpp" << QByteArray("#include \"core/base/AppError.h\"\n")
            << "src/extra/Thing.cpp:1: folder extra has no layer";
    }
    void breaksAreFound()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QTemporaryDir src;
        // Files below may include files above.
        QVERIFY(TestSupport::writeFile(src.filePath(QStringLiteral("core/files/ChannelFile.h")),
                                       "#include \"core/base/LocaleNumber.h\"\n"));
        QVERIFY(
            TestSupport::writeFile(src.filePath(QStringLiteral("gui/TMainForm.h")),
                                   "#include \"core/files/ChannelFile.h\"\n#include <QWidget>\n"));
        QVERIFY(layerViolations(src.path()).isEmpty());
        QVERIFY(TestSupport::writeFile(src.filePath(file), text));
        QVERIFY2(layerViolations(src.path()).contains(problem),
                 qPrintable(layerViolations(src.path()).join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
