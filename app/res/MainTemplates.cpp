// Dialog templates of the About box (100), the main dialog (102) and the advanced page
// (106). Texts are the templates' own (Korean); rows are in tab order.

#include "app/DialogTemplate.h"
#include "app/res/ResourceIds.h"

namespace {

constexpr unsigned kInfoEdit = CS_READONLY | CS_BORDER | CS_AUTOHSCROLL | CS_TABSTOP;

// clang-format off
const DialogControl kControls100[] = {
    {IDC_STATIC, ControlKind::Icon, nullptr, 14, 14, 20, 20, CS_NONE},
    {IDC_STATIC_PRODUCT, ControlKind::Static, L"Q310 Manager", 42, 14, 114, 8, CS_NOPREFIX},
    {IDC_STATIC, ControlKind::Static, L"Q310D RF 모뎀 설정 프로그램", 42, 26, 114, 8, CS_NONE},
    {IDOK, ControlKind::DefPushButton, L"확인", 113, 41, 50, 14, CS_GROUP | CS_TABSTOP},
};

const DialogControl kControls102[] = {
    {IDOK, ControlKind::PushButton, L"확인", 0, 245, 14, 9, CS_HIDDEN | CS_TABSTOP},
    {IDCANCEL, ControlKind::PushButton, L"취소", 316, 244, 10, 10, CS_HIDDEN | CS_TABSTOP},
    {IDC_TAB_FRAME, ControlKind::Frame, nullptr, 7, 55, 314, 199, CS_HIDDEN},
    {IDC_BUTTON_RESTART, ControlKind::PushButton, L"장치 재시작", 255, 12, 50, 14, CS_TABSTOP},
    {IDC_BUTTON_FACTORY_RESET, ControlKind::PushButton, L"공장 초기화", 255, 30, 50, 14, CS_TABSTOP},
    {IDC_STATIC, ControlKind::GroupBox, L"장치 정보", 7, 2, 314, 48, CS_NONE},
    {IDC_EDIT_EXT_ADDRESS, ControlKind::Edit, nullptr, 64, 13, 93, 13, kInfoEdit},
    {IDC_STATIC, ControlKind::Static, L"장치 확장 주소", 15, 14, 45, 10, CS_CENTERIMAGE},
    {IDC_STATIC, ControlKind::Static, L"펌웨어 버전", 171, 15, 32, 8, CS_NONE},
    {IDC_EDIT_FIRMWARE_VERSION, ControlKind::Edit, nullptr, 207, 13, 33, 13, kInfoEdit},
    {IDC_STATIC, ControlKind::Static, L"상태 정보", 15, 31, 45, 13, CS_CENTERIMAGE},
    {IDC_STATIC_STATE, ControlKind::Static, nullptr, 64, 31, 176, 15, CS_CENTERIMAGE},
};

const DialogControl kControls106[] = {
    {IDC_STATIC, ControlKind::GroupBox, L"Static", 7, 1, 229, 30, CS_NONE},
    {IDC_STATIC, ControlKind::Static, L"PHY ID", 21, 13, 26, 10, CS_NONE},
    {IDC_EDIT_PHY_ID, ControlKind::Edit, nullptr, 55, 11, 21, 13, kInfoEdit},
};
// clang-format on

}  // namespace

const DialogTemplate kDialogTemplate100 = {
    IDD_ABOUTBOX, DialogKind::Popup, L"Q310 Manager 정보", 9, 170, 62, 0, kControls100};
const DialogTemplate kDialogTemplate102 = {
    IDD_LUMVEXQ310DCONFIGURATOR_DIALOG, DialogKind::Popup, L"Q310 Manager", 9, 328, 259, IDR_MENU,
    kControls102};
const DialogTemplate kDialogTemplate106 = {
    IDD_ADV_CONFIG, DialogKind::Child, nullptr, 9, 250, 190, 0, kControls106};

namespace {
const DialogTemplateRegistration kRegister100(kDialogTemplate100);
const DialogTemplateRegistration kRegister102(kDialogTemplate102);
const DialogTemplateRegistration kRegister106(kDialogTemplate106);
}  // namespace
