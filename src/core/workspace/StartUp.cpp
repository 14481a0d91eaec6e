#include "core/workspace/StartUp.h"

#include "core/workspace/SettingsStore.h"
#include "core/workspace/Workspace.h"

namespace StartUp
{

void applyConnection(Workspace &workspace, const SystemSettings &saved)
{
    workspace.setPortDevices(saved.portDevices);
    workspace.setPortNumber(saved.port);
    workspace.setSinglePort(saved.singlePort);
    workspace.setSafeWrites(saved.safeWrites);
    workspace.setFastTransfer(saved.fastTransfer);
    workspace.setModelIndex(saved.modelIndex);
}

void applyBands(Workspace &workspace, const SystemSettings &saved)
{
    BandList &bands = workspace.bands();
    bands.clear();
    for (const QString &band : saved.bands)
        bands.add(band);
    bands.setCurrentIndex(saved.bandIndex);
}

void prepareChannels(Workspace &workspace)
{
    ChannelTable &channels = workspace.channels();
    channels.setCurrentCell(1, 1);
    channels.setChannelCount(ChannelTable::MaxChannels);
    channels.labelRows();
}

} // namespace StartUp
