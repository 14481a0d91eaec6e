#include "cli/PortsCommand.h"

#include "core/ports/PortMap.h"
#include "core/workspace/Workspace.h"

#include <QStringList>
#include <algorithm>

namespace
{

const QString kGap = QStringLiteral("  ");

QString stateText(const PortReport &report)
{
    switch (report.state) {
    case PortReport::State::Free:
        return QStringLiteral("can be opened");
    case PortReport::State::Busy:
        return QStringLiteral("busy: ") +
               (report.holder ? report.holder->describe()
                              : QStringLiteral("in exclusive use by another program (%1)")
                                    .arg(report.reason));
    case PortReport::State::NoPermission:
        return QStringLiteral("no permission: join the %1 group (sudo adduser $USER %1, then "
                              "log in again)")
            .arg(report.accessGroup);
    case PortReport::State::Gone:
        return QStringLiteral("gone: the device does not exist");
    case PortReport::State::Failed:
        break;
    }
    return QStringLiteral("cannot be opened: ") +
           (report.reason.isEmpty() ? QStringLiteral("no reason given") : report.reason);
}

} // namespace

namespace PortsCommand
{

QString text(const Workspace &workspace)
{
    const PortMap map(workspace.portDevices(), PortMap::systemDevices());
    return format(PortReport::describe(map, PortAdapter::system(), workspace.portPlaces()));
}

QString format(const QList<PortReport> &reports)
{
    if (reports.isEmpty())
        return QStringLiteral("no serial port found\n");
    // Columns: port name, device, adapter ("-" when the system tells
    // nothing), state; each padded to its longest entry but the last.
    QList<QStringList> rows;
    for (const PortReport &report : reports) {
        const QString adapter = report.adapter.text();
        rows.append({PortMap::portName(report.port), report.devicePath,
                     adapter.isEmpty() ? QStringLiteral("-") : adapter, stateText(report)});
    }
    QList<qsizetype> widths(rows.first().size() - 1, 0);
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], row.at(column).size());
    }
    QString out;
    for (const QStringList &row : rows) {
        for (qsizetype column = 0; column < widths.size(); ++column)
            out += row.at(column).leftJustified(widths[column]) + kGap;
        out += row.last() + QLatin1Char('\n');
    }
    return out;
}

} // namespace PortsCommand
