#include "app/CLumvexQ310DConfiguratorDlg.h"

#include <algorithm>
#include <string>

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/mstream.h>
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
#include "app/GeneralInfoPage.h"
#include "app/GpioConfigPage.h"
#include "app/res/Menu139.h"
#include "app/res/ResourceIds.h"
#include "app/res/StringTable.h"

namespace {

// The tab control takes the control id that Windows gave it, 1.
constexpr int kTabControlId = 1;

wxImage LoadEmbeddedPng(const std::string& name)
{
    const EmbeddedResource png = FindEmbeddedResource(name.c_str());
    if (png.size == 0)
        return wxImage();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(png.data, png.size);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}

// Icon 128 in the sizes a desktop picks from (window list, title bar, switcher).
wxIconBundle LoadProgramIcons()
{
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64, 128, 256})
    {
        const wxImage image = LoadEmbeddedPng("icon128_" + std::to_string(size) + ".png");
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
    // Escape never ends the dialog; every other key goes its normal way.
    if (event.GetKeyCode() == WXK_ESCAPE)
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

void CLumvexQ310DConfiguratorDlg::OnOpenSerialPort(AppMessageEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnSerialPortConfig(wxCommandEvent&)
{
    ClosePort();
    EnableControls(false, true);
    if (m_comConfigDlg.DoModal(this) == IDOK)
        PostAppMessage(this, WM_APP_OPEN_PORT, 0, 0);
}

void CLumvexQ310DConfiguratorDlg::ClosePort()
{
}

void CLumvexQ310DConfiguratorDlg::PostNcDestroy()
{
    ClosePort();
}

void CLumvexQ310DConfiguratorDlg::OnCommError(Q310Comm* comm, std::error_code& error)
{
    if (comm == &m_comm && IsPortOpen())
        PostAppMessage(this, WM_APP_COMM_ERROR, static_cast<uintptr_t>(error.value()), 0);
}

void CLumvexQ310DConfiguratorDlg::OnCommErrorMsg(AppMessageEvent&)
{
}

bool CLumvexQ310DConfiguratorDlg::IsPortOpen() const
{
    return m_comm.m_port && m_comm.m_port->m_isOpen;
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

void CLumvexQ310DConfiguratorDlg::PostCommand(int, bool)
{
}

void CLumvexQ310DConfiguratorDlg::CommandWorker()
{
}

// --- Device commands ---

void CLumvexQ310DConfiguratorDlg::OnApplyGeneral(AppMessageEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnApplyGpio(AppMessageEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedRestart(wxCommandEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnBnClickedFactoryReset(wxCommandEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnCommandDone(AppMessageEvent&)
{
}

// --- Configuration files ---

void CLumvexQ310DConfiguratorDlg::OnLoadConfigFile(wxCommandEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::OnSaveConfigFile(wxCommandEvent&)
{
}

void CLumvexQ310DConfiguratorDlg::CollectConfigItems(std::vector<ConfigItem>&)
{
}
