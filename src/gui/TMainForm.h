#pragma once

#include <QMainWindow>
#include <functional>

class ChildWindow;
class EditHistory;
class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class SettingsStore;
class StringTable;
class TAboutBox;
class Taddmessage;
class Tcommuny;
class Tchannel;
class TRWForm;
class Tfunc;
class TUserForm;
class Workspace;

// The main window: an MDI frame holding the channel editor, the function
// options and the radio information windows, with the menus, the tool bar and
// its model list, and the status bar. It runs the start-up steps when it is
// first shown and writes sysini.ini once when it closes.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    TMainForm(Workspace &workspace, const SettingsStore &settings, QWidget *parent = nullptr);
    ~TMainForm() override;

    // The windows created after this one.
    struct Windows {
        TAboutBox *about;
        TRWForm *readWrite;
        TUserForm *userForm;
        Tfunc *func;
        Tchannel *channel;
        Tcommuny *port;
        Taddmessage *info;
    };
    void attachWindows(const Windows &windows);

    // The undo history of the configuration: the Edit menu's undo and redo,
    // the steps of the file, radio and language commands, and the unsaved
    // changes the title bar and the close question show. The child windows
    // are given it here too.
    void setHistory(EditHistory &history);

    ChildWindow *channelWindow() const { return m_channelWindow; }
    ChildWindow *functionWindow() const { return m_functionWindow; }
    ChildWindow *infoWindow() const { return m_infoWindow; }
    QMdiArea *mdiArea() const { return m_mdi; }

    // Where language files are looked for (the program's folder, then the
    // installed data folder, unless set otherwise).
    void setLanguageDirs(const QStringList &dirs) { m_languageDirs = dirs; }

    // Loads "<baseName>.lng" and puts its texts everywhere: captions of every
    // window, the language texts, rebuilt word lists, the grid's header row
    // and the channel table's word cells. A missing file changes nothing.
    void ApplyLanguage(const QString &baseName);
    // The language menu: set the language number, apply the language, and
    // move the check mark, also when the file is missing.
    void N5Click() { chooseLanguage(1); }
    void N6Click() { chooseLanguage(2); }
    void N7Click() { chooseLanguage(3); }

    // Texts of the read and write tool-bar buttons, which the read/write
    // dialog puts on its start button.
    QString readButtonText() const { return m_readButtonText; }
    QString writeButtonText() const { return m_writeButtonText; }

    // Demo mode: port 1 stands for the given device (a virtual radio) for
    // this run; the status line says so. The port number saved at shut-down
    // stays the user's own while port 1 is still chosen.
    void startDemo(const QString &devicePath);

    // Whether start-up has run (it runs at the first show).
    bool startedUp() const { return m_startedUp; }

    // The model change: the caption becomes the model text.
    void ComboBox1Change();
    // "Show" a child window: normal state, visible, in front.
    void ChannelInformation1Click();
    void OptionalFeatures1Click();
    void ToolButton11Click();
    // Channel files: New (after a confirmation), Open and Save.
    void ToolButton9Click();
    // Opens the channel file as Open does once a file is chosen (a file
    // named on the command line, a double click on it in a file manager).
    void openFile(const QString &path);
    void ToolButton1Click();
    void ToolButton2Click();
    // CSV channel lists: import (the whole list read and checked, then the
    // import box; OK replaces the channel table) and export.
    void FileImportCsvItemClick();
    void FileExportCsvItemClick();
    // Read from and write to the radio: probe the port, then the read/write
    // dialog.
    void ToolButton4Click() { startExchange(1); }
    void ToolButton5Click() { startExchange(2); }
    // 编程 › write to many radios: the fleet dialog, modally.
    void FleetItemClick();
    // The port dialog and the about box, modally.
    void WindowCascadeItemClick();
    void About1Click();
    // The Edit menu: undo and redo (the step under way committed first) and
    // the channel editor's clipboard commands.
    void UndoItemClick();
    void RedoItemClick();
    void CutChannelsItemClick();
    void CopyChannelsItemClick();
    void PasteChannelsItemClick();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseLanguage(int language);
    void markLanguage(int language);
    void applyOwnLanguage(const StringTable &table);
    ChildWindow *addChild(QWidget *content, const QString &name, QSize size, QPoint at);
    void createActions();
    void createMenus();
    void createToolBar();
    void FormShow();
    void saveSettings();
    void subWindowActivated(QMdiSubWindow *window);
    void commitPendingEdit(bool hideListEditors);
    // The radio information window's status line: the administrator label's
    // caption and the administrator name.
    void showAdministratorStatus();
    // A file dialog for a channel file, or with csvList for a CSV channel list.
    QString chooseFile(bool forSaving, bool csvList = false);
    // Loads the file into the workspace (ChannelFile::open, which throws
    // AppError) and hides the frequency editor over the old contents.
    void openChannelFile(const QString &path);
    void startExchange(int tag);
    // A channel editor clipboard command on the committed configuration;
    // its error goes to the error box.
    void runClipboardCommand(void (Tchannel::*command)());
    // Saves through the Save dialog; false when the user cancels it or the
    // save fails (the error is shown).
    bool saveConfiguration();
    // Commits the edit under way as a step of its own; false when the
    // commit failed (the error is shown).
    bool commitEdit();
    // A step of the history named by a command's text as it reads in the
    // interface language of the moment (no accelerator marks or trailing dots).
    void record(const std::function<QString()> &commandText);
    void markSaved();
    void refreshEditActions();
    void showTitle();
    // Closing with unsaved changes: Save, Discard or Cancel. Returns whether
    // the window may close.
    bool confirmClose();

    Workspace &m_workspace;
    const SettingsStore &m_settings;
    EditHistory *m_history = nullptr;
    TAboutBox *m_about = nullptr;
    TRWForm *m_readWrite = nullptr;
    TUserForm *m_userForm = nullptr;
    Tcommuny *m_port = nullptr;
    Tfunc *m_func = nullptr;
    Tchannel *m_channel = nullptr;
    Taddmessage *m_info = nullptr;
    ChildWindow *m_functionWindow = nullptr;
    ChildWindow *m_channelWindow = nullptr;
    ChildWindow *m_infoWindow = nullptr;
    QMdiSubWindow *m_lastActive = nullptr;
    QStringList m_languageDirs;
    QString m_readButtonText = QStringLiteral("读 频");
    QString m_writeButtonText = QStringLiteral("写 频");
    bool m_startedUp = false;
    bool m_settingsSaved = false;
    bool m_demo = false;      // demo mode: the status line says so for the whole run
    int m_portBeforeDemo = 0; // the user's port number while demo mode holds port 1
    QString m_fileDir;        // the folder the file dialogs open in: the last one used

    QMdiArea *m_mdi;              // client area holding the child windows
    QAction *FileNewItem;         // 文件 › 新建
    QAction *FileOpenItem;        // 文件 › 打开
    QAction *FileCloseItem;       // 文件 › 保存
    QAction *FileImportCsvItem;   // 文件 › import a CSV channel list
    QAction *FileExportCsvItem;   // 文件 › export the channels as a CSV channel list
    QAction *FileExitItem;        // 文件 › 退出
    QAction *CutItem;             // 编程 › 读频 (read from the radio)
    QAction *CopyItem;            // 编程 › 写频 (write to the radio)
    QAction *ChannelInformation1; // 编程 › 信道编辑 (show the channel editor)
    QAction *OptionalFeatures1;   // 编程 › 可选功能 (show the function options)
    QAction *N4;                  // 编程 › 本机信息 (no command)
    QAction *UndoItem;            // Edit › undo the last step
    QAction *RedoItem;            // Edit › redo the step undone
    QAction *CutChannelsItem;     // Edit › cut the chosen channels
    QAction *CopyChannelsItem;    // Edit › copy the chosen channels
    QAction *PasteChannelsItem;   // Edit › paste channels from the chosen one down
    QMenu *File1;                 // 文件
    QMenu *EditMenu;              // Edit (undo, redo, clipboard)
    QMenu *Edit1;                 // 编程
    QMenu *Window1;               // 工具
    QMenu *N2;                    // 工具 › 语言
    QMenu *Help1;                 // 帮助
    QAction *RadioInfoCommand;    // tool bar: show the radio information window
    QAction *WindowCascadeItem;   // 工具 › 通信端口 (port dialog)
    QAction *N5;                  // 工具 › 语言 › 中文
    QAction *N6;                  // 工具 › 语言 › 英文
    QAction *N7;                  // 工具 › 语言 › 中文(繁體)
    QAction *SafeWriteItem;       // 工具 › back up and verify writes (checkable)
    QAction *FleetItem;           // 编程 › write to many radios
    QAction *TraceItem;           // 工具 › record a trace of the link (checkable, off)
    QAction *HelpAboutItem;       // 帮助 › 帮助 (no command)
    QAction *About1;              // 帮助 › 关于
    QComboBox *ComboBox1;         // model list
    QComboBox *ComboBand;         // band list, never shown
    QLabel *Label2;               // "型号：" before the model list
    QLabel *Label3;               // "频段：" before the band list, never shown
    QLabel *StatusBar1;           // the status bar's one panel
};
