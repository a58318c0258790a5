#include "ui/qt/QtAboutView.h"

TQtAboutView::TQtAboutView(QWidget* Owner, IQtDesktop& Desktop, std::string ExePath,
                           TAboutDlg::TVersionText VersionText, TGuard Guard)
    : TQtAboutForm(Owner), Logic(*this, std::move(ExePath), std::move(VersionText)),
      Desktop(Desktop), Guard(std::move(Guard)) {
    connect(email_btn, &QPushButton::clicked, this,
            [this] { this->Guard([this] { Logic.email_btnClick(); }); });
    connect(web_btn, &QPushButton::clicked, this,
            [this] { this->Guard([this] { Logic.web_btnClick(); }); });
    connect(forum_btn, &QPushButton::clicked, this,
            [this] { this->Guard([this] { Logic.forum_btnClick(); }); });
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
