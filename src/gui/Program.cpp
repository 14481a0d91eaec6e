#include "gui/Program.h"

#include "gui/TAboutBox.h"
#include "gui/TMainForm.h"
#include "gui/TRWForm.h"
#include "gui/TUserForm.h"
#include "gui/Taddmessage.h"
#include "gui/Tchannel.h"
#include "gui/Tcommuny.h"
#include "gui/Tfunc.h"

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
    m_mainForm->setHistory(m_history);
}

Program::~Program() = default;
