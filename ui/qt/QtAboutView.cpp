#include "ui/qt/QtAboutView.h"

#include <functional>

TQtAboutView::TQtAboutView(QWidget* Owner, IQtDesktop& Desktop, TGuard Guard)
    : TQtAboutForm(Owner), Desktop(Desktop), Guard(std::move(Guard)) {
    connect(email_btn, &QPushButton::clicked, this,
            [this] { Forward(&TAboutDlg::email_btnClick); });
    connect(web_btn, &QPushButton::clicked, this, [this] { Forward(&TAboutDlg::web_btnClick); });
    connect(forum_btn, &QPushButton::clicked, this,
            [this] { Forward(&TAboutDlg::forum_btnClick); });
}

void TQtAboutView::Attach(TAboutDlg* NewController) {
    Controller = NewController;
}

void TQtAboutView::Forward(void (TAboutDlg::*Handler)()) {
    if (Controller)
        Guard([Dlg = Controller, Handler] { std::invoke(Handler, *Dlg); });
}

void TQtAboutView::SetCaption(const std::string& Caption) {
    setWindowTitle(QString::fromLocal8Bit(Caption));
}

void TQtAboutView::SetAppNameText(const std::string& Text) {
    appname_lbl->setText(QString::fromLocal8Bit(Text));
    appname_lbl->adjustSize();
}

void TQtAboutView::SetVersionText(const std::string& Text) {
    version_lbl->setText(QString::fromLocal8Bit(Text));
    version_lbl->adjustSize();
}

bool TQtAboutView::ShowModal() {
    CentreOnOwner();
    return exec() == QDialog::Accepted;
}

void TQtAboutView::OpenAddress(const std::string& Address) {
    Desktop.OpenAddress(QString::fromLocal8Bit(Address));
}
