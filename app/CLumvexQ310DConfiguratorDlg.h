#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include <wx/dialog.h>
#include <wx/iconbndl.h>

#include "app/ComConfigDlg.h"
#include "config/ConfigFile.h"
#include "device/Q310Comm.h"
#include "device/SharedRecords.h"

class AdvConfigPage;
class AppMessageEvent;
class DialogMenuBar;
class GeneralInfoPage;
class GpioConfigPage;
class wxInitDialogEvent;
class wxNotebook;
class wxSetCursorEvent;
class wxStaticText;
class wxStatusBar;
class wxTextCtrl;
class wxToolBar;

// The main dialog (template 102): device information, the general and GPIO pages on a
// tab control, menu 139, the tool bar and the status bar. It owns the modem client, the
// COM settings dialog, the pages and the command worker, and every command and posted
// message of the program ends up in one of its handlers. UI thread only, except
// OnCommError (an I/O thread) and CommandWorker (the worker thread).
class CLumvexQ310DConfiguratorDlg : public wxDialog
{
public:
    explicit CLumvexQ310DConfiguratorDlg(wxWindow* parent = nullptr);
    ~CLumvexQ310DConfiguratorDlg() override;
    CLumvexQ310DConfiguratorDlg(const CLumvexQ310DConfiguratorDlg&) = delete;
    CLumvexQ310DConfiguratorDlg& operator=(const CLumvexQ310DConfiguratorDlg&) = delete;

    // "Version major.minor.patch", the text of the second status pane.
    static wxString FormatVersion(int major, int minor, int patch);

    // Runs OnInitDialog the first time the window is shown (inside ShowModal).
    void InitDialog() override;

    // --- Start-up, window-level handlers, bars ---
    bool OnInitDialog();
    bool InitTabs();
    void InitStatusBar();
    void InitToolBar();
    void ShowVersion();
    void OnSysCommand(wxCommandEvent& event);
    void OnPaint(wxPaintEvent& event);
    const wxIconBundle& OnQueryDragIcon() const;
    void OnSetCursor(wxSetCursorEvent& event);
    void OnClose(wxCloseEvent& event);
    void PreTranslateMessage(wxKeyEvent& event);
    void OnBnClickedOk(wxCommandEvent& event);
    void OnBnClickedCancel(wxCommandEvent& event);
    void OnToolTipText(wxCommandEvent& event);
    // Puts the menu text of the button at position into m_toolTipText; false when there
    // is no such button or no menu bar.
    bool LoadToolTipText(int position);
    // Exit (57665) from the menu or the tool bar: closes the window like its close box.
    void OnAppExit(wxCommandEvent& event);

    // --- Connecting and closing ---
    void OnOpenSerialPort(AppMessageEvent& event);
    void OnSerialPortConfig(wxCommandEvent& event);
    void ClosePort();
    void PostNcDestroy();
    void OnCommError(Q310Comm* comm, std::error_code& error);
    void OnCommErrorMsg(AppMessageEvent& event);
    void EnableControls(bool enable, bool alsoPages);
    void EnableToolBarButton(int commandId, bool enable);
    // True while the modem client's port is open.
    bool IsPortOpen() const;

    // --- Command worker ---
    void PostCommand(int command, bool clearFirst);
    void CommandWorker();
    // The sequences of the worker commands, run on the worker thread. Each returns the
    // result that is posted with WM_APP_COMMAND_DONE.
    int ReadDeviceInfo();
    int ApplyGeneral();
    int ApplyGpio();
    int ApplyConfigFile();
    int RestartDevice();
    int FactoryReset();

    // --- Device commands ---
    void OnApplyGeneral(AppMessageEvent& event);
    void OnApplyGpio(AppMessageEvent& event);
    void OnBnClickedRestart(wxCommandEvent& event);
    void OnBnClickedFactoryReset(wxCommandEvent& event);
    void OnCommandDone(AppMessageEvent& event);

    // --- Configuration files ---
    void OnLoadConfigFile(wxCommandEvent& event);
    void OnSaveConfigFile(wxCommandEvent& event);
    void CollectConfigItems(std::vector<ConfigItem>& items);

