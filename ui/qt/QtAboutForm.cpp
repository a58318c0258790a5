#include "ui/qt/QtAboutForm.h"

#include "ui/qt/QtLook.h"

#include <QApplication>
#include <QPixmap>

namespace {
template <class TWidget> TWidget* Place(TWidget* Widget, int Left, int Top, int Width, int Height) {
    Widget->setGeometry(Left, Top, Width, Height);
    return Widget;
}

// Labels size themselves to their text, as the design's auto-sized labels do.
QLabel* AutoLabel(QWidget* Parent, const char* Text, int Left, int Top) {
    auto* Label = new QLabel(QString::fromLatin1(Text), Parent);
    Label->move(Left, Top);
    Label->adjustSize();
    return Label;
}
} // namespace

TQtAboutForm::TQtAboutForm(QWidget* Owner)
    : QDialog(Owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TAboutDlg"));
    setWindowIcon(QIcon(QStringLiteral(":/quorvel/Quorvel.ico")));
    ApplyDesignLook(*this);

    const QPixmap Banner(QStringLiteral(":/quorvel/banner.bmp"));
    Image1 = Place(new QLabel(this), 0, 0, Banner.width(), Banner.height());
    Image1->setPixmap(Banner);

    all_grp = Place(new QGroupBox(this), 1, 97, 384, 184);
    Application_grp = Place(new QGroupBox(QStringLiteral("Application"), all_grp), 5, 12, 249, 53);
    appname_lbl = AutoLabel(Application_grp, "Application name :", 8, 16);
    version_lbl = AutoLabel(Application_grp, "Version :", 8, 32);
    tandrel_grp = Place(new QGroupBox(QStringLiteral("Tandrel"), all_grp), 260, 12, 113, 117);
    email_btn = Place(new QPushButton(QStringLiteral("Email"), tandrel_grp), 8, 16, 97, 28);
    web_btn = Place(new QPushButton(QStringLiteral("Web Site"), tandrel_grp), 8, 48, 97, 28);
    forum_btn = Place(new QPushButton(QStringLiteral("Forums"), tandrel_grp), 8, 80, 97, 28);
    ok_btn = Place(new QPushButton(QStringLiteral("Ok"), all_grp), 274, 139, 81, 33);
    ok_btn->setDefault(true);
    connect(ok_btn, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(ClientWidth, ClientHeight);
}

void TQtAboutForm::CentreOnOwner() {
    if (QWidget* Owner = parentWidget()) {
        const QRect Frame = Owner->frameGeometry();
        move(Frame.center() - QPoint(width() / 2, height() / 2));
    }
}
