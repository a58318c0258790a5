#include "ui/qt/QtMainForm.h"

#include "AppInfo.h"
#include "core/Addresses.h"
#include "ui/qt/QtLook.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProxyStyle>

#include <algorithm>

void TClickLabel::mouseReleaseEvent(QMouseEvent* Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()))
        emit clicked();
}

TClientArea::TClientArea(QWidget* Parent) : QWidget(Parent) {}

void TClientArea::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    if (OnResized)
        OnResized();
}

void TClientArea::keyPressEvent(QKeyEvent* Event) {
    const bool Enter = Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter;
    const bool Plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!Enter || !Plain) {
        QWidget::keyPressEvent(Event);
        return;
    }
    // As on Windows, Enter presses the focused button ("Add", "Browse", ...);
    // only elsewhere does it press the default one. Outside a dialog a Qt
    // button lets Enter pass to its parent, so it ends up here.
    QPushButton* Pressed = qobject_cast<QPushButton*>(focusWidget());
    if (!Pressed || !isAncestorOf(Pressed))
        Pressed = DefaultButton;
    if (Pressed && Pressed->isEnabled())
        Pressed->click();
    else
        QWidget::keyPressEvent(Event);
}

namespace {
// Qt draws a bullet for each hidden character unless the style names another.
class TStarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
        if (Hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }
};

template <class TWidget> TWidget* Place(TWidget* Widget, int Left, int Top, int Width, int Height) {
    Widget->setGeometry(Left, Top, Width, Height);
    return Widget;
}

QGroupBox* Group(QWidget* Parent, const char* Caption, int Left, int Top, int Width, int Height) {
    return Place(new QGroupBox(QString::fromLatin1(Caption), Parent), Left, Top, Width, Height);
}

// The design's flat 40 x 42 picture buttons: a picture, no frame, no action.
QToolButton* PictureButton(QWidget* Parent, const char* Picture, int Left, int Top) {
    auto* Button = Place(new QToolButton(Parent), Left, Top, 40, 42);
    Button->setIcon(QIcon(QString::fromLatin1(Picture)));
    Button->setIconSize(QSize(32, 32));
    Button->setAutoRaise(true);
    Button->setFocusPolicy(Qt::NoFocus);
    return Button;
}

QPushButton* Button(QWidget* Parent, const char* Caption, int Left, int Top, int Width,
                    int Height) {
    return Place(new QPushButton(QString::fromLatin1(Caption), Parent), Left, Top, Width, Height);
}

QComboBox* DigestList(QWidget* Parent, int Left, int Top) {
    auto* List = Place(new QComboBox(Parent), Left, Top, 145, 21);
    List->addItems({QStringLiteral("SHA256"), QStringLiteral("SHA1")});
    List->setCurrentIndex(0);
    return List;
}
} // namespace

