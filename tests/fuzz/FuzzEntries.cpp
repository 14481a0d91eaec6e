#include "fuzz/FuzzEntries.h"

#include "core/base/AppError.h"
#include "core/base/ProfileFile.h"
#include "core/base/StringTable.h"
#include "core/files/ChannelCsv.h"
#include "core/files/ChannelFile.h"
#include "core/radio/MemoryMap.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"

#include <optional>

namespace FuzzEntries
{

void channelFile(const QByteArray &bytes)
{
    Workspace workspace;
    workspace.bands().add(QStringLiteral("400-470MHz"));
    workspace.bands().setCurrentIndex(0);
    try {
        const std::optional<ChannelFile::Contents> contents =
            ChannelFile::decode(bytes, workspace.functions());
        if (contents) {
            ChannelFile::apply(*contents, workspace);
            // What was taken must be written back or refused cleanly.
            (void)ChannelFile::encode(workspace);
        }
    } catch (const AppError &) {
    }
}

void channelCsv(const QByteArray &bytes)
{
    Workspace workspace;
    workspace.bands().add(QStringLiteral("400-470MHz"));
    workspace.bands().setCurrentIndex(0);
    try {
        const ChannelCsv::Import import = ChannelCsv::decode(bytes, workspace);
        for (const ChannelCsv::Problem &problem : import.problems)
            (void)problem.english();
        ChannelCsv::apply(import, workspace);
        // What was taken must be exportable.
        (void)ChannelCsv::encode(workspace);
    } catch (const AppError &) {
    }
}

void profileFile(const QByteArray &bytes)
{
    const ProfileFile file(QString(), bytes);
    for (const char *key : {"com", "co_mode", "M_type", "lang"})
        (void)file.readInt(QStringLiteral("open"), QLatin1String(key), 0);
    const int count =
        qBound(0, file.readInt(QStringLiteral("list"), QStringLiteral("listcount"), 0), 64);
    for (int i = 0; i < count; ++i)
        (void)file.readString(QStringLiteral("list"), QStringLiteral("combo%1").arg(i));
    for (int port = 1; port <= 16; ++port)
        (void)file.readString(QStringLiteral("ports"), QStringLiteral("com%1").arg(port));
    (void)file.readString(QStringLiteral("User"), QStringLiteral("name"));
    (void)file.lines();
}

void stringTable(const QByteArray &bytes)
{
    const StringTable table = StringTable::parse(QString::fromUtf8(bytes));
    Workspace workspace;
    workspace.channels().setCell(5, 1, QStringLiteral("High"));
    LanguageSwitch::apply(table, workspace);
}

void radioBlocks(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const QByteArray block = bytes.mid(1);
    Workspace workspace;
    for (const QString &text :
         {QString::fromLatin1(block.toHex().toUpper()), QString::fromLatin1(block)}) {
        try {
            switch (static_cast<unsigned char>(bytes.at(0)) % 6) {
            case 0:
                (void)MemoryMap::modelIndex(text);
                break;
            case 1:
                (void)MemoryMap::bandText(text);
                break;
            case 2:
                MemoryMap::decodeInformation(text, workspace);
                break;
            case 3:
                MemoryMap::decodeChannel(text, 1, workspace);
                break;
            case 4:
                MemoryMap::decodeFunctionBlock1(text, workspace);
                break;
            default:
                MemoryMap::decodeFunctionBlock2(text, workspace);
                break;
            }
        } catch (const AppError &) {
        }
    }
}

} // namespace FuzzEntries
