#include "ui/win32/MainLayout.h"

#include "ui/win32/ResourceIds.h"

#include <commctrl.h>

#include <array>

namespace {

using namespace DesignStyle;

constexpr std::array<TControlDesign, 29> Design = {{
    {IDC_SIGNTOOL_GRP, 0, "BUTTON", "SignTool", Group, 0, 8, 8, 353, 65},
    {IDC_JVIMGBTN1, IDC_SIGNTOOL_GRP, "BUTTON", "", FlatPicture, 0, 5, 21, 40, 42},
    {IDC_SIGNTOOL_TXT, IDC_SIGNTOOL_GRP, "EDIT", "", ReadOnlyField, WS_EX_CLIENTEDGE, 56, 32, 201,
     21},
    {IDC_BROWSESIGN_BTN, IDC_SIGNTOOL_GRP, "BUTTON", "Browse", Button, 0, 264, 32, 75, 25},
    // Hidden until start-up knows whether a tool was found.
    {IDC_DOWNLOADSDK_LBL, IDC_SIGNTOOL_GRP, "STATIC", "Download", (Child & ~WS_VISIBLE) | SS_NOTIFY,
     0, 264, 16, 48, 13},

    {IDC_TIMESTAMP_GRP, 0, "BUTTON", "Timestamp server", Group, 0, 8, 80, 353, 89},
    {IDC_TIME_BTN, IDC_TIMESTAMP_GRP, "BUTTON", "", FlatPicture, 0, 5, 23, 40, 42},
    {IDC_TIMESTAMP_CHK, IDC_TIMESTAMP_GRP, "BUTTON", "Enable timestamping", CheckBox, 0, 56, 16,
     265, 17},
    {IDC_TIMESTAMP_TXT, IDC_TIMESTAMP_GRP, "COMBOBOX", "",
     Child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 56, 36, 281, DropHeight},
    {IDC_TIMEDIGEST_CMB, IDC_TIMESTAMP_GRP, "COMBOBOX", "", FixedList, 0, 56, 60, 145, DropHeight},

    {IDC_CERTIFICATE_GRP, 0, "BUTTON", "Cetificate && Password", Group, 0, 8, 176, 353, 121},
    {IDC_JVIMGBTN2, IDC_CERTIFICATE_GRP, "BUTTON", "", FlatPicture, 0, 5, 14, 40, 42},
    {IDC_CERTIFPATH_TXT, IDC_CERTIFICATE_GRP, "EDIT", "", ReadOnlyField, WS_EX_CLIENTEDGE, 56, 20,
     201, 21},
    {IDC_BROWSECERT_BTN, IDC_CERTIFICATE_GRP, "BUTTON", "Browse", Button, 0, 264, 16, 75, 25},
    {IDC_JVIMGBTN3, IDC_CERTIFICATE_GRP, "BUTTON", "", FlatPicture, 0, 5, 54, 40, 42},
    {IDC_PASSWORD_TXT, IDC_CERTIFICATE_GRP, "EDIT", "",
     Child | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, WS_EX_CLIENTEDGE, 56, 60, 145, 21},
    {IDC_PASSWORD_CHK, IDC_CERTIFICATE_GRP, "BUTTON", "Remember password", CheckBox, 0, 208, 60,
     137, 17},
    {IDC_CERTDIGEST_CMB, IDC_CERTIFICATE_GRP, "COMBOBOX", "", FixedList, 0, 56, 90, 145,
     DropHeight},

    {IDC_FILES_GRP, 0, "BUTTON", "Files to sign", Group, 0, 8, 304, 353, 169},
    {IDC_JVIMGBTN4, IDC_FILES_GRP, "BUTTON", "", FlatPicture, 0, 5, 23, 40, 42},
    // Shared image lists: the window owns them and outlives the list.
    {IDC_LST, IDC_FILES_GRP, WC_LISTVIEWA, "",
     Child | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS, WS_EX_CLIENTEDGE,
     50, 16, 287, 121},
    {IDC_ADD_BTN, IDC_FILES_GRP, "BUTTON", "Add", Button, 0, 50, 138, 93, 25},
    {IDC_REMOVE_BTN, IDC_FILES_GRP, "BUTTON", "Remove", Button, 0, 144, 138, 93, 25},
    {IDC_IGNORE_BTN, IDC_FILES_GRP, "BUTTON", "Clear", Button, 0, 239, 138, 93, 25},

    {IDC_LOG_GRP, 0, "BUTTON", "Log", Group, 0, 368, 8, 281, 465},
    // Word wrap comes from leaving out ES_AUTOHSCROLL; no scroll bars.
    {IDC_MEMO1, IDC_LOG_GRP, "EDIT", "",
     Child | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, WS_EX_CLIENTEDGE, 8, 16, 265,
     409},
    {IDC_CLEARLOG_BTN, IDC_LOG_GRP, "BUTTON", "Clear", Button, 0, 195, 434, 75, 25},

    {IDC_SIGN_BTN, 0, "BUTTON", "Sign", DefaultButton, 0, 10, 479, 93, 35},
    {IDC_PB, 0, PROGRESS_CLASSA, "", Child | PBS_SMOOTH, 0, 112, 487, 537, 25},
}};

} // namespace

namespace MainLayout {

std::span<const TControlDesign> Controls() {
    return Design;
}

RECT DesignRect(int Id) {
    return PlaceOnClient(Design, Id);
}

int FlatButtonPicture(int Id) {
    switch (Id) {
    case IDC_TIME_BTN:
        return 0;
    case IDC_JVIMGBTN1:
        return 1;
    case IDC_JVIMGBTN2:
        return 2;
    case IDC_JVIMGBTN3:
        return 3;
    case IDC_JVIMGBTN4:
        return 4;
    default:
        return -1;
    }
}

} // namespace MainLayout
