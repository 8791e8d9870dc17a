// Dialog templates of the COM settings dialog (137), the general page (107) and the
// GPIO page (103). Texts are the templates' own (Korean); rows are in tab order.

#include <iterator>

#include "app/DialogTemplate.h"
#include "app/res/ResourceIds.h"

namespace {

constexpr unsigned kDropList = CS_VSCROLL | CS_TABSTOP;
constexpr unsigned kLabel = CS_CENTER | CS_CENTERIMAGE | CS_GROUP;
constexpr unsigned kNumberEdit = CS_NUMBER | CS_AUTOHSCROLL | CS_BORDER | CS_TABSTOP;
constexpr unsigned kGroupStart = CS_GROUP | CS_TABSTOP;

// clang-format off
const DialogControl kControls137[] = {
    {IDOK, ControlKind::DefPushButton, L"확인", 97, 63, 50, 14, CS_TABSTOP},
    {IDCANCEL, ControlKind::PushButton, L"취소", 163, 63, 50, 14, CS_TABSTOP},
    {IDC_COMBO_PORT, ControlKind::DropList, nullptr, 30, 31, 53, 74, kDropList | CS_SORT},
    {IDC_COMBO_BAUDRATE, ControlKind::DropList, nullptr, 92, 31, 43, 56, kDropList},
    {IDC_COMBO_PARITY, ControlKind::DropList, nullptr, 145, 31, 37, 42, kDropList},
    {IDC_COMBO_STOPBIT, ControlKind::DropList, nullptr, 192, 31, 37, 37, kDropList},
    {IDC_COMBO_DATABIT, ControlKind::DropList, nullptr, 238, 31, 37, 48, kDropList},
    {IDC_STATIC, ControlKind::Static, L"COM 포트", 38, 17, 37, 13, kLabel},
    {IDC_STATIC, ControlKind::Static, L"속도", 103, 17, 20, 13, kLabel},
    {IDC_STATIC, ControlKind::Static, L"패리티", 153, 17, 20, 13, kLabel},
    {IDC_STATIC, ControlKind::Static, L"스탑비트", 196, 17, 28, 13, kLabel},
    {IDC_STATIC, ControlKind::Static, L"데이터비트", 234, 17, 45, 13, kLabel},
};

const DialogControl kControls107[] = {
    {IDC_RADIO_MASTER, ControlKind::RadioButton, L"마스터", 58, 14, 33, 10, kGroupStart},
    {IDC_RADIO_SLAVE, ControlKind::RadioButton, L"슬레이브", 212, 14, 39, 10, CS_NONE},
    {IDC_RADIO_AT_COMMAND, ControlKind::RadioButton, L"AT 명령어 방식", 58, 59, 58, 10, kGroupStart},
    {IDC_RADIO_BYPASS, ControlKind::RadioButton, L"Bypass 방식", 212, 59, 50, 10, CS_NONE},
    {IDC_RADIO_P2P, ControlKind::RadioButton, L"1:1", 58, 87, 26, 10, kGroupStart},
    {IDC_RADIO_P2MP, ControlKind::RadioButton, L"1:N", 212, 87, 27, 10, CS_NONE},
    {IDC_EDIT_GROUP_ID, ControlKind::Edit, nullptr, 86, 30, 42, 13, kNumberEdit | CS_GROUP},
    {IDC_COMBO_CHANNEL, ControlKind::DropList, nullptr, 238, 30, 28, 28, kDropList},
    {IDC_COMBO_UART_BAUDRATE, ControlKind::DropList, nullptr, 71, 142, 37, 56, kDropList},
    {IDC_COMBO_UART_PARITY, ControlKind::DropList, nullptr, 133, 142, 32, 42, kDropList},
    {IDC_COMBO_UART_STOPBIT, ControlKind::DropList, nullptr, 190, 142, 28, 37, kDropList},
    {IDC_COMBO_UART_DATABIT, ControlKind::DropList, nullptr, 243, 142, 32, 48, kDropList},
    {IDC_BUTTON_GENERAL_APPLY, ControlKind::DefPushButton, L"설정 적용", 131, 165, 50, 14, CS_TABSTOP},
    {IDC_STATIC, ControlKind::Static, L"그룹 ID", 52, 30, 26, 10, CS_RIGHT},
    {IDC_STATIC, ControlKind::Static, L"채널", 213, 29, 17, 13, CS_NONE},
    {IDC_STATIC_UART_BAUDRATE, ControlKind::Static, L"속도 (bps)", 71, 129, 35, 12, CS_CENTER},
    {IDC_STATIC_UART_PARITY, ControlKind::Static, L"패리티", 141, 129, 17, 12, CS_CENTER},
    {IDC_STATIC_UART_STOPBIT, ControlKind::Static, L"스탑비트", 192, 129, 24, 12, CS_CENTER},
    {IDC_STATIC_UART_DATABIT, ControlKind::Static, L"데이터비트", 240, 129, 38, 12, CS_CENTER},
    {IDC_STATIC, ControlKind::Static, L"UART 설정", 27, 138, 40, 13, CS_NONE},
    {IDC_STATIC, ControlKind::GroupBox, L"장치  역할", 12, 3, 289, 45, CS_NONE},
    {IDC_STATIC, ControlKind::GroupBox, L"통신  구성", 12, 77, 289, 26, CS_NONE},
    {IDC_STATIC, ControlKind::GroupBox, nullptr, 12, 121, 289, 41, CS_NONE},
    {IDC_CHECK_OUTDOOR_FIXED, ControlKind::CheckBox, L"실외 고정형", 2, 79, 12, 14,
     CS_HIDDEN | CS_DISABLED | CS_TABSTOP},
    {IDC_STATIC, ControlKind::GroupBox, L"전송  방식", 12, 49, 289, 26, CS_NONE},
    {IDC_STATIC, ControlKind::Static, L"명령 응답", 58, 108, 41, 12, CS_NONE},
    {IDC_RADIO_RESPONSE_ON, ControlKind::RadioButton, L"ON", 142, 108, 26, 10, kGroupStart},
    {IDC_RADIO_RESPONSE_OFF, ControlKind::RadioButton, L"OFF", 212, 108, 28, 10, CS_NONE},
};

// Row i of the left column (GPIOs 0 to 6) and of the right one (7 to 12).
#define GPIO_ROW(i, label, labelX, comboX, configX, row)                                            \
    {IDC_STATIC, ControlKind::Static, label, labelX, 13 + 16 * (row), 13, 11, CS_CENTER},     \
    {IDC_COMBO_GPIO_MODE0 + 2 * (i), ControlKind::DropList, nullptr, comboX, 13 + 16 * (row), \
     38, 30, kDropList},                                                                      \
    {IDC_COMBO_GPIO_CONFIG0 + 2 * (i), ControlKind::DropList, nullptr, configX,               \
     13 + 16 * (row), 56, 30, kDropList}

const DialogControl kControls103[] = {
    GPIO_ROW(0, L"0", 25, 41, 87, 0),
    GPIO_ROW(1, L"1", 25, 41, 87, 1),
    GPIO_ROW(2, L"2", 25, 41, 87, 2),
    GPIO_ROW(3, L"3", 25, 41, 87, 3),
    GPIO_ROW(4, L"4", 25, 41, 87, 4),
    GPIO_ROW(5, L"5", 25, 41, 87, 5),
    GPIO_ROW(6, L"6", 25, 41, 87, 6),
    GPIO_ROW(7, L"7", 167, 183, 226, 0),
    GPIO_ROW(8, L"8", 163, 183, 226, 1),
    GPIO_ROW(9, L"9", 163, 183, 226, 2),
    GPIO_ROW(10, L"10", 163, 183, 226, 3),
    GPIO_ROW(11, L"11", 163, 183, 226, 4),
    GPIO_ROW(12, L"12", 163, 183, 226, 5),
    {IDC_STATIC, ControlKind::GroupBox, L"GPIOs", 6, 1, 297, 125, CS_NONE},
    {IDC_EDIT_REPORT_PERIOD, ControlKind::Edit, nullptr, 72, 141, 40, 14, kNumberEdit},
    {IDC_STATIC, ControlKind::Static, L"주기 (ms)", 30, 143, 38, 11, CS_NONE},
    {IDC_CHECK_SEND_REMOTE, ControlKind::CheckBox, L"상대 장치로 전송", 181, 142, 101, 13,
     CS_MULTILINE | CS_TABSTOP},
    {IDC_BUTTON_GPIO_APPLY, ControlKind::PushButton, L"적 용", 131, 164, 50, 14, CS_TABSTOP},
    {IDC_STATIC, ControlKind::GroupBox, L"주기 설정", 5, 129, 299, 32, CS_NONE},
};
#undef GPIO_ROW
// clang-format on

static_assert(std::size(kControls103) == 3 * 13 + 6, "13 GPIO rows and the report controls");

}  // namespace

const DialogTemplate kDialogTemplate137 = {
    IDD_COM_CONFIG, DialogKind::Popup, L"Q310 접속 설정", 8, 309, 86, 0, kControls137};
const DialogTemplate kDialogTemplate107 = {
    IDD_GENERAL_INFO, DialogKind::Child, nullptr, 9, 314, 188, 0, kControls107};
const DialogTemplate kDialogTemplate103 = {
    IDD_GPIO_CONFIG, DialogKind::Child, nullptr, 9, 314, 189, 0, kControls103};

namespace {
const DialogTemplateRegistration kRegister137(kDialogTemplate137);
const DialogTemplateRegistration kRegister107(kDialogTemplate107);
const DialogTemplateRegistration kRegister103(kDialogTemplate103);
}  // namespace
