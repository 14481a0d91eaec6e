#pragma once

#include "core/editing/EditHistory.h"
#include "core/workspace/SettingsStore.h"
#include "core/workspace/Workspace.h"

#include <memory>

class TAboutBox;
class TMainForm;
class TRWForm;
class Tcommuny;
class TUserForm;
class Taddmessage;
class Tchannel;
class Tfunc;

// The program's windows over one workspace, each created exactly once and in
// a fixed order: main window, about box, read/write dialog, administrator
// dialog, function options, channel editor, port dialog, radio information. They live until
// the program ends.
class Program
{
public:
    // Language files are looked for in languageDirs (by default the
    // program's folder, then the installed data folder).
    explicit Program(SettingsStore settings, const QStringList &languageDirs = {});
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    Workspace &workspace() { return m_workspace; }
    EditHistory &history() { return m_history; }
    const SettingsStore &settings() const { return m_settings; }
    TMainForm *mainForm() const { return m_mainForm.get(); }
    TAboutBox *aboutBox() const { return m_aboutBox; }
    TRWForm *readWriteForm() const { return m_readWrite; }
    TUserForm *userForm() const { return m_userForm; }
    Tcommuny *portDialog() const { return m_portDialog; }
    Tfunc *func() const { return m_func; }
    Tchannel *channel() const { return m_channel; }
    Taddmessage *info() const { return m_info; }

private:
    SettingsStore m_settings;
    Workspace m_workspace;
    EditHistory m_history{m_workspace};
    std::unique_ptr<TMainForm> m_mainForm;
    TAboutBox *m_aboutBox;
    TRWForm *m_readWrite;
    TUserForm *m_userForm;
    Tfunc *m_func;
    Tchannel *m_channel;
    Tcommuny *m_portDialog;
    Taddmessage *m_info;
};
