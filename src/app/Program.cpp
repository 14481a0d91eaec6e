#include "app/Program.h"

#include "app/TAboutBox.h"
#include "app/TMainForm.h"
#include "app/TUserForm.h"
#include "app/Taddmessage.h"
#include "app/Tcommuny.h"
#include "channels/Tchannel.h"
#include "options/Tfunc.h"
#include "radio/TRWForm.h"

#include <utility>

Program::Program(SettingsStore settings, const QStringList &languageDirs)
    : m_settings(std::move(settings))
{
    m_mainForm = std::make_unique<TMainForm>(m_workspace, m_settings);
    if (!languageDirs.isEmpty())
        m_mainForm->setLanguageDirs(languageDirs);
    m_aboutBox = new TAboutBox(m_mainForm.get());
    m_readWrite = new TRWForm(m_workspace, m_mainForm.get());
    m_userForm = new TUserForm(m_settings, m_mainForm.get());
    m_func = new Tfunc(m_workspace.functions());
    m_channel = new Tchannel(m_workspace);
    m_portDialog = new Tcommuny(m_workspace, m_mainForm.get());
    m_info = new Taddmessage(m_workspace.info());
    m_mainForm->attachWindows(
        {m_aboutBox, m_readWrite, m_userForm, m_func, m_channel, m_portDialog, m_info});
}

Program::~Program() = default;
