#pragma once

class Workspace;
struct SystemSettings;

// The parts of start-up that put saved settings into the workspace, shared by
// the program's main window and the command-line tool. The main window runs
// them in its start-up order, with the language and the administrator dialog
// in between.
namespace StartUp
{

// The device of each port number, the port number (one outside 1..16 keeps
// port 1), single-port mode and the model.
void applyConnection(Workspace &workspace, const SystemSettings &saved);
// The band list and its selection exactly as saved.
void applyBands(Workspace &workspace, const SystemSettings &saved);
// The channel table ready for editing: first cell current, all channels in
// use by the radio, rows labelled "01" to "16".
void prepareChannels(Workspace &workspace);

} // namespace StartUp
