#include "ui/win32/AboutLayout.h"

#include "ui/win32/ResourceIds.h"

#include <array>

namespace {

using namespace DesignStyle;

constexpr std::array<TControlDesign, 10> Design = {{
    {IDC_IMAGE1, 0, "STATIC", "", Child | SS_BITMAP, 0, 0, 0, 388, 96},
    {IDC_ALL_GRP, 0, "BUTTON", "", Group, 0, 1, 97, 384, 184},
    {IDC_APPLICATION_GRP, IDC_ALL_GRP, "BUTTON", "Application", Group, 0, 5, 12, 249, 53},
    {IDC_APPNAME_LBL, IDC_APPLICATION_GRP, "STATIC", "Application name :", Label, 0, 8, 16, 233,
     13},
    {IDC_VERSION_LBL, IDC_APPLICATION_GRP, "STATIC", "Version :", Label, 0, 8, 32, 233, 13},
    {IDC_TANDREL_GRP, IDC_ALL_GRP, "BUTTON", "Tandrel", Group, 0, 260, 12, 113, 117},
    {IDC_EMAIL_BTN, IDC_TANDREL_GRP, "BUTTON", "Email", Button, 0, 8, 16, 97, 28},
    {IDC_WEB_BTN, IDC_TANDREL_GRP, "BUTTON", "Web Site", Button, 0, 8, 48, 97, 28},
    {IDC_FORUM_BTN, IDC_TANDREL_GRP, "BUTTON", "Forums", Button, 0, 8, 80, 97, 28},
    {IDC_OK_BTN, IDC_ALL_GRP, "BUTTON", "Ok", DefaultButton, 0, 274, 139, 81, 33},
}};

} // namespace

std::span<const TControlDesign> AboutLayout::Controls() {
    return Design;
}