TQtMainForm::TQtMainForm(QWidget* Parent) : QMainWindow(Parent) {
    setObjectName(QStringLiteral("TMainDlg"));
    setWindowTitle(QString::fromLatin1(AppInfo::Title));
    setWindowIcon(QIcon(QStringLiteral(":/quorvel/Quorvel.ico")));
    // The menu bar too: the design is in pixels for an 8-point face.
    QFont Face = QApplication::font();
    Face.setPixelSize(11);
    setFont(Face);

    status_imglst = {QIcon(QStringLiteral(":/quorvel/blank.ico")),
                     QIcon(QStringLiteral(":/quorvel/signed.ico")),
                     QIcon(QStringLiteral(":/quorvel/failed.ico"))};

    Client = new TClientArea(this);
    ApplyDesignLook(*Client);
    setCentralWidget(Client);

    SignToolGroup = Group(Client, "SignTool", 8, 8, 353, 65);
    JvImgBtn1 = PictureButton(SignToolGroup, ":/quorvel/gearwindow.ico", 5, 21);
    signtool_txt = Place(new QLineEdit(SignToolGroup), 56, 32, 201, 21);
    signtool_txt->setReadOnly(true);
    browsesign_btn = Button(SignToolGroup, "Browse", 264, 32, 75, 25);
    downloadSDK_lbl =
        Place(new TClickLabel(QStringLiteral("Download"), SignToolGroup), 264, 16, 48, 13);
    QFont Link = downloadSDK_lbl->font();
    Link.setUnderline(true);
    downloadSDK_lbl->setFont(Link);
    // The designed 48 x 13 cuts "Download" in many fonts: keep the designed
    // place and grow to the text.
    downloadSDK_lbl->resize(std::max(48, downloadSDK_lbl->sizeHint().width()),
                            std::max(13, downloadSDK_lbl->sizeHint().height()));
    downloadSDK_lbl->setStyleSheet(QStringLiteral("color: blue;"));
    downloadSDK_lbl->setCursor(Qt::PointingHandCursor);
    downloadSDK_lbl->hide();

    TimestampGroup = Group(Client, "Timestamp server", 8, 80, 353, 89);
    time_btn = PictureButton(TimestampGroup, ":/quorvel/hourglass.ico", 5, 23);
    timestamp_chk = Place(new QCheckBox(QStringLiteral("Enable timestamping"), TimestampGroup), 56,
                          16, 265, 17);
    timestamp_chk->setChecked(true);
    timestamp_txt = Place(new QComboBox(TimestampGroup), 56, 36, 281, 21);
    timestamp_txt->setEditable(true);
    // Free text is kept as typed; Enter must not turn it into a preset.
    timestamp_txt->setInsertPolicy(QComboBox::NoInsert);
    for (const char* Server : Addresses::TimestampServers)
        timestamp_txt->addItem(QString::fromLatin1(Server));
    timestamp_txt->setEditText(QString());
    timeDigest_cmb = DigestList(TimestampGroup, 56, 60);

    CertificateGroup = Group(Client, "Cetificate && Password", 8, 176, 353, 121);
    JvImgBtn2 = PictureButton(CertificateGroup, ":/quorvel/certificate.ico", 5, 14);
    certifpath_txt = Place(new QLineEdit(CertificateGroup), 56, 20, 201, 21);
    certifpath_txt->setReadOnly(true);
    browsecert_btn = Button(CertificateGroup, "Browse", 264, 16, 75, 25);
    JvImgBtn3 = PictureButton(CertificateGroup, ":/quorvel/keys.ico", 5, 54);
    password_txt = Place(new QLineEdit(CertificateGroup), 56, 60, 145, 21);
    password_txt->setEchoMode(QLineEdit::Password);
    PasswordStyle = std::make_unique<TStarPasswordStyle>();
    password_txt->setStyle(PasswordStyle.get());
    password_chk = Place(new QCheckBox(QStringLiteral("Remember password"), CertificateGroup), 208,
                         60, 137, 17);
    certDigest_cmb = DigestList(CertificateGroup, 56, 90);

    FilesGroup = Group(Client, "Files to sign", 8, 304, 353, 169);
    JvImgBtn4 = PictureButton(FilesGroup, ":/quorvel/exefile.ico", 5, 23);
    lst = Place(new QTableWidget(0, 1, FilesGroup), 50, 16, 287, 121);
    lst->setHorizontalHeaderLabels({QStringLiteral("Path")});
    lst->horizontalHeader()->setStretchLastSection(true);
    lst->horizontalHeader()->setHighlightSections(false);
    lst->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lst->verticalHeader()->hide();
    lst->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lst->verticalHeader()->setDefaultSectionSize(18);
    lst->setShowGrid(true);
    lst->setSelectionBehavior(QAbstractItemView::SelectRows);
    lst->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lst->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lst->setIconSize(QSize(16, 16));
    lst->setWordWrap(false);
    lst->setTextElideMode(Qt::ElideLeft);
    add_btn = Button(FilesGroup, "Add", 50, 138, 93, 25);
    add_btn->setIcon(QIcon(QStringLiteral(":/quorvel/plus.ico")));
    remove_btn = Button(FilesGroup, "Remove", 144, 138, 93, 25);
    remove_btn->setIcon(QIcon(QStringLiteral(":/quorvel/cross.ico")));
    ignore_btn = Button(FilesGroup, "Clear", 239, 138, 93, 25);
    ignore_btn->setIcon(QIcon(QStringLiteral(":/quorvel/prohibited.ico")));

    LogGroup = Group(Client, "Log", 368, 8, 281, 465);
    Memo1 = Place(new QPlainTextEdit(LogGroup), 8, 16, 265, 409);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Clearlog_btn = Button(LogGroup, "Clear", 195, 434, 75, 25);

    sign_btn = new QPushButton(QStringLiteral("Sign"), Client);
    sign_btn->setIcon(QIcon(QStringLiteral(":/quorvel/certificate.ico")));
    sign_btn->setIconSize(QSize(32, 32));
    sign_btn->setDefault(true);
    Client->DefaultButton = sign_btn;
    pb = new QProgressBar(Client);
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
    Client->OnResized = [this] { PlaceMovingControls(); };

    BuildMenu();

    Client->setFixedSize(ClientWidth, ClientHeight);
    PlaceMovingControls();
    adjustSize();
    Client->setMinimumSize(0, 0);
    Client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    move(DesignLeft, DesignTop);
}

TQtMainForm::~TQtMainForm() {
    // Gone before its style, which the form holds.
    delete password_txt;
}

void TQtMainForm::BuildMenu() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    Quit1 = File1->addAction(QStringLiteral("&Quit"));
    Help1 = menuBar()->addMenu(QStringLiteral("&?"));
    // Two separators stand one above the other in the design.
    Help1->setSeparatorsCollapsible(false);
    OpenLog1 = Help1->addAction(QStringLiteral("&Open Log"));
    OpenLog1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    Help1->addSeparator();
    Checkforupdate1 = Help1->addAction(QStringLiteral("Check for update..."));
    Checkforupdate1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    Help1->addSeparator();
    Help1->addSeparator();
    About1 = Help1->addAction(QStringLiteral("&About"));
    BugreportFeaturerequestKnownissues1 =
        Help1->addAction(QStringLiteral("Bug report, Feature request, Known issues"));
    ChangeLog1 = Help1->addAction(QStringLiteral("Change Log"));
}

// Only these two follow the window's edges; everything else keeps the
// design's place and size.
void TQtMainForm::PlaceMovingControls() {
    const int Width = Client->width();
    const int Height = Client->height();
    sign_btn->setGeometry(10, Height - (ClientHeight - 479), 93, 35);
    pb->setGeometry(112, Height - (ClientHeight - 487), Width - (ClientWidth - 537), 25);
}
