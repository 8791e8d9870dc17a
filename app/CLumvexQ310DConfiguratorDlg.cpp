#include "app/CLumvexQ310DConfiguratorDlg.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include "app/AdvConfigPage.h"
#include "app/AfxMessageBox.h"
#include "app/AppMessageEvent.h"
#include "app/CAboutDlg.h"
#include "app/DialogMenuBar.h"
#include "app/DialogTemplate.h"
#include "app/EmbeddedResource.h"
#include "app/FileDialogChoice.h"
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "app/WaitCursor.h"
#include "app/res/Menu139.h"
#include "app/res/ResourceIds.h"
#include "app/res/StringTable.h"
#include "config/WideToAnsi.h"

namespace {

// The tab control takes the control id that Windows gave it, 1.
constexpr int kTabControlId = 1;

// Icon 128 in the sizes a desktop picks from (window list, title bar, switcher).
wxIconBundle LoadProgramIcons()
{
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64, 128, 256})
    {
        const wxImage image = LoadEmbeddedPng(("icon128_" + std::to_string(size) + ".png").c_str());
        if (!image.IsOk())
            continue;
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(image));
        icons.AddIcon(icon);
    }
    return icons;
}

// Windows command and bar ids run up to 0xFFFF. wx asserts on ids above 0x7FFF (a limit
// of its Windows port) but handles them, so that check is silenced while such an id is
// given to a menu item or a window.
template <typename Function>
auto WithWideId(Function function)
{
    const wxAssertHandler_t previous = wxSetAssertHandler(nullptr);
    auto result = function();
    wxSetAssertHandler(previous);
    return result;
}

bool IsKorean()
{
    return StringTable::GetLanguage() == StringTable::Language::Korean;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CLumvexQ310DConfiguratorDlg, wxDialog)
    EVT_MENU(IDM_ABOUTBOX, CLumvexQ310DConfiguratorDlg::OnSysCommand)
    EVT_PAINT(CLumvexQ310DConfiguratorDlg::OnPaint)
    EVT_BUTTON(IDOK, CLumvexQ310DConfiguratorDlg::OnBnClickedOk)
    EVT_BUTTON(IDCANCEL, CLumvexQ310DConfiguratorDlg::OnBnClickedCancel)
    EVT_APP_MESSAGE(WM_APP_OPEN_PORT, CLumvexQ310DConfiguratorDlg::OnOpenSerialPort)
    EVT_APP_MESSAGE(WM_APP_COMMAND_DONE, CLumvexQ310DConfiguratorDlg::OnCommandDone)
    EVT_APP_MESSAGE(WM_APP_APPLY_GENERAL, CLumvexQ310DConfiguratorDlg::OnApplyGeneral)
    EVT_APP_MESSAGE(WM_APP_APPLY_GPIO, CLumvexQ310DConfiguratorDlg::OnApplyGpio)
    EVT_MENU(ID_SERIAL_PORT_CONFIG, CLumvexQ310DConfiguratorDlg::OnSerialPortConfig)
    EVT_SET_CURSOR(CLumvexQ310DConfiguratorDlg::OnSetCursor)
    EVT_MENU(ID_LOAD_CONFIG_FILE, CLumvexQ310DConfiguratorDlg::OnLoadConfigFile)
    EVT_MENU(ID_SAVE_CONFIG_FILE, CLumvexQ310DConfiguratorDlg::OnSaveConfigFile)
    EVT_APP_MESSAGE(WM_APP_COMM_ERROR, CLumvexQ310DConfiguratorDlg::OnCommErrorMsg)
    EVT_BUTTON(IDC_BUTTON_RESTART, CLumvexQ310DConfiguratorDlg::OnBnClickedRestart)
    EVT_BUTTON(IDC_BUTTON_FACTORY_RESET, CLumvexQ310DConfiguratorDlg::OnBnClickedFactoryReset)
    EVT_TOOL_ENTER(IDR_TOOLBAR, CLumvexQ310DConfiguratorDlg::OnToolTipText)
    EVT_CLOSE(CLumvexQ310DConfiguratorDlg::OnClose)
    // What a Windows application framework does for a dialog outside its message map:
    // Exit closes the main window, and keys pass the dialog before its controls.
    EVT_MENU(ID_APP_EXIT, CLumvexQ310DConfiguratorDlg::OnAppExit)
    EVT_CHAR_HOOK(CLumvexQ310DConfiguratorDlg::PreTranslateMessage)
wxEND_EVENT_TABLE()
// clang-format on

