#pragma once

// Every numeric id that the dialogs, the string table, the menu and the tool bar rely on.
// The numbers must not change: handlers, templates, string lookups and saved layouts all
// refer to them by value.

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_LUMVEXQ310DCONFIGURATOR_DIALOG = 102;
constexpr int IDD_GPIO_CONFIG = 103;
constexpr int IDD_ADV_CONFIG = 106;
constexpr int IDD_GENERAL_INFO = 107;
constexpr int IDD_COM_CONFIG = 137;

// Icon, menu and tool-bar image.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDR_MENU = 139;
constexpr int IDR_TOOLBAR = 140;

// Strings (see StringTable).
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDS_TAB_GENERAL = 107;
constexpr int IDS_TAB_CREATE_FAILED = 109;
constexpr int IDS_COM_CONFIG_TITLE = 112;
constexpr int IDS_DEVICE_NO_RESPONSE = 113;
constexpr int IDS_PORT_CLOSED = 114;
constexpr int IDS_READY = 115;
constexpr int IDS_TAB_GPIO = 116;
constexpr int IDS_APPLY = 117;
constexpr int IDS_INVALID_PAN_ID = 118;
constexpr int IDS_INVALID_GPIO_INTERVAL = 119;
constexpr int IDS_GENERAL_APPLY_FAILED = 120;
constexpr int IDS_GENERAL_APPLY_DONE = 121;
constexpr int IDS_GPIO_APPLY_DONE = 122;
constexpr int IDS_GPIO_APPLY_FAILED = 123;
constexpr int IDS_CONFIG_FILE_FILTER = 124;
constexpr int IDS_CONFIG_LOAD_FAILED = 125;
constexpr int IDS_CONFIG_SAVE_FAILED = 126;
constexpr int IDS_CONFIG_SAVED = 127;
constexpr int IDS_CONFIG_APPLY_DONE = 128;
constexpr int IDS_CONFIG_APPLY_FAILED = 129;
constexpr int IDS_PORT_OPEN_FAILED = 130;

// Standard dialog results and button ids (the values Windows dialogs use).
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;

// Controls of the main dialog (102).
constexpr int IDC_TAB_FRAME = 1012;
constexpr int IDC_EDIT_EXT_ADDRESS = 1024;
constexpr int IDC_BUTTON_RESTART = 1031;
constexpr int IDC_BUTTON_FACTORY_RESET = 1032;
constexpr int IDC_EDIT_FIRMWARE_VERSION = 1046;
constexpr int IDC_STATIC_STATE = 1051;

// Controls of the About box (100) and the advanced page (106).
constexpr int IDC_STATIC_PRODUCT = 1067;
constexpr int IDC_EDIT_PHY_ID = 1048;

// Controls of the general page (107).
constexpr int IDC_COMBO_UART_BAUDRATE = 1001;
constexpr int IDC_STATIC_UART_BAUDRATE = 1003;
constexpr int IDC_COMBO_UART_PARITY = 1004;
constexpr int IDC_COMBO_UART_STOPBIT = 1005;
constexpr int IDC_STATIC_UART_PARITY = 1006;
constexpr int IDC_STATIC_UART_STOPBIT = 1007;
constexpr int IDC_STATIC_UART_DATABIT = 1008;
constexpr int IDC_COMBO_UART_DATABIT = 1009;
constexpr int IDC_EDIT_GROUP_ID = 1025;
constexpr int IDC_COMBO_CHANNEL = 1026;
constexpr int IDC_BUTTON_GENERAL_APPLY = 1029;
constexpr int IDC_RADIO_MASTER = 1033;
constexpr int IDC_RADIO_SLAVE = 1034;
constexpr int IDC_RADIO_AT_COMMAND = 1035;
constexpr int IDC_RADIO_BYPASS = 1036;
constexpr int IDC_RADIO_P2P = 1037;
constexpr int IDC_RADIO_P2MP = 1038;
constexpr int IDC_CHECK_OUTDOOR_FIXED = 1049;
constexpr int IDC_RADIO_RESPONSE_ON = 1065;
constexpr int IDC_RADIO_RESPONSE_OFF = 1066;

// Controls of the GPIO page (103): row i uses IDC_COMBO_GPIO_MODE0 + 2i and IDC_COMBO_GPIO_CONFIG0 + 2i.
constexpr int IDC_EDIT_REPORT_PERIOD = 1027;
constexpr int IDC_CHECK_SEND_REMOTE = 1028;
constexpr int IDC_BUTTON_GPIO_APPLY = 1030;
constexpr int IDC_COMBO_GPIO_MODE0 = 1039;
constexpr int IDC_COMBO_GPIO_CONFIG0 = 1040;

// Controls of the COM settings dialog (137).
constexpr int IDC_COMBO_PORT = 1018;
constexpr int IDC_COMBO_BAUDRATE = 1019;
constexpr int IDC_COMBO_PARITY = 1020;
constexpr int IDC_COMBO_STOPBIT = 1021;
constexpr int IDC_COMBO_DATABIT = 1022;

// Commands of menu 139 and the tool bar, and of the system menu.
constexpr int ID_SERIAL_PORT_CONFIG = 32772;
constexpr int ID_LOAD_CONFIG_FILE = 32773;
constexpr int ID_SAVE_CONFIG_FILE = 32774;
constexpr int ID_APP_EXIT = 57665;
constexpr int IDM_ABOUTBOX = 0x0010;

// The status bar's control id.
constexpr int AFX_IDW_STATUS_BAR = 0xE801;