    // --- Texts and conversions of the connection and the device read ---
    // "port, baud, parity, stop bits, data bits" of the first status pane.
    static wxString FormatConnectionText(const SerialPortSettings& settings);
    // The extended address (stored least significant byte first), most significant first.
    static wxString FormatExtAddress(const InfoData& info);
    // "ACTIVE"/"INACTIVE", followed by ", 설정 모드" while the modem is in setting mode.
    static wxString FormatStateText(const InfoData& info);
    // The general page's record after a read: the device's values with the PC's line
    // settings converted to the modem's encoding.
    static GeneralInfoValues BuildGeneralValues(const DeviceInfo& device,
                                                const SerialPortSettings& pcSettings);
    // A file-dialog filter of the form "name|pattern|...||" as wx wants it.
    static wxString FileDialogFilter(const wxString& filter);
    // Asks whether an existing file of that name is to be replaced, in the interface language.
    static wxString ReplaceQuestion(const wxString& fileName);

    // Marks the window as going away before wx destroys it (results are dropped from now on).
    bool Destroy() override;

    wxIconBundle m_hIcon;                    // icon 128 in every size: window icons, minimised painting
    wxNotebook* m_tabCtrl = nullptr;         // the general and GPIO pages as tabs
    wxWindow* m_tabFrame = nullptr;          // 1012, hidden placeholder of the tab control
    std::atomic<bool> m_busy{false};         // a worker command runs
    wxToolBar* m_toolBar = nullptr;          // 140
    DeviceInfo m_deviceInfo{};               // the last device read
    wxString m_firmwareVersion;              // its firmware version text
    ComConfigDlg m_comConfigDlg;             // shown modally; its m_settings opens the port
    GeneralInfoPage* m_generalPage = nullptr;  // first tab
    AdvConfigPage* m_advPage = nullptr;      // no tab, never shown
    GpioConfigPage* m_gpioPage = nullptr;    // second tab
    wxStatusBar* m_statusBar = nullptr;      // connection (0) and version (1)
    Q310Comm m_comm;                         // the modem client
    std::mutex m_queueMutex;                 // guards m_commandQueue
    std::condition_variable m_queueCv;       // wakes the worker
    std::deque<int> m_commandQueue;          // WorkerCommand values
    std::thread m_worker;                    // runs CommandWorker while a port is open
    WDocument m_configDoc;                   // the last loaded configuration file
    std::vector<ConfigItem> m_fileItems;     // its items
    wxTextCtrl* m_firmwareEdit = nullptr;    // 1046
    wxTextCtrl* m_addressEdit = nullptr;     // 1024
    wxString m_toolTipText;                  // the tip last asked for
    wxStaticText* m_statusText = nullptr;    // 1051, the device state line
    // Menu 139. A Windows dialog keeps its menu in the window frame; here it is the top
    // row of the client area, above the tool bar.
    DialogMenuBar* m_menuBar = nullptr;

private:
    // One step of a sequence: sends the command's line with its time-out, both from the
    // client's command table, and returns the reply record. Worker thread.
    Q310ResponsePtr Send(uint32_t commandId);
    // A setting step: the command's line formatted with its value(s); returns the reply's
    // type, or the transaction's outcome.
    uint32_t SendFormatted(uint32_t commandId, unsigned a, unsigned b = 0, unsigned c = 0,
                           unsigned d = 0);
    // Hands a result to the UI thread while the window lives; drops it afterwards.
    void PostCommandDone(int command, int result);
    // Shows the result of a successful device read in the dialog and the pages.
    void ShowDevice();
    // Queues a request from one of the request handlers and enters the busy state.
    void RequestCommand(int command);
    // Follow-up of a restart or factory reset: close, then offer a new connection.
    void Reconnect();
    // The dialog's wait cursor: on while a command is pending. Idempotent, UI thread only.
    void BeginWaitCursor();
    void EndWaitCursor();

    void DoDataExchange();
    void InitMenu();
    // Moves every child but the bars that keep their place down by dy pixels.
    void MoveChildrenDown(int dy);
    // The top of the area the template and the bars share: just below the menu bar.
    int ClientTop() const;
    void PlaceStatusBar();

    bool m_dialogInitialised = false;
    // False from the moment the window starts going away; the worker posts no result then.
    std::atomic<bool> m_windowAlive{true};
    bool m_waitCursorOn = false;  // UI thread only

    wxDECLARE_EVENT_TABLE();
};
