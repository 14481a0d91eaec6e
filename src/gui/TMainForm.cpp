#include "gui/TMainForm.h"

#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"
#include "core/editing/EditHistory.h"
#include "core/files/ChannelCsv.h"
#include "core/files/ChannelFile.h"
#include "core/ports/PortMap.h"
#include "core/ports/ProbePort.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/SettingsStore.h"
#include "core/workspace/StartUp.h"
#include "core/workspace/Workspace.h"
#include "gui/ApplyText.h"
#include "gui/ChildWindow.h"
#include "gui/ErrorBox.h"
#include "gui/ImportBox.h"
#include "gui/QtTranslation.h"
#include "gui/TAboutBox.h"
#include "gui/TFleetForm.h"
#include "gui/TRWForm.h"
#include "gui/TUserForm.h"
#include "gui/Taddmessage.h"
#include "gui/Tchannel.h"
#include "gui/Tcommuny.h"
#include "gui/Tfunc.h"
#include "gui/WheelGuard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace
{

QAction *makeAction(QObject *parent, const char *name, const QString &text,
                    const QIcon &icon = QIcon())
{
    auto *action = new QAction(icon, text, parent);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

TMainForm::TMainForm(Workspace &workspace, const SettingsStore &settings, QWidget *parent)
    : QMainWindow(parent), m_workspace(workspace), m_settings(settings),
      m_languageDirs(StringTable::searchDirs())
{
    setObjectName(QStringLiteral("MainForm"));
    resize(742, 631);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TMainForm::subWindowActivated);

    createActions();
    createMenus();
    createToolBar();

    StatusBar1 = new QLabel(QStringLiteral("    VESQAR调频手持对讲机KT-100系列编程软件"), this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBar1, 1);

    // The title bar marks unsaved changes.
    connect(&m_workspace, &Workspace::captionChanged, this, &TMainForm::showTitle);
    connect(&m_workspace, &Workspace::modelChanged, this, [this] {
        const QSignalBlocker blocker(ComboBox1);
        ComboBox1->setCurrentIndex(m_workspace.modelIndex());
    });
    connect(&m_workspace.bands(), &BandList::changed, this, [this] {
        const QSignalBlocker blocker(ComboBand);
        ComboBand->clear();
        ComboBand->addItems(m_workspace.bands().items());
        ComboBand->setCurrentIndex(m_workspace.bands().currentIndex());
    });
}

TMainForm::~TMainForm()
{
    // The child windows go after this object; their activation changes on
    // the way must not reach it.
    disconnect(m_mdi, nullptr, this, nullptr);
}

void TMainForm::createActions()
{
    QStyle *s = style();
    FileNewItem = makeAction(this, "FileNewItem", QStringLiteral("新建"),
                             s->standardIcon(QStyle::SP_FileIcon));
    FileNewItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    FileOpenItem = makeAction(this, "FileOpenItem", QStringLiteral("打开"),
                              s->standardIcon(QStyle::SP_DialogOpenButton));
    FileOpenItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    FileCloseItem = makeAction(this, "FileCloseItem", QStringLiteral("保存"),
                               s->standardIcon(QStyle::SP_DialogSaveButton));
    FileCloseItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    FileImportCsvItem = makeAction(this, "FileImportCsvItem", m_workspace.texts().importItemText);
    FileExportCsvItem = makeAction(this, "FileExportCsvItem", m_workspace.texts().exportItemText);
    FileExitItem = makeAction(this, "FileExitItem", QStringLiteral("退出"));
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);

    CutItem =
        makeAction(this, "CutItem", QStringLiteral("读频"), s->standardIcon(QStyle::SP_ArrowDown));
    CopyItem =
        makeAction(this, "CopyItem", QStringLiteral("写频"), s->standardIcon(QStyle::SP_ArrowUp));
    ChannelInformation1 = makeAction(this, "ChannelInformation1", QStringLiteral("信道编辑"),
                                     s->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(ChannelInformation1, &QAction::triggered, this, &TMainForm::ChannelInformation1Click);
    OptionalFeatures1 = makeAction(this, "OptionalFeatures1", QStringLiteral("可选功能"),
                                   s->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(OptionalFeatures1, &QAction::triggered, this, &TMainForm::OptionalFeatures1Click);
    N4 = makeAction(this, "N4", QStringLiteral("本机信息"));
    RadioInfoCommand = makeAction(this, "RadioInfoCommand", QStringLiteral("本机信息"),
                                  s->standardIcon(QStyle::SP_MessageBoxInformation));
    connect(RadioInfoCommand, &QAction::triggered, this, &TMainForm::ToolButton11Click);

    WindowCascadeItem = makeAction(this, "WindowCascadeItem", QStringLiteral("通信端口"),
                                   s->standardIcon(QStyle::SP_DriveNetIcon));
    N5 = makeAction(this, "N5", QStringLiteral("中文"));
    N6 = makeAction(this, "N6", QStringLiteral("英文"));
    N7 = makeAction(this, "N7", QStringLiteral("中文(繁體)"));
    for (QAction *language : {N5, N6, N7})
        language->setCheckable(true);
    FleetItem = makeAction(this, "FleetItem", m_workspace.texts().fleetItemText);
    connect(FleetItem, &QAction::triggered, this, &TMainForm::FleetItemClick);
    SafeWriteItem = makeAction(this, "SafeWriteItem", m_workspace.texts().safeWriteText);
    SafeWriteItem->setCheckable(true);
    SafeWriteItem->setChecked(m_workspace.safeWrites());
    connect(SafeWriteItem, &QAction::toggled, this,
            [this](bool on) { m_workspace.setSafeWrites(on); });
    // Off at every start: a trace is asked for when something goes wrong.
    TraceItem = makeAction(this, "TraceItem", m_workspace.texts().traceItemText);
    TraceItem->setCheckable(true);
    TraceItem->setChecked(m_workspace.recordTrace());
    connect(TraceItem, &QAction::toggled, this,
            [this](bool on) { m_workspace.setRecordTrace(on); });
    connect(N5, &QAction::triggered, this, &TMainForm::N5Click);
    connect(N6, &QAction::triggered, this, &TMainForm::N6Click);
    connect(N7, &QAction::triggered, this, &TMainForm::N7Click);
    connect(FileNewItem, &QAction::triggered, this, &TMainForm::ToolButton9Click);
    connect(FileOpenItem, &QAction::triggered, this, &TMainForm::ToolButton1Click);
    connect(FileCloseItem, &QAction::triggered, this, &TMainForm::ToolButton2Click);
    connect(FileImportCsvItem, &QAction::triggered, this, &TMainForm::FileImportCsvItemClick);
    connect(FileExportCsvItem, &QAction::triggered, this, &TMainForm::FileExportCsvItemClick);

    const LanguageTexts &texts = m_workspace.texts();
    UndoItem = makeAction(this, "UndoItem", texts.undoText, QIcon::fromTheme("edit-undo"));
    UndoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoItem = makeAction(this, "RedoItem", texts.redoText, QIcon::fromTheme("edit-redo"));
    RedoItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    CutChannelsItem = makeAction(this, "CutChannelsItem", texts.cutText);
    CutChannelsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    CopyChannelsItem = makeAction(this, "CopyChannelsItem", texts.copyText);
    CopyChannelsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    PasteChannelsItem = makeAction(this, "PasteChannelsItem", texts.pasteText);
    PasteChannelsItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    for (QAction *undo : {UndoItem, RedoItem})
        undo->setEnabled(false);
    connect(UndoItem, &QAction::triggered, this, &TMainForm::UndoItemClick);
    connect(RedoItem, &QAction::triggered, this, &TMainForm::RedoItemClick);
    connect(CutChannelsItem, &QAction::triggered, this, &TMainForm::CutChannelsItemClick);
    connect(CopyChannelsItem, &QAction::triggered, this, &TMainForm::CopyChannelsItemClick);
    connect(PasteChannelsItem, &QAction::triggered, this, &TMainForm::PasteChannelsItemClick);

    HelpAboutItem = makeAction(this, "HelpAboutItem", QStringLiteral("帮助"));
    About1 = makeAction(this, "About1", QStringLiteral("关于"));
    connect(WindowCascadeItem, &QAction::triggered, this, &TMainForm::WindowCascadeItemClick);
    connect(About1, &QAction::triggered, this, &TMainForm::About1Click);

    connect(CutItem, &QAction::triggered, this, &TMainForm::ToolButton4Click);
    connect(CopyItem, &QAction::triggered, this, &TMainForm::ToolButton5Click);
}

void TMainForm::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(QStringLiteral("文件"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->addActions({FileNewItem, FileOpenItem, FileCloseItem});
    File1->addSeparator();
    File1->addActions({FileImportCsvItem, FileExportCsvItem});
    File1->addSeparator();
    File1->addAction(FileExitItem);

    EditMenu = bar->addMenu(m_workspace.texts().editMenuText);
    EditMenu->setObjectName(QStringLiteral("EditMenu"));
    EditMenu->addActions({UndoItem, RedoItem});
    EditMenu->addSeparator();
    EditMenu->addActions({CutChannelsItem, CopyChannelsItem, PasteChannelsItem});
    // The texts name the steps as they stand when the menu opens.
    connect(EditMenu, &QMenu::aboutToShow, this, &TMainForm::refreshEditActions);

    Edit1 = bar->addMenu(QStringLiteral("编程"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->addActions({CutItem, CopyItem, FleetItem});
    Edit1->addSeparator();
    Edit1->addActions({ChannelInformation1, OptionalFeatures1});
    Edit1->addSeparator();
    Edit1->addAction(N4);

    Window1 = bar->addMenu(QStringLiteral("工具"));
    Window1->setObjectName(QStringLiteral("Window1"));
    Window1->addAction(WindowCascadeItem);
    N2 = Window1->addMenu(QStringLiteral("语言"));
    N2->setObjectName(QStringLiteral("N2"));
    N2->addActions({N5, N6, N7});
    Window1->addSeparator();
    Window1->addAction(SafeWriteItem);
    Window1->addAction(TraceItem);

    Help1 = bar->addMenu(QStringLiteral("帮助"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->addActions({HelpAboutItem, About1});
}

void TMainForm::createToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(24, 24));
    bar->setFixedHeight(33);

    auto button = [bar](const char *name, QAction *action) {
        auto *tool = new QToolButton(bar);
        tool->setObjectName(QLatin1String(name));
        tool->setDefaultAction(action);
        tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
        tool->setFixedSize(31, 30);
        bar->addWidget(tool);
    };
    button("ToolButton9", FileNewItem);
    button("ToolButton1", FileOpenItem);
    button("ToolButton2", FileCloseItem);
    bar->addSeparator();
    button("ToolButton4", CutItem);
    button("ToolButton6", WindowCascadeItem);
    button("ToolButton5", CopyItem);
    bar->addSeparator();
    button("ToolButton8", ChannelInformation1);
    button("ToolButton10", OptionalFeatures1);
    button("ToolButton11", RadioInfoCommand);
    bar->addSeparator();

    auto *panel = new QWidget(bar);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QHBoxLayout(panel);
    layout->setContentsMargins(6, 0, 6, 0);
    Label2 = new QLabel(QStringLiteral("型号："), panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    ComboBox1 = new QComboBox(panel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(Workspace::modelList());
    ComboBox1->setFixedWidth(101);
    // A model change resets settings and a file's model line: never by a
    // wheel turned on the way past.
    WheelGuard::takeWheelOnlyWithFocus(ComboBox1);
    Label3 = new QLabel(QStringLiteral("频段："), panel);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->hide();
    ComboBand = new QComboBox(panel);
    ComboBand->setObjectName(QStringLiteral("ComboBand"));
    ComboBand->addItems({QStringLiteral("400-470MHz"), QStringLiteral("400-430MHz")});
    ComboBand->hide();
    layout->addWidget(Label2);
    layout->addWidget(ComboBox1);
    layout->addWidget(Label3);
    layout->addWidget(ComboBand);
    bar->addWidget(panel);

    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        m_workspace.setModelIndex(index);
        ComboBox1Change();
        record([this] { return Label2->text(); });
    });
}

ChildWindow *TMainForm::addChild(QWidget *content, const QString &name, QSize size, QPoint at)
{
    auto *child = new ChildWindow(content);
    child->setObjectName(name);
    m_mdi->addSubWindow(child);
    child->resize(child->sizeHint().expandedTo(size));
    child->move(at);
    child->show();
    return child;
}

void TMainForm::attachWindows(const Windows &windows)
{
    m_about = windows.about;
    m_readWrite = windows.readWrite;
    m_userForm = windows.userForm;
    m_func = windows.func;
    m_channel = windows.channel;
    m_port = windows.port;
    m_info = windows.info;

    // Created visible; the channel editor, added after the function options,
    // lies in front of it.
    m_functionWindow = addChild(m_func, QStringLiteral("funcWindow"), {624, 420}, {0, 0});
    m_channelWindow = addChild(m_channel, QStringLiteral("channelWindow"), {750, 480}, {150, 130});
    m_infoWindow = addChild(m_info, QStringLiteral("infoWindow"), {}, {300, 60});
    m_infoWindow->setWindowFlags(m_infoWindow->windowFlags() & ~Qt::WindowMaximizeButtonHint);
    connect(m_info, &Taddmessage::closeRequested, m_infoWindow, &ChildWindow::hideChild);

    m_mdi->setActiveSubWindow(m_channelWindow);
    connect(m_readWrite, &TRWForm::exchangeFinished, this, [this](int tag, bool succeeded) {
        // A read replaces the configuration, also when it failed on the way.
        if (tag == TRWForm::ReadTag)
            record([this] { return CutItem->text(); });
        if (succeeded)
            markSaved();
    });
}

void TMainForm::setHistory(EditHistory &history)
{
    m_history = &history;
    if (m_channel)
        m_channel->setHistory(&history);
    if (m_func)
        m_func->setHistory(&history);
    // Undo and redo across a language change change the language back and forth.
    history.setLanguageSwitcher([this](int language) {
        m_workspace.setLanguageNumber(language);
        // No language applied stands for the built-in texts, which are
        // simplified Chinese.
        ApplyLanguage(LanguageSwitch::menuBaseName(language == 0 ? 1 : language));
        markLanguage(language);
    });
    connect(&history, &EditHistory::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&history, &EditHistory::stepsChanged, this, &TMainForm::refreshEditActions);
    connect(&history, &EditHistory::stepRestored, this, [this](int column, int row) {
        if (m_channel)
            m_channel->showStep(column, row);
    });
    // A change under way can be undone too.
    connect(&m_workspace.channels(), &ChannelTable::dataChanged, this,
            &TMainForm::refreshEditActions);
    connect(&m_workspace.functions(), &FunctionSettings::changed, this,
            &TMainForm::refreshEditActions);
    refreshEditActions();
}

void TMainForm::showTitle()
{
    setWindowTitle(m_workspace.caption() + QStringLiteral("[*]"));
}

void TMainForm::record(const std::function<QString()> &commandText)
{
    if (!m_history)
        return;
    m_history->commit([commandText] {
        QString name = commandText().remove(QLatin1Char('&')).trimmed();
        for (const QString &end : {QStringLiteral("..."), QStringLiteral("…"), QStringLiteral("："),
                                   QStringLiteral(":")}) {
            if (name.endsWith(end))
                name.chop(end.size());
        }
        return name.trimmed();
    });
}

void TMainForm::markSaved()
{
    if (m_history)
        m_history->markSaved();
}

void TMainForm::refreshEditActions()
{
    if (!m_history)
        return;
    const LanguageTexts &texts = m_workspace.texts();
    const QString undo = m_history->undoText();
    const QString redo = m_history->redoText();
    UndoItem->setText(undo.isEmpty() ? texts.undoText
                                     : texts.stepItemText.arg(texts.undoText, undo));
    RedoItem->setText(redo.isEmpty() ? texts.redoText
                                     : texts.stepItemText.arg(texts.redoText, redo));
    UndoItem->setEnabled(m_history->canUndo());
    RedoItem->setEnabled(m_history->canRedo());
}

void TMainForm::UndoItemClick()
{
    if (!m_history)
        return;
    // Undo never fails: a frequency still being typed is taken back as typed.
    if (m_channel)
        m_channel->hideOverlayEditors();
    m_history->undo();
}

void TMainForm::RedoItemClick()
{
    if (!m_history)
        return;
    if (m_channel)
        m_channel->hideOverlayEditors();
    m_history->redo();
}

void TMainForm::runClipboardCommand(void (Tchannel::*command)())
{
    ErrorBox::run(this, [this, command] {
        commitPendingEdit(true);
        if (m_channel)
            (m_channel->*command)();
    });
}

void TMainForm::CutChannelsItemClick()
{
    runClipboardCommand(&Tchannel::cutChannels);
}

void TMainForm::CopyChannelsItemClick()
{
    runClipboardCommand(&Tchannel::copyChannels);
}

void TMainForm::PasteChannelsItemClick()
{
    runClipboardCommand(&Tchannel::pasteChannels);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_startedUp) {
        m_startedUp = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    // 1. The administrator: stored, or asked for once.
    bool endProgram = false;
    QString name = m_settings.readAdministrator();
    if (name.isEmpty() && m_userForm) {
        m_userForm->exec();
        name = m_userForm->administrator();
        endProgram = name.isEmpty();
    }
    m_workspace.setAdministrator(name);

    // 2. to 5. Port, single-port mode and model. A port outside 1..16 keeps port 1.
    const SystemSettings saved = m_settings.readSystem();
    StartUp::applyConnection(m_workspace, saved);
    SafeWriteItem->setChecked(m_workspace.safeWrites());

    // 6. The interface language: 1, 2 or 3 marks its menu item; anything else
    //    applies none and marks none.
    if (saved.language >= 1 && saved.language <= LanguageSwitch::LanguageCount) {
        markLanguage(saved.language);
        m_workspace.setLanguageNumber(saved.language);
        ApplyLanguage(LanguageSwitch::startupBaseName(saved.language));
    }

    // 7. The radio information window's status line names the administrator.
    showAdministratorStatus();

    // 8. The band list, exactly as saved.
    StartUp::applyBands(m_workspace, saved);

    // 9. The model change.
    ComboBox1Change();
    // 10. The radio information window starts hidden.
    if (m_infoWindow)
        m_infoWindow->hideChild();
    // 11. and 13. Current cell, channel count and channel numbers.
    StartUp::prepareChannels(m_workspace);
    // 12. The long-press time.
    FunctionSettings &functions = m_workspace.functions();
    functions.setKeyTimePosition(15);
    ErrorBox::run(this, [&] { functions.setKeyTimeText(LocaleNumber::fixed(1.5, 1)); });

    // The configuration as start-up leaves it is where the history begins.
    if (m_history)
        m_history->reset();

    // No administrator: the program ends now that start-up is complete; the
    // settings are still written on the way out.
    if (endProgram)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TMainForm::chooseLanguage(int language)
{
    // What was being typed is a step of its own, in the old language.
    if (m_history)
        m_history->commitPending();
    m_workspace.setLanguageNumber(language);
    ApplyLanguage(LanguageSwitch::menuBaseName(language));
    markLanguage(language);
    record([this] { return N2->title(); });
}

void TMainForm::markLanguage(int language)
{
    N5->setChecked(language == 1);
    N6->setChecked(language == 2);
    N7->setChecked(language == 3);
}

void TMainForm::ApplyLanguage(const QString &baseName)
{
    const QString path = StringTable::find(baseName, m_languageDirs);
    if (path.isEmpty())
        return;
    // A file that cannot be read counts as missing: nothing changes.
    const std::optional<StringTable> table = StringTable::load(path);
    if (!table)
        return;
    // The data first, so windows that show cell words see the new ones.
    LanguageSwitch::apply(*table, m_workspace);
    QtTranslation::use(m_workspace.languageNumber());
    applyOwnLanguage(*table);
    if (m_func)
        m_func->applyLanguage(*table);
    if (m_channel)
        m_channel->applyLanguage(*table);
    if (m_info) {
        m_info->applyLanguage(*table);
        // The status line repeats the administrator label: in the new
        // language once start-up has written it.
        if (!m_workspace.info().statusText().isEmpty())
            showAdministratorStatus();
    }
    if (m_about)
        m_about->applyLanguage(*table);
    if (m_port)
        m_port->applyLanguage(*table);
    if (m_readWrite)
        m_readWrite->applyLanguage(*table);
}

void TMainForm::applyOwnLanguage(const StringTable &table)
{
    if (table.contains(1))
        About1->setText(table.text(1) + QStringLiteral("..."));
    const std::pair<QMenu *, int> menus[] = {
        {File1, 9}, {Edit1, 10}, {Window1, 11}, {Help1, 12}, {N2, 23}};
    for (const auto &[menu, entry] : menus)
        menu->setTitle(table.text(entry, menu->title()));
    const std::pair<QAction *, int> items[] = {{HelpAboutItem, 12},
                                               {FileNewItem, 13},
                                               {FileOpenItem, 14},
                                               {FileCloseItem, 15},
                                               {FileExitItem, 16},
                                               {CutItem, 17},
                                               {CopyItem, 18},
                                               {ChannelInformation1, 19},
                                               {OptionalFeatures1, 20},
                                               {WindowCascadeItem, 22},
                                               {N5, 56},
                                               {N6, 57},
                                               {N4, 145},
                                               {RadioInfoCommand, 145}};
    for (const auto &[item, entry] : items)
        applyText(item, table, entry);
    m_readButtonText = table.text(53, m_readButtonText);
    m_writeButtonText = table.text(54, m_writeButtonText);
    if (m_demo)
        StatusBar1->setText(QStringLiteral("     ") + m_workspace.texts().demoText);
    else if (table.contains(61))
        StatusBar1->setText(QStringLiteral("     ") + table.text(61));
    applyText(Label2, table, 157);
    SafeWriteItem->setText(m_workspace.texts().safeWriteText);
    TraceItem->setText(m_workspace.texts().traceItemText);
    FleetItem->setText(m_workspace.texts().fleetItemText);
    FileImportCsvItem->setText(m_workspace.texts().importItemText);
    FileExportCsvItem->setText(m_workspace.texts().exportItemText);
    EditMenu->setTitle(m_workspace.texts().editMenuText);
    CutChannelsItem->setText(m_workspace.texts().cutText);
    CopyChannelsItem->setText(m_workspace.texts().copyText);
    PasteChannelsItem->setText(m_workspace.texts().pasteText);
    if (m_history)
        m_history->retranslate();
    refreshEditActions();
}

void TMainForm::ComboBox1Change()
{
    m_workspace.applyModelChange();
}

void TMainForm::ChannelInformation1Click()
{
    if (m_channelWindow)
        m_channelWindow->showChild();
}

void TMainForm::OptionalFeatures1Click()
{
    if (m_functionWindow)
        m_functionWindow->showChild();
}

void TMainForm::ToolButton11Click()
{
    if (m_infoWindow)
        m_infoWindow->showChild();
}

void TMainForm::commitPendingEdit(bool hideListEditors)
{
    if (!m_channel)
        return;
    if (m_channel->isFrequencyEditorVisible())
        m_workspace.channels().sendallcell();
    if (hideListEditors)
        m_channel->hideOverlayEditors();
    else
        m_channel->hideFrequencyEditor();
    // The edit is a step of its own, before what the command does.
    if (m_history)
        m_history->commitPending();
}

QString TMainForm::chooseFile(bool forSaving, bool csvList)
{
    const QString filter = csvList ? ChannelCsv::dialogFilter() : ChannelFile::dialogFilter();
    QFileDialog dialog(this, QString(), m_fileDir, filter);
    if (csvList)
        dialog.setObjectName(forSaving ? QStringLiteral("ExportCsvDialog")
                                       : QStringLiteral("ImportCsvDialog"));
    else
        dialog.setObjectName(forSaving ? QStringLiteral("SaveDialog1")
                                       : QStringLiteral("OpenDialog1"));
    dialog.setDefaultSuffix(csvList ? ChannelCsv::defaultSuffix() : ChannelFile::defaultSuffix());
    // Qt's own dialog collapses the blanks of a filter's caption; its list
    // of file types shows the caption as it is.
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        types->setItemText(0, filter);
    if (forSaving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Saving over an existing file is what the user asked for.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A typed name that does not exist reaches Open, which reports it.
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString path = dialog.selectedFiles().constFirst();
    m_fileDir = QFileInfo(path).absolutePath();
    return path;
}

void TMainForm::ToolButton9Click()
{
    QMessageBox question(QMessageBox::Warning, m_workspace.texts().newCaption,
                         m_workspace.texts().newPromptText, QMessageBox::Yes | QMessageBox::No,
                         this);
    question.setObjectName(QStringLiteral("NewQuestion"));
    if (question.exec() != QMessageBox::Yes)
        return;
    if (m_channel)
        m_channel->hideOverlayEditors();
    if (m_history)
        m_history->commitPending();
    ChannelFile::newConfiguration(m_workspace);
    // A new configuration has nothing to lose yet.
    record([this] { return FileNewItem->text(); });
    markSaved();
}

void TMainForm::ToolButton1Click()
{
    ErrorBox::run(this, [this] {
        commitPendingEdit(false);
        const QString path = chooseFile(false);
        if (!path.isEmpty())
            openChannelFile(path);
    });
}

void TMainForm::openFile(const QString &path)
{
    ErrorBox::run(this, [this, &path] {
        commitPendingEdit(false);
        openChannelFile(path);
    });
}

void TMainForm::openChannelFile(const QString &path)
{
    const bool opened = ChannelFile::open(m_workspace, path);
    if (m_channel)
        m_channel->hideFrequencyEditor();
    if (opened) {
        record([this] { return FileOpenItem->text(); });
        markSaved();
    }
}

void TMainForm::ToolButton2Click()
{
    saveConfiguration();
}

bool TMainForm::saveConfiguration()
{
    bool saved = false;
    ErrorBox::run(this, [this, &saved] {
        commitPendingEdit(false);
        const QString path = chooseFile(true);
        if (path.isEmpty())
            return;
        ChannelFile::save(m_workspace, path);
        markSaved();
        saved = true;
    });
    return saved;
}

void TMainForm::FileImportCsvItemClick()
{
    ErrorBox::run(this, [this] {
        commitPendingEdit(false);
        const QString path = chooseFile(false, true);
        if (path.isEmpty())
            return;
        // The whole list is read and checked before the box asks; Cancel
        // leaves everything as it was.
        const ChannelCsv::Import import = ChannelCsv::read(path, m_workspace);
        if (!ImportBox::confirm(this, m_workspace.texts(), import, QFileInfo(path).fileName()))
            return;
        if (m_channel)
            m_channel->hideOverlayEditors();
        ChannelCsv::apply(import, m_workspace);
        record([this] { return FileImportCsvItem->text(); });
    });
}

void TMainForm::FileExportCsvItemClick()
{
    ErrorBox::run(this, [this] {
        commitPendingEdit(false);
        // A cell the list cannot express is reported before a file is chosen.
        (void)ChannelCsv::encode(m_workspace);
        const QString path = chooseFile(true, true);
        if (!path.isEmpty())
            ChannelCsv::save(m_workspace, path);
    });
}

void TMainForm::FleetItemClick()
{
    // The configuration as the editors show it, a frequency still being
    // typed included.
    const bool committed = ErrorBox::run(this, [this] { commitPendingEdit(true); });
    if (!committed)
        return;
    TFleetForm dialog(m_workspace, this);
    dialog.exec();
    // Written into a radio is as good as saved.
    if (dialog.run().writtenCount() > 0)
        markSaved();
}

void TMainForm::startExchange(int tag)
{
    if (!m_readWrite)
        return;
    const bool committed = ErrorBox::run(this, [this] { commitPendingEdit(true); });
    if (!committed)
        return;
    QString reason;
    std::optional<PortHolder> holder;
    if (!ProbePort(m_workspace.portDevicePath(), &reason, &holder, m_workspace.portPlaces())) {
        const LanguageTexts &texts = m_workspace.texts();
        QMessageBox box(QMessageBox::Warning, texts.warningCaption, texts.portErrorText,
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("PortErrorBox"));
        // The system's reason tells a Linux user about the dialout group; a
        // holder the system shows is named.
        if (holder)
            reason = holder->describe(texts.heldByText, texts.heldByProcessText);
        box.setDetailedText(PortMap::portName(m_workspace.portNumber()) + QStringLiteral(": ") +
                            (reason.isEmpty() ? texts.portErrorText : reason));
        box.exec();
        return;
    }
    const bool reading = tag == TRWForm::ReadTag;
    m_readWrite->setWindowTitle(reading ? CutItem->text() : CopyItem->text());
    m_readWrite->setStartText(reading ? m_readButtonText : m_writeButtonText);
    m_readWrite->setTag(tag);
    m_readWrite->resetProgress();
    m_readWrite->exec();
}

void TMainForm::WindowCascadeItemClick()
{
    if (m_port)
        m_port->exec();
}

void TMainForm::About1Click()
{
    if (m_about)
        m_about->exec();
}

void TMainForm::subWindowActivated(QMdiSubWindow *window)
{
    // Activation leaving the function options window tidies its long-press
    // time text; leaving the channel editor hides its overlay editors
    // without committing. A null window (the whole frame lost focus) is not
    // a change between child windows.
    if (!window || window == m_lastActive)
        return;
    if (m_lastActive == m_functionWindow && m_func)
        m_func->FormDeactivate();
    if (m_lastActive == m_channelWindow && m_channel)
        m_channel->FormDeactivate();
    m_lastActive = window;
    // The clipboard commands act on the channel editor's channels.
    for (QAction *clipboard : {CutChannelsItem, CopyChannelsItem, PasteChannelsItem})
        clipboard->setEnabled(window == m_channelWindow);
}

void TMainForm::startDemo(const QString &devicePath)
{
    QStringList devices = m_workspace.portDevices();
    devices[0] = devicePath;
    m_workspace.setPortDevices(devices);
    m_portBeforeDemo = m_workspace.portNumber();
    m_workspace.setPortNumber(1);
    m_demo = true;
    StatusBar1->setText(QStringLiteral("     ") + m_workspace.texts().demoText);
}

void TMainForm::showAdministratorStatus()
{
    if (m_info)
        m_workspace.info().setStatusText(QStringLiteral("  ") + m_info->administratorCaption() +
                                         QStringLiteral("：") + m_workspace.administrator());
}

void TMainForm::saveSettings()
{
    if (m_settingsSaved)
        return;
    m_settingsSaved = true;
    SystemSettings current;
    current.port = m_workspace.portNumber();
    if (m_portBeforeDemo > 0 && current.port == 1)
        current.port = m_portBeforeDemo;
    current.singlePort = m_workspace.singlePort();
    current.safeWrites = m_workspace.safeWrites();
    current.fastTransfer = m_workspace.fastTransfer();
    current.modelIndex = m_workspace.modelIndex();
    current.language = m_workspace.languageNumber();
    current.bands = m_workspace.bands().items();
    current.bandIndex = m_workspace.bands().currentIndex();
    current.chosenPortDevices = m_workspace.chosenPortDevices();
    ErrorBox::run(this, [&] { m_settings.writeSystem(current); });
}

bool TMainForm::confirmClose()
{
    if (!m_history || !m_startedUp)
        return true;
    // A frequency still being typed counts as a change.
    ErrorBox::run(this, [this] { commitPendingEdit(true); });
    if (!m_history->isModified())
        return true;
    QMessageBox question(QMessageBox::Warning, QString::fromUtf8(kApplicationTitle),
                         m_workspace.texts().closeQuestionText,
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("CloseQuestion"));
    question.setDefaultButton(QMessageBox::Save);
    question.setEscapeButton(QMessageBox::Cancel);
    switch (question.exec()) {
    case QMessageBox::Save:
        return saveConfiguration();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    // Unsaved changes are saved, discarded or kept open as the user says;
    // without any the program ends at once.
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}