CLumvexQ310DConfiguratorDlg::CLumvexQ310DConfiguratorDlg(wxWindow* parent)
    : wxDialog(parent, IDD_LUMVEXQ310DCONFIGURATOR_DIALOG, kDialogTemplate102.caption,
               wxDefaultPosition, wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_hIcon(LoadProgramIcons())
{
    BuildDialogTemplate(this, kDialogTemplate102);
    InitMenu();
    DoDataExchange();
    // Escape must never end this dialog (see PreTranslateMessage).
    SetEscapeId(wxID_NONE);
}

CLumvexQ310DConfiguratorDlg::~CLumvexQ310DConfiguratorDlg()
{
    // The port is closed and the worker joined before any member goes away.
    PostNcDestroy();
}

wxString CLumvexQ310DConfiguratorDlg::FormatVersion(int major, int minor, int patch)
{
    return wxString::Format("Version %d.%d.%d", major, minor, patch);
}

void CLumvexQ310DConfiguratorDlg::DoDataExchange()
{
    m_tabFrame = FindWindow(IDC_TAB_FRAME);
    m_firmwareEdit = wxDynamicCast(FindWindow(IDC_EDIT_FIRMWARE_VERSION), wxTextCtrl);
    m_addressEdit = wxDynamicCast(FindWindow(IDC_EDIT_EXT_ADDRESS), wxTextCtrl);
    m_statusText = wxDynamicCast(FindWindow(IDC_STATIC_STATE), wxStaticText);
}

void CLumvexQ310DConfiguratorDlg::InitMenu()
{
    const bool korean = IsKorean();
    auto* popup = new wxMenu;
    for (size_t i = 0; i < kMenu139Popup.itemCount; ++i)
    {
        const MenuItemText& item = kMenu139Popup.items[i];
        WithWideId([&] { return popup->Append(item.id, korean ? item.korean : item.english); });
    }
    m_menuBar = new DialogMenuBar(this, IDR_MENU);
    m_menuBar->Append(popup, korean ? kMenu139Popup.korean : kMenu139Popup.english);

    // The template's client area begins below the menu bar.
    const int height = m_menuBar->GetBestSize().y;
    MoveChildrenDown(height);
    m_menuBar->SetSize(0, 0, GetClientSize().x, height);
    SetClientSize(GetClientSize() + wxSize(0, height));
}

int CLumvexQ310DConfiguratorDlg::ClientTop() const
{
    return m_menuBar ? m_menuBar->GetSize().y : 0;
}

void CLumvexQ310DConfiguratorDlg::MoveChildrenDown(int dy)
{
    for (wxWindow* child : GetChildren())
    {
        if (child == m_menuBar || child == m_toolBar || child->IsTopLevel())
            continue;
        child->Move(child->GetPosition() + wxPoint(0, dy));
    }
}

void CLumvexQ310DConfiguratorDlg::PlaceStatusBar()
{
    if (!m_statusBar)
        return;
    const wxSize client = GetClientSize();
    const int height = m_statusBar->GetSize().y;
    m_statusBar->SetSize(0, client.y - height, client.x, height);
}

void CLumvexQ310DConfiguratorDlg::InitDialog()
{
    wxDialog::InitDialog();
    if (m_dialogInitialised)
        return;
    m_dialogInitialised = true;
    OnInitDialog();
}

bool CLumvexQ310DConfiguratorDlg::OnInitDialog()
{
    // GTK gives a dialog no window menu; the About item goes where the Windows program
    // adds it to that menu: last, after a separator, in the dialog's own menu.
    if (wxMenu* systemMenu = m_menuBar ? m_menuBar->GetMenu(0) : nullptr)
    {
        const wxString about = LoadString(IDS_ABOUTBOX);
        if (!about.empty())
        {
            systemMenu->AppendSeparator();
            systemMenu->Append(IDM_ABOUTBOX, about);
        }
    }

    SetIcons(m_hIcon);
    InitTabs();
    EnableControls(false, true);
    m_comm.m_onError = [this](Q310Comm* comm, std::error_code& error) { OnCommError(comm, error); };
    ShowVersion();

    // Once the dialog's own loop runs, offer the connection.
    CallAfter([this] {
        if (m_comConfigDlg.DoModal(this) == IDOK)
            PostAppMessage(this, WM_APP_OPEN_PORT, 0, 0);
    });
    return true;
}

bool CLumvexQ310DConfiguratorDlg::InitTabs()
{
    const wxRect rect = m_tabFrame ? m_tabFrame->GetRect() : wxRect();
    auto* tabCtrl = new wxNotebook;
    if (!tabCtrl->Create(this, kTabControlId, rect.GetPosition(), rect.GetSize(), wxNB_TOP))
    {
        delete tabCtrl;
        return false;
    }
    m_tabCtrl = tabCtrl;

    const auto failed = [this] {
        AfxMessageBox(LoadString(IDS_TAB_CREATE_FAILED), MB_OK);
        CallAfter([this] { EndDialog(-1); });
        return false;
    };
    m_generalPage = new GeneralInfoPage;
    if (!m_generalPage->Create(m_tabCtrl, IDD_GENERAL_INFO))
        return failed();
    m_gpioPage = new GpioConfigPage;
    if (!m_gpioPage->Create(m_tabCtrl, IDD_GPIO_CONFIG))
        return failed();
    m_advPage = new AdvConfigPage;
    if (!m_advPage->Create(m_tabCtrl))
        return failed();

    // GTK's tabs stand taller than those the template was drawn for: the tab control
    // grows until the pages get the height they were designed with, and the window with it.
    int extra = 0;
    for (const wxWindow* page : {static_cast<wxWindow*>(m_generalPage), static_cast<wxWindow*>(m_gpioPage)})
        extra = std::max(extra, m_tabCtrl->CalcSizeFromPage(page->GetSize()).y - rect.height);

    m_tabCtrl->AddPage(m_generalPage, LoadString(IDS_TAB_GENERAL));
    m_tabCtrl->AddPage(m_gpioPage, LoadString(IDS_TAB_GPIO));
    if (extra > 0)
    {
        m_tabCtrl->SetSize(rect.width, rect.height + extra);
        SetClientSize(GetClientSize() + wxSize(0, extra));
    }

    InitStatusBar();
    InitToolBar();
    return true;
}

void CLumvexQ310DConfiguratorDlg::InitStatusBar()
{
    m_statusBar = WithWideId([this] {
        return new wxStatusBar(this, AFX_IDW_STATUS_BAR, wxSTB_SHOW_TIPS | wxSTB_ELLIPSIZE_END |
                                                             wxFULL_REPAINT_ON_RESIZE);
    });
    m_statusBar->SetFieldsCount(2);
    m_statusBar->SetStatusText(LoadString(IDS_PORT_CLOSED), 0);
    m_statusBar->SetStatusText(LoadString(IDS_READY), 1);

    // Pane 0 keeps 70 % of the window's outer width as it is now; pane 1 takes the rest.
    const int widths[2] = {GetSize().x * 7 / 10, -1};
    m_statusBar->SetStatusWidths(2, widths);

    // Room at the bottom: the window grows by the bar, nothing else moves.
    const int height = m_statusBar->GetBestSize().y;
    m_statusBar->SetSize(wxSize(GetClientSize().x, height));
    SetClientSize(GetClientSize() + wxSize(0, height));
    PlaceStatusBar();

    m_statusBar->SetStatusText(wxEmptyString, 1);
}

void CLumvexQ310DConfiguratorDlg::InitToolBar()
{
    auto* toolBar = new wxToolBar;
    if (!toolBar->Create(this, IDR_TOOLBAR, wxPoint(0, ClientTop()), wxDefaultSize,
                         wxTB_HORIZONTAL | wxTB_FLAT | wxTB_NODIVIDER))
    {
        delete toolBar;
        return;
    }
    m_toolBar = toolBar;

    // One strip of square images, one per button, in button order.
    const wxImage strip = LoadEmbeddedPng("toolbar140.png");
    const int size = strip.IsOk() ? strip.GetHeight() : 32;
    m_toolBar->SetToolBitmapSize(wxSize(size, size));
    for (size_t i = 0; i < kMenu139Popup.itemCount; ++i)
    {
        const wxRect cell(static_cast<int>(i) * size, 0, size, size);
        wxImage image = strip.IsOk() && cell.GetRight() < strip.GetWidth() ? strip.GetSubImage(cell)
                                                                             : wxImage(size, size);
        // GTK draws an insensitive tool's own image unchanged; give it a greyed one.
        m_toolBar->AddTool(kMenu139Popup.items[i].id, wxEmptyString, wxBitmap(image),
                           wxBitmap(image.ConvertToDisabled()));
    }
    m_toolBar->Realize();
    for (size_t i = 0; i < m_toolBar->GetToolsCount(); ++i)
    {
        if (LoadToolTipText(static_cast<int>(i)))
            m_toolBar->SetToolShortHelp(m_toolBar->GetToolByPos(static_cast<int>(i))->GetId(),
                                        m_toolTipText);
    }

    // The bar keeps its natural size at the top; everything else moves down by its height.
    const wxSize barSize = m_toolBar->GetBestSize();
    m_toolBar->SetSize(0, ClientTop(), barSize.x, barSize.y);
    MoveChildrenDown(barSize.y);
    SetClientSize(GetClientSize() + wxSize(0, barSize.y));
    PlaceStatusBar();
}

void CLumvexQ310DConfiguratorDlg::ShowVersion()
{
    if (m_statusBar)
        m_statusBar->SetStatusText(
            FormatVersion(Q310_VERSION_MAJOR, Q310_VERSION_MINOR, Q310_VERSION_PATCH), 1);
}

bool CLumvexQ310DConfiguratorDlg::LoadToolTipText(int position)
{
    const wxToolBarToolBase* tool = m_toolBar ? m_toolBar->GetToolByPos(position) : nullptr;
    if (!tool || !m_menuBar)
        return false;
    m_toolTipText = m_menuBar->GetLabelText(tool->GetId());
    return true;
}

void CLumvexQ310DConfiguratorDlg::OnToolTipText(wxCommandEvent& event)
{
    // The tool bar reports the tool under the mouse, -1 when the mouse leaves it.
    const int toolId = event.GetSelection();
    if (!m_toolBar || toolId == wxID_ANY)
        return;
    if (LoadToolTipText(m_toolBar->GetToolPos(toolId)))
        m_toolBar->SetToolShortHelp(toolId, m_toolTipText);
}

void CLumvexQ310DConfiguratorDlg::OnSysCommand(wxCommandEvent& event)
{
    if ((event.GetId() & 0xFFF0) == IDM_ABOUTBOX)
    {
        CAboutDlg dlgAbout(this);
        dlgAbout.ShowModal();
    }
    else
    {
        event.Skip();
    }
}

void CLumvexQ310DConfiguratorDlg::OnPaint(wxPaintEvent& event)
{
    if (!IsIconized())
    {
        event.Skip();
        return;
    }
    wxPaintDC dc(this);
    const wxIcon icon = m_hIcon.GetIcon(wxSize(32, 32), wxIconBundle::FALLBACK_NEAREST_LARGER);
    if (!icon.IsOk())
        return;
    const wxSize client = GetClientSize();
    dc.DrawIcon(icon, (client.x - icon.GetWidth() + 1) / 2, (client.y - icon.GetHeight() + 1) / 2);
}

const wxIconBundle& CLumvexQ310DConfiguratorDlg::OnQueryDragIcon() const
{
    return m_hIcon;
}

void CLumvexQ310DConfiguratorDlg::OnSetCursor(wxSetCursorEvent& event)
{
    if (m_busy)
    {
        event.SetCursor(*wxHOURGLASS_CURSOR);
        return;
    }
    event.Skip();
}

void CLumvexQ310DConfiguratorDlg::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto() &&
        AfxMessageBox(this, L"프로그램을 종료하시겠습니까?", L"프로그램 종료",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    {
        event.Veto();
        return;
    }
    // Yes: the close becomes the Cancel command, which ends the dialog.
    wxCommandEvent cancel(wxEVT_BUTTON, IDCANCEL);
    cancel.SetEventObject(this);
    ProcessWindowEvent(cancel);
}

void CLumvexQ310DConfiguratorDlg::PreTranslateMessage(wxKeyEvent& event)
{
    // Escape never ends the dialog. F10 and Alt with a menu item's letter belong to the
    // menu, as to a Windows dialog's menu bar. Every other key goes its normal way.
    if (event.GetKeyCode() == WXK_ESCAPE)
        return;
    if (m_menuBar && m_menuBar->ProcessMenuKey(event))
        return;
    event.Skip();
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedOk(wxCommandEvent&)
{
    // Enter and the hidden OK button do nothing.
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedCancel(wxCommandEvent&)
{
    EndDialog(IDCANCEL);
}

void CLumvexQ310DConfiguratorDlg::OnAppExit(wxCommandEvent&)
{
    Close();
}

// --- Connecting and closing ---

namespace {

const wchar_t kCommProblemText[] = L"COM 포트에 문제가 발생했습니다.";

const wchar_t* ParityWord(uint8_t parity)
{
    switch (parity)
    {
    case 0:
        return L"No parity";
    case 1:
        return L"Odd parity";
    case 2:
        return L"Even parity";
    default:
        return L"";
    }
}

const wchar_t* StopBitsWord(uint8_t stopBits)
{
    switch (stopBits)
    {
    case 0:
        return L"1 stopbit";
    case 1:
        return L"1.5 stopbit";
    case 2:
        return L"2 stopbit";
    default:
        return L"";
    }
}

const wchar_t* DataBitsWord(uint8_t dataBits)
{
    switch (dataBits)
    {
    case 7:
        return L"7bit";
    case 8:
        return L"8bit";
    default:
        return L"";
    }
}

// Text in the user's locale encoding (the modem's version, the system's error texts).
wxString FromLocale(const std::string& text)
{
    return wxString(AnsiToWide(text));
}

}  // namespace

wxString CLumvexQ310DConfiguratorDlg::FormatConnectionText(const SerialPortSettings& settings)
{
    return wxString::Format(L"%s, %u, %s, %s, %s", wxString(settings.portName),
                            static_cast<unsigned>(settings.baudRate), ParityWord(settings.parity),
                            StopBitsWord(settings.stopBits), DataBitsWord(settings.dataBits));
}

bool CLumvexQ310DConfiguratorDlg::Destroy()
{
    m_windowAlive.exchange(false);
    return wxDialog::Destroy();
}

void CLumvexQ310DConfiguratorDlg::BeginWaitCursor()
{
    if (m_waitCursorOn)
        return;
    m_waitCursorOn = true;
    WaitCursor::Begin();
}

void CLumvexQ310DConfiguratorDlg::EndWaitCursor()
{
    if (!m_waitCursorOn)
        return;
    m_waitCursorOn = false;
    WaitCursor::End();
}

void CLumvexQ310DConfiguratorDlg::OnOpenSerialPort(AppMessageEvent&)
{
    if (!m_windowAlive)
        return;
    if (IsPortOpen())
    {
        ClosePort();
        EnableControls(true, false);
        return;
    }

    const SerialPortSettings& settings = m_comConfigDlg.m_settings;
    std::string portName;
    WideToAnsi(settings.portName, portName);
    portName = portName.substr(0, portName.find('\0'));
    const std::error_code error = m_comm.Open(portName, settings.baudRate, settings.dataBits,
                                              settings.parity, settings.stopBits);
    if (error)
    {
        // The system's own words say why: no such device, no permission, busy, ...
        const wxString text = wxString::Format(L"%s: %s", LoadString(IDS_PORT_OPEN_FAILED),
                                               FromLocale(error.message()));
        AfxMessageBox(text, MB_ICONERROR);
        return;
    }

    // No worker runs here: every earlier one was joined by ClosePort.
    m_commandQueue = std::deque<int>();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_worker = std::thread(&CLumvexQ310DConfiguratorDlg::CommandWorker, this);

    if (m_statusBar)
        m_statusBar->SetStatusText(FormatConnectionText(settings), 0);
    RequestCommand(WorkerCommand::ReadDeviceInfo);
}

void CLumvexQ310DConfiguratorDlg::OnSerialPortConfig(wxCommandEvent&)
{
    Reconnect();
}

void CLumvexQ310DConfiguratorDlg::ClosePort()
{
    const bool windowAlive = m_windowAlive;
    if (IsPortOpen())
    {
        m_comm.Close();
        if (windowAlive && m_statusBar)
            m_statusBar->SetStatusText(LoadString(IDS_PORT_CLOSED), 0);
    }
    if (m_worker.joinable())
    {
        // Waits for a running command, which fails at its next step now that the port is
        // closed, and for the worker to take the quit command.
        PostCommand(WorkerCommand::Quit, true);
        m_worker.join();
    }
    EndWaitCursor();
    m_busy.exchange(false);
    if (windowAlive)
    {
        if (m_statusText)
            m_statusText->SetLabel(wxEmptyString);
        if (m_addressEdit)
            m_addressEdit->SetValue(wxEmptyString);
        if (m_firmwareEdit)
            m_firmwareEdit->SetValue(wxEmptyString);
    }
}

void CLumvexQ310DConfiguratorDlg::PostNcDestroy()
{
    m_windowAlive.exchange(false);
    ClosePort();
}

void CLumvexQ310DConfiguratorDlg::OnCommError(Q310Comm* comm, std::error_code& error)
{
    // I/O thread: only hand the error to the UI thread.
    if (comm == &m_comm && IsPortOpen())
        PostAppMessage(this, WM_APP_COMM_ERROR, static_cast<uintptr_t>(error.value()), 0);
}

void CLumvexQ310DConfiguratorDlg::OnCommErrorMsg(AppMessageEvent&)
{
    if (!m_windowAlive || !IsPortOpen())
        return;
    ClosePort();
    EnableControls(false, true);
    AfxMessageBox(kCommProblemText, MB_OK);
}

bool CLumvexQ310DConfiguratorDlg::IsPortOpen() const
{
    return m_comm.m_port->m_isOpen;
}

void CLumvexQ310DConfiguratorDlg::EnableControls(bool enable, bool alsoPages)
{
    if (m_menuBar)
    {
        // Without a port only the port settings make sense.
        const bool open = IsPortOpen();
        for (int id : {ID_SERIAL_PORT_CONFIG, ID_SAVE_CONFIG_FILE, ID_LOAD_CONFIG_FILE})
        {
            const bool on = open ? enable : id == ID_SERIAL_PORT_CONFIG;
            m_menuBar->Enable(id, on);
            EnableToolBarButton(id, on);
        }
    }
    for (int id : {IDC_BUTTON_RESTART, IDC_BUTTON_FACTORY_RESET})
    {
        if (wxWindow* button = FindWindow(id))
            button->Enable(enable);
    }
    if (m_firmwareEdit)
        m_firmwareEdit->Enable(enable);
    if (m_addressEdit)
        m_addressEdit->Enable(enable);
    if (alsoPages)
    {
        if (m_generalPage)
            m_generalPage->EnableControls(enable);
        if (m_gpioPage)
            m_gpioPage->EnableControls(enable);
    }
}

void CLumvexQ310DConfiguratorDlg::EnableToolBarButton(int commandId, bool enable)
{
    if (!m_toolBar || m_toolBar->GetToolPos(commandId) == wxNOT_FOUND)
        return;
    m_toolBar->EnableTool(commandId, enable);
}

// --- Command worker ---

void CLumvexQ310DConfiguratorDlg::PostCommand(int command, bool clearFirst)
{
    std::lock_guard<std::mutex> lock(m_queueMutex);
    if (clearFirst)
        m_commandQueue = std::deque<int>();
    m_commandQueue.push_back(command);
    m_queueCv.notify_all();
}

void CLumvexQ310DConfiguratorDlg::CommandWorker()
{
    // The queue stays locked while commands run; only the wait for an empty queue lets go.
    std::unique_lock<std::mutex> lock(m_queueMutex);
    for (;;)
    {
        m_queueCv.wait(lock, [this] { return !m_commandQueue.empty(); });
        const int command = m_commandQueue.front();
        m_commandQueue.pop_front();

        // The cursor belongs to the UI thread: ask it there, and only while still busy
        // (a close may have ended the busy state before the request is served).
        m_busy.exchange(true);
        CallAfter([this] {
            if (m_busy && m_windowAlive)
                BeginWaitCursor();
        });

        int result = 0;
        switch (command)
        {
        case WorkerCommand::Quit:
            return;
        case WorkerCommand::ReadDeviceInfo:
            result = ReadDeviceInfo();
            break;
        case WorkerCommand::ApplyGeneral:
            result = ApplyGeneral();
            break;
        case WorkerCommand::ApplyGpio:
            result = ApplyGpio();
            break;
        case WorkerCommand::ApplyConfigFile:
            result = ApplyConfigFile();
            break;
        case WorkerCommand::RestartDevice:
            result = RestartDevice();
            break;
        case WorkerCommand::FactoryReset:
            result = FactoryReset();
            break;
        default:
            m_busy.exchange(false);
            CallAfter([this] {
                if (!m_busy)
                    EndWaitCursor();
            });
            continue;
        }
        PostCommandDone(command, result);
    }
}

void CLumvexQ310DConfiguratorDlg::PostCommandDone(int command, int result)
{
    if (m_windowAlive)
        PostAppMessage(this, WM_APP_COMMAND_DONE, static_cast<uintptr_t>(command), result);
}

Q310ResponsePtr CLumvexQ310DConfiguratorDlg::Send(uint32_t commandId)
{
    const char* line = Q310Comm::FindCommand(commandId)->format;
    return m_comm.Transact(line, static_cast<uint16_t>(std::strlen(line)), commandId,
                           Q310Comm::TimeoutMs(commandId));
}

uint32_t CLumvexQ310DConfiguratorDlg::SendFormatted(uint32_t commandId, unsigned a, unsigned b,
                                                    unsigned c, unsigned d)
{
    char line[64];
    std::snprintf(line, sizeof line, Q310Comm::FindCommand(commandId)->format, a, b, c, d);
    return m_comm.Transact(line, static_cast<uint16_t>(std::strlen(line)), commandId,
                           Q310Comm::TimeoutMs(commandId))
        ->type;
}

int CLumvexQ310DConfiguratorDlg::ReadDeviceInfo()
{
    // The pings only wake the modem up; what they answer decides nothing.
    if (Send(CommandId::Ping)->type == ResponseType::Error)
        Send(CommandId::Ping);

    const Q310ResponsePtr quiet = Send(CommandId::QueryQuietMode);
    if (quiet->type != ResponseType::QuietMode)
        return 1;
    const Q310ResponsePtr info = Send(CommandId::QueryInfo);
    if (info->type != ResponseType::Info)
        return 1;
    const Q310ResponsePtr net = Send(CommandId::QueryNetInfo);
    if (net->type != ResponseType::NetInfo)
        return 1;
    const Q310ResponsePtr gpio = Send(CommandId::QueryGpioConfig);
    if (gpio->type != ResponseType::GpioConfig)
        return 1;
    const Q310ResponsePtr report = Send(CommandId::QueryGpioPeriodic);
    if (report->type != ResponseType::GpioPeriodic)
        return 1;
    const Q310ResponsePtr version = Send(CommandId::QueryVersion);
    if (version->type != ResponseType::Version)
        return 1;

    // Every query answered: take them all at once.
    struct GpioTable
    {
        GpioEntry gpio[kGpioCount];
    };
    const GpioTable gpioTable = gpio->PayloadAs<GpioTable>();
    m_deviceInfo.quietMode = quiet->payloadLength >= 1 && quiet->payload[0] != 0 ? 1 : 0;
    m_deviceInfo.info = info->PayloadAs<InfoData>();
    m_deviceInfo.net = net->PayloadAs<NetInfo>();
    std::memcpy(m_deviceInfo.gpio, gpioTable.gpio, sizeof m_deviceInfo.gpio);
    m_deviceInfo.report = report->PayloadAs<PeriodicReport>();
    m_firmwareVersion =
        FromLocale(std::string(reinterpret_cast<const char*>(version->payload), version->payloadLength));
    return 0;
}

int CLumvexQ310DConfiguratorDlg::ApplyGeneral()
{
    const GeneralInfoValues values = m_generalPage->m_values;
    if (m_deviceInfo.quietMode != 0 &&
        SendFormatted(CommandId::SetQuietMode, 0) != ResponseType::Ok)
        return 1;
    if (SendFormatted(CommandId::SetOpMode, values.info.opMode) != ResponseType::Ok)
        return 1;
    if (m_comm.SetPanId(values.net.panId) != ResponseType::Ok)
        return 1;
    if (SendFormatted(CommandId::SetPhyId, values.net.phyId) != ResponseType::Ok)
        return 1;
    if (SendFormatted(CommandId::SetRfChannel, values.net.rfChannel) != ResponseType::Ok)
        return 1;
    if (SendFormatted(CommandId::SetNetRole, values.info.netRole) != ResponseType::Ok)
        return 1;
    if (SendFormatted(CommandId::SetUart, values.uart.baud,
                      values.uart.stopBits, values.uart.parity, values.uart.dataBits) != ResponseType::Ok)
        return 1;
    // Going quiet, the modem may not answer; only silence while asked to speak is a failure.
    const uint32_t closing = SendFormatted(CommandId::SetQuietMode, values.quietMode);
    if (closing == ResponseType::Timeout && values.quietMode == 0)
        return 1;
    m_deviceInfo.quietMode = values.quietMode;
    return 0;
}

int CLumvexQ310DConfiguratorDlg::ApplyGpio()
{
    const GpioSettings settings = m_gpioPage->m_settings;
    const bool quiet = m_deviceInfo.quietMode != 0;
    if (quiet && SendFormatted(CommandId::SetQuietMode, 0) != ResponseType::Ok)
        return 1;
    for (const GpioEntry& entry : settings.gpio)
    {
        if (m_comm.SetGpioConfig(entry) != ResponseType::Ok)
            return 1;
    }
    if (SendFormatted(CommandId::SetGpioPeriodic, settings.report.reportInterval,
                      settings.report.sendRemote) != ResponseType::Ok)
        return 1;
    if (quiet)
    {
        const uint32_t closing = SendFormatted(CommandId::SetQuietMode, 1);
        if (closing != ResponseType::Ok && closing != ResponseType::Timeout)
            return 1;
    }
    return 0;
}

int CLumvexQ310DConfiguratorDlg::ApplyConfigFile()
{
    const bool quiet = m_deviceInfo.quietMode != 0;
    if (quiet && SendFormatted(CommandId::SetQuietMode, 0) != ResponseType::Ok)
        return 1;

    int failure = 0;
    bool quietItemSeen = false;
    uint8_t quietItemValue = 0;
    for (const ConfigItem& item : m_fileItems)
    {
        const ConfigItem::Value& v = item.value;
        bool ok = true;
        int code = 0;
        switch (item.kind)
        {
        case CommandId::SetUart:
            code = 6;
            ok = SendFormatted(CommandId::SetUart, v.uart.baud, v.uart.stopBits,
                               v.uart.parity, v.uart.dataBits) == ResponseType::Ok;
            break;
        case CommandId::SetPanId:
            code = 5;
            ok = m_comm.SetPanId(v.panId) == ResponseType::Ok;
            break;
        case CommandId::SetNetRole:
            code = 3;
            ok = SendFormatted(CommandId::SetNetRole, v.netRole) == ResponseType::Ok;
            break;
        case CommandId::SetRfChannel:
            code = 4;
            ok = SendFormatted(CommandId::SetRfChannel, v.rfChannel) == ResponseType::Ok;
            break;
        case CommandId::SetGpioConfig:
            code = 7;
            ok = m_comm.SetGpioConfig(v.gpio) == ResponseType::Ok;
            break;
        case CommandId::SetGpioPeriodic:
            code = 8;
            ok = SendFormatted(CommandId::SetGpioPeriodic, v.report.reportInterval,
                               v.report.sendRemote) == ResponseType::Ok;
            break;
        case CommandId::SetOpMode:
            code = 2;
            ok = SendFormatted(CommandId::SetOpMode, v.opMode) == ResponseType::Ok;
            break;
        case CommandId::SetQuietMode:
            // Sent last, so that the modem answers every item before it goes quiet.
            quietItemSeen = true;
            quietItemValue = v.quietMode;
            break;
        default:
            break;
        }
        if (!ok)
        {
            failure = code;
            break;
        }
    }

    if (quiet || quietItemSeen)
    {
        const uint8_t value = quietItemSeen ? quietItemValue : m_deviceInfo.quietMode;
        if (SendFormatted(CommandId::SetQuietMode, value) == ResponseType::Timeout &&
            value == 0)
            return 1;
        m_deviceInfo.quietMode = value;
    }
    return failure;
}

int CLumvexQ310DConfiguratorDlg::RestartDevice()
{
    Send(CommandId::Restart);
    return 0;
}

int CLumvexQ310DConfiguratorDlg::FactoryReset()
{
    Send(CommandId::FactoryReset);
    return 0;
}

// --- Device commands ---

void CLumvexQ310DConfiguratorDlg::RequestCommand(int command)
{
    // Whether a command is pending is read before queuing: once queued, the worker may
    // take it and set the flag itself before this thread looks, and the controls would
    // then stay enabled during the command.
    const bool wasBusy = m_busy;
    PostCommand(command, false);
    if (!wasBusy)
    {
        BeginWaitCursor();
        m_busy.exchange(true);
        EnableControls(false, true);
    }
}

void CLumvexQ310DConfiguratorDlg::OnApplyGeneral(AppMessageEvent&)
{
    if (IsPortOpen())
        RequestCommand(WorkerCommand::ApplyGeneral);
}

void CLumvexQ310DConfiguratorDlg::OnApplyGpio(AppMessageEvent&)
{
    if (IsPortOpen())
        RequestCommand(WorkerCommand::ApplyGpio);
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedRestart(wxCommandEvent&)
{
    if (IsPortOpen())
        RequestCommand(WorkerCommand::RestartDevice);
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedFactoryReset(wxCommandEvent&)
{
    if (IsPortOpen())
        RequestCommand(WorkerCommand::FactoryReset);
}

wxString CLumvexQ310DConfiguratorDlg::FormatExtAddress(const InfoData& info)
{
    const uint8_t* a = info.extAddress;
    return wxString::Format("%02X:%02X:%02X:%02X:%02X:%02X:%02X:%02X", a[7], a[6], a[5], a[4], a[3],
                            a[2], a[1], a[0]);
}

wxString CLumvexQ310DConfiguratorDlg::FormatStateText(const InfoData& info)
{
    const wxString word = info.state == 0 ? L"ACTIVE" : L"INACTIVE";
    return info.modeFlag != 0 ? wxString::Format(L"%s", word) : wxString::Format(L"%s, 설정 모드", word);
}

GeneralInfoValues CLumvexQ310DConfiguratorDlg::BuildGeneralValues(const DeviceInfo& device,
                                                                  const SerialPortSettings& pc)
{
    GeneralInfoValues values{};
    values.info = device.info;
    values.net = device.net;
    // The modem numbers parity and stop bits differently from the PC.
    values.uart.baud = pc.baudRate;
    values.uart.parity = pc.parity == 1 ? 2 : pc.parity == 2 ? 1 : 0;
    values.uart.stopBits = pc.stopBits == 2 ? 1 : 0;
    values.uart.dataBits = pc.dataBits == 7 ? 7 : 8;
    values.uart.pad = 0;
    values.quietMode = device.quietMode;
    return values;
}

void CLumvexQ310DConfiguratorDlg::ShowDevice()
{
    if (m_addressEdit)
        m_addressEdit->SetValue(FormatExtAddress(m_deviceInfo.info));
    if (m_firmwareEdit)
        m_firmwareEdit->SetValue(m_firmwareVersion);
    if (m_generalPage)
    {
        m_generalPage->SetSettings(BuildGeneralValues(m_deviceInfo, m_comConfigDlg.m_settings));
        m_generalPage->EnableControls(true);
    }
    if (m_gpioPage)
    {
        std::memcpy(m_gpioPage->m_settings.gpio, m_deviceInfo.gpio, sizeof m_deviceInfo.gpio);
        m_gpioPage->m_settings.report = m_deviceInfo.report;
        if (m_gpioPage->m_editPeriod)
            m_gpioPage->m_editPeriod->SetValue(
                wxString::Format("%u", static_cast<unsigned>(m_deviceInfo.report.reportInterval)));
        if (m_gpioPage->m_checkSendRemote)
            m_gpioPage->m_checkSendRemote->SetValue(m_deviceInfo.report.sendRemote != 0);
        m_gpioPage->ShowSettings();
        m_gpioPage->EnableControls(true);
    }
    if (m_statusText)
        m_statusText->SetLabel(FormatStateText(m_deviceInfo.info));
}

void CLumvexQ310DConfiguratorDlg::Reconnect()
{
    ClosePort();
    EnableControls(false, true);
    if (m_comConfigDlg.DoModal(this) == IDOK)
        PostAppMessage(this, WM_APP_OPEN_PORT, 0, 0);
}

void CLumvexQ310DConfiguratorDlg::OnCommandDone(AppMessageEvent& event)
{
    if (!m_windowAlive)
        return;
    const int command = static_cast<int>(event.GetWParam());
    const intptr_t result = event.GetLParam();

    // A result that arrives after an I/O error closed the port leaves the controls off.
    EnableControls(IsPortOpen(), true);
    EndWaitCursor();
    m_busy.exchange(false);

    switch (command)
    {
    case WorkerCommand::ReadDeviceInfo:
        if (result == 0)
        {
            ShowDevice();
        }
        else
        {
            AfxMessageBox(LoadString(IDS_DEVICE_NO_RESPONSE), MB_OK);
            ClosePort();
            EnableControls(false, true);
        }
        break;
    case WorkerCommand::ApplyGeneral:
        if (result == 0)
            AfxMessageBox(LoadString(IDS_GENERAL_APPLY_DONE), MB_ICONINFORMATION);
        else
            AfxMessageBox(LoadString(IDS_GENERAL_APPLY_FAILED), MB_ICONERROR);
        break;
    case WorkerCommand::ApplyGpio:
        if (result == 0)
            AfxMessageBox(LoadString(IDS_GPIO_APPLY_DONE), MB_ICONINFORMATION);
        else
            AfxMessageBox(LoadString(IDS_GPIO_APPLY_FAILED), MB_ICONERROR);
        break;
    case WorkerCommand::ApplyConfigFile:
        if (result == 0)
            AfxMessageBox(LoadString(IDS_CONFIG_APPLY_DONE) +
                              wxString::Format(L"\r\n실행된 AT 명령어: %u\r\n",
                                               static_cast<unsigned>(m_fileItems.size())),
                          MB_ICONINFORMATION);
        else
            AfxMessageBox(LoadString(IDS_CONFIG_APPLY_FAILED), MB_ICONERROR);
        // An I/O error that cut the apply short has closed the port and stopped the
        // worker: there is nothing to follow up and nothing to wait for.
        if (IsPortOpen())
        {
            PostCommand(result == 0 ? WorkerCommand::RestartDevice : WorkerCommand::ReadDeviceInfo,
                        false);
            BeginWaitCursor();
            EnableControls(false, true);
        }
        break;
    case WorkerCommand::RestartDevice:
    case WorkerCommand::FactoryReset:
        Reconnect();
        break;
    default:
        break;
    }
}

// --- Configuration files ---

wxString CLumvexQ310DConfiguratorDlg::ReplaceQuestion(const wxString& fileName)
{
    const wchar_t* format = IsKorean() ? L"%s 파일이 이미 있습니다. 바꾸시겠습니까?"
                                       : L"%s already exists. Do you want to replace it?";
    return wxString::Format(format, fileName);
}

wxString CLumvexQ310DConfiguratorDlg::FileDialogFilter(const wxString& filter)
{
    // "name|pattern|name|pattern||": the names as written, the patterns without the
    // blanks around them (GTK would take them as part of the pattern). GTK matches "*.*"
    // literally, so "all files" would hide every name without a dot: it becomes "*".
    wxArrayString parts = wxSplit(filter, '|', '\0');
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    wxString result;
    for (size_t i = 0; i < parts.size(); ++i)
    {
        wxString part = parts[i];
        if (i % 2 == 1)
        {
            part.Trim(true).Trim(false);
            if (part == "*.*")
                part = "*";
        }
        if (i > 0)
            result += '|';
        result += part;
    }
    return result;
}

void CLumvexQ310DConfiguratorDlg::OnLoadConfigFile(wxCommandEvent&)
{
    wxFileDialog dialog(this, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString,
                        FileDialogFilter(LoadString(IDS_CONFIG_FILE_FILTER)),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    wxString path;
    if (!ChooseFilePath(dialog, path))
        return;

    if (ConfigFile::LoadDocument(path.ToStdWstring(), m_configDoc) != ConfigFile::kLoaded)
    {
        AfxMessageBox(LoadString(IDS_CONFIG_LOAD_FAILED), MB_OK);
        return;
    }
    std::vector<ConfigItem> items;
    const int parsed = ConfigFile::ParseDocument(m_configDoc, items);
    if (parsed != 0)
    {
        AfxMessageBox(this,
                      wxString::Format(L"설정 파일 분석에 문제가 발생했습니다.(%d) 설정 파일을 확인하시고 "
                                       L"다시 시도해 주세요.",
                                       parsed),
                      L"설정 파일 오류", MB_ICONERROR);
        return;
    }
    if (items.empty())
    {
        AfxMessageBox(this, L"설정 파일에 올바른 설정값이 없습니다. 설정 파일을 확인하시기 바랍니다.",
                      L"설정 읽기 오류", MB_ICONWARNING);
        return;
    }

    m_fileItems = std::move(items);
    const bool wasBusy = m_busy;
    PostCommand(WorkerCommand::ApplyConfigFile, false);
    EnableControls(false, true);
    if (!wasBusy)
    {
        BeginWaitCursor();
        m_busy.exchange(true);
    }
}

void CLumvexQ310DConfiguratorDlg::OnSaveConfigFile(wxCommandEvent&)
{
    std::vector<ConfigItem> items;
    wxFileDialog dialog(this, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString,
                        FileDialogFilter(LoadString(IDS_CONFIG_FILE_FILTER)),
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    wxString chosen;
    if (!ChooseFilePath(dialog, chosen))
        return;

    wxFileName path(chosen);
    // GTK adds no extension of its own; a name typed without one gets the offered one.
    // The chooser asked about the name as typed, so the name actually written is asked
    // about here: an existing file is never replaced without the user's word.
    if (!path.HasExt())
    {
        path.SetExt("json");
        if (path.FileExists() && AfxMessageBox(ReplaceQuestion(path.GetFullName()),
                                               MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
    }

    CollectConfigItems(items);
    if (ConfigFile::Save(path.GetFullPath().ToStdWstring(), items) != 0)
        AfxMessageBox(LoadString(IDS_CONFIG_SAVE_FAILED), MB_ICONERROR);
    else
        AfxMessageBox(LoadString(IDS_CONFIG_SAVED), MB_ICONINFORMATION);
}

void CLumvexQ310DConfiguratorDlg::CollectConfigItems(std::vector<ConfigItem>& items)
{
    const GeneralInfoValues& general = m_generalPage->m_values;
    const GpioSettings& gpio = m_gpioPage->m_settings;
    const auto add = [&items](uint32_t kind, const auto& value) {
        ConfigItem item{};
        item.kind = kind;
        static_assert(sizeof value <= sizeof item.value);
        std::memcpy(&item.value, &value, sizeof value);
        items.push_back(item);
    };
    add(CommandId::SetOpMode, general.info.opMode);
    add(CommandId::SetNetRole, general.info.netRole);
    add(CommandId::SetPanId, general.net.panId);
    add(CommandId::SetRfChannel, general.net.rfChannel);
    add(CommandId::SetUart, general.uart);
    for (const GpioEntry& entry : gpio.gpio)
        add(CommandId::SetGpioConfig, entry);
    add(CommandId::SetQuietMode, general.quietMode);
    add(CommandId::SetGpioPeriodic, gpio.report);
}
