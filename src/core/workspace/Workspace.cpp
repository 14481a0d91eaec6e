#include "core/workspace/Workspace.h"

#include "core/ports/PortMap.h"

Workspace::Workspace(QObject *parent)
    : QObject(parent), m_texts(LanguageTexts::builtIn()), m_channels(m_texts, m_bands)
{
}

void Workspace::adoptSettingsOf(const Workspace &other)
{
    m_texts = other.m_texts;
    m_bands.clear();
    for (const QString &band : other.m_bands.items())
        m_bands.add(band);
    m_bands.setCurrentIndex(other.m_bands.currentIndex());
    for (int list = 0; list < FunctionSettings::ListCount; ++list) {
        const auto setting = FunctionSettings::List(list);
        m_functions.setItems(setting, other.m_functions.items(setting));
    }
    m_administrator = other.m_administrator;
    m_portNumber = other.m_portNumber;
    m_portDevices = other.m_portDevices;
    m_portPlaces = other.m_portPlaces;
    m_singlePort = other.m_singlePort;
    m_languageNumber = other.m_languageNumber;
    m_channels.setChannelCount(other.m_channels.channelCount());
    m_channels.labelRows();
}

const QStringList &Workspace::modelList()
{
    static const QStringList models = {QStringLiteral("PW-100"), QStringLiteral("R5")};
    return models;
}

QString Workspace::modelText() const
{
    return modelList().value(m_modelIndex);
}

void Workspace::setModelIndex(int index)
{
    const int model = index >= 0 && index < modelList().size() ? index : 0;
    if (model == m_modelIndex)
        return;
    m_modelIndex = model;
    Q_EMIT modelChanged();
}

void Workspace::applyModelChange()
{
    setCaption(modelText());
}

void Workspace::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged();
}

void Workspace::setPortNumber(int port)
{
    if (port < 1 || port > PortCount || port == m_portNumber)
        return;
    m_portNumber = port;
    Q_EMIT portChanged();
}

bool Workspace::choosePortDevice(int port, const QString &devicePath)
{
    if (port < 1 || port > PortCount || devicePath.trimmed().isEmpty() ||
        !m_portDevices.value(port - 1).trimmed().isEmpty())
        return false;
    if (m_portDevices.size() < PortCount)
        m_portDevices.resize(PortCount);
    m_portDevices[port - 1] = devicePath;
    m_chosenPortDevices[port - 1] = devicePath;
    return true;
}

QString Workspace::portDevicePath() const
{
    return PortMap(m_portDevices, PortMap::systemDevices()).devicePath(m_portNumber);
}
