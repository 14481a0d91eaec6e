#pragma once

#include "app/SettingsStore.h"
#include "app/Workspace.h"

#include <memory>

class TMainForm;
class TUserForm;
class Taddmessage;
class Tchannel;
class Tfunc;

// The program's windows over one workspace, each created exactly once and in
// a fixed order: main window, administrator dialog, function options, channel
// editor, radio information. They live until the program ends.
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
    const SettingsStore &settings() const { return m_settings; }
    TMainForm *mainForm() const { return m_mainForm.get(); }
    TUserForm *userForm() const { return m_userForm; }
    Tfunc *func() const { return m_func; }
    Tchannel *channel() const { return m_channel; }
    Taddmessage *info() const { return m_info; }

private:
    SettingsStore m_settings;
    Workspace m_workspace;
    std::unique_ptr<TMainForm> m_mainForm;
    TUserForm *m_userForm;
    Tfunc *m_func;
    Tchannel *m_channel;
    Taddmessage *m_info;
};
