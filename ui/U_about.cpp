#include "ui/U_about.h"

#include "AppInfo.h"
#include "core/Addresses.h"

TAboutDlg::TAboutDlg(IAboutView& View, std::string ExePath, TVersionText VersionText)
    : TS_about({"About", "Application Name :", "Version :"}), View(View),
      ExePath(std::move(ExePath)), VersionText(std::move(VersionText)) {}

void TAboutDlg::RefreshInfo() {
    View.SetCaption(TS_about.GetText("About") + " " + AppInfo::Title);
    View.SetAppNameText(TS_about.GetText("Application Name :") + " " + AppInfo::Title);
    View.SetVersionText(TS_about.GetText("Version :") + " " + VersionText(ExePath));
}

bool TAboutDlg::ShowAbout() {
    RefreshInfo();
    return View.ShowModal();
}

void TAboutDlg::email_btnClick() {
    View.OpenAddress(Addresses::ContactMail);
}

void TAboutDlg::web_btnClick() {
    View.OpenAddress(Addresses::MakerWebSite);
}

void TAboutDlg::forum_btnClick() {
    View.OpenAddress(Addresses::ForumPage);
}
