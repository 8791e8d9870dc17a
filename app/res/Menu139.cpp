#include "app/res/Menu139.h"

#include "app/res/ResourceIds.h"

namespace {
// Order is the menu's order and the tool bar's button order.
const MenuItemText kItems[] = {
    {ID_SERIAL_PORT_CONFIG, L"COM 포트 설정", L"Serial Port Config"},
    {ID_LOAD_CONFIG_FILE, L"설정 파일 읽기", L"Load Config File"},
    {ID_SAVE_CONFIG_FILE, L"설정 파일 저장", L"Save Config File"},
    {ID_APP_EXIT, L"종료", L"Exit"},
};
}  // namespace

const MenuPopupText kMenu139Popup = {L"메뉴", L"Application Config", kItems, sizeof kItems / sizeof kItems[0]};
