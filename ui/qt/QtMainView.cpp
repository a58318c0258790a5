#include "ui/qt/QtMainView.h"

#include "AppInfo.h"
#include "ui/OpenDialogStart.h"
#include "ui/U_MainDlg.h"
#include "ui/U_TaskBarProgressUnit.h"
#include "ui/qt/LauncherTaskbarPort.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {
QString FromText(const std::string& Text) {
    return QString::fromLocal8Bit(Text);
}

std::string ToText(const QString& Text) {
    return Text.toLocal8Bit().toStdString();
}
} // namespace

TQtMainView::TQtMainView(IQtDesktop& Desktop) : Desktop(Desktop) {
    lst->viewport()->installEventFilter(this);
    Memo1->setPlainText(QStringLiteral("\n"));
}

TQtMainView::~TQtMainView() {
    lst->viewport()->removeEventFilter(this);
}

void TQtMainView::Forward(void (TMainDlg::*Handler)()) {
    if (Controller)
        Controller->Guard([Dlg = Controller, Handler] { std::invoke(Handler, *Dlg); });
}

template <class TSignal, class TSender>
void TQtMainView::ForwardSignal(TSender* Sender, TSignal Signal, void (TMainDlg::*Handler)()) {
    connect(Sender, Signal, this, [this, Handler] { Forward(Handler); });
}

void TQtMainView::Attach(TMainDlg& Dlg) {
    Controller = &Dlg;
    UiDispatcher.OnError = [&Dlg](const std::exception& Error) { Dlg.HandleException(Error); };
    ForwardSignal(browsesign_btn, &QPushButton::clicked, &TMainDlg::browsesign_btnClick);
    ForwardSignal(browsecert_btn, &QPushButton::clicked, &TMainDlg::browsecert_btnClick);
    ForwardSignal(downloadSDK_lbl, &TClickLabel::clicked, &TMainDlg::downloadSDK_lblClick);
    ForwardSignal(timestamp_chk, &QCheckBox::clicked, &TMainDlg::timestamp_chkClick);
    ForwardSignal(timestamp_txt, &QComboBox::editTextChanged, &TMainDlg::timestamp_txtChange);
    ForwardSignal(timeDigest_cmb, &QComboBox::currentIndexChanged, &TMainDlg::timeDigest_cmbChange);
    ForwardSignal(certDigest_cmb, &QComboBox::currentIndexChanged, &TMainDlg::certDigest_cmbChange);
    ForwardSignal(password_txt, &QLineEdit::textChanged, &TMainDlg::password_txtChange);
    ForwardSignal(password_chk, &QCheckBox::clicked, &TMainDlg::password_chkClick);
    ForwardSignal(add_btn, &QPushButton::clicked, &TMainDlg::add_btnClick);
    ForwardSignal(remove_btn, &QPushButton::clicked, &TMainDlg::remove_btnClick);
    ForwardSignal(ignore_btn, &QPushButton::clicked, &TMainDlg::ignore_btnClick);
    ForwardSignal(sign_btn, &QPushButton::clicked, &TMainDlg::sign_btnClick);
    ForwardSignal(Clearlog_btn, &QPushButton::clicked, &TMainDlg::Clearlog_btnClick);
    ForwardSignal(Quit1, &QAction::triggered, &TMainDlg::Quit1Click);
    ForwardSignal(OpenLog1, &QAction::triggered, &TMainDlg::OpenLog1Click);
    ForwardSignal(Checkforupdate1, &QAction::triggered, &TMainDlg::Checkforupdate1Click);
    ForwardSignal(About1, &QAction::triggered, &TMainDlg::About1Click);
    ForwardSignal(BugreportFeaturerequestKnownissues1, &QAction::triggered,
                  &TMainDlg::BugreportFeaturerequestKnownissues1Click);
    ForwardSignal(ChangeLog1, &QAction::triggered, &TMainDlg::ChangeLog1Click);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState State) {
                if (State == Qt::ApplicationActive)
                    Activated();
            });
}

// The start-up sequence waits for the application's first activation; a
// desktop without a window manager never activates it, so the first show
// also counts (queued, after the window is on screen). The controller runs
// the sequence once, whichever comes first.
void TQtMainView::Activated() {
    // A window closed before its first activation came round starts nothing.
    if (isVisible())
        Forward(&TMainDlg::AppEvtActivate);
}

void TQtMainView::showEvent(QShowEvent* Event) {
    TQtMainForm::showEvent(Event);
    if (!ActivationPosted) {
        ActivationPosted = true;
        QTimer::singleShot(0, this, [this] { Activated(); });
    }
}

void TQtMainView::changeEvent(QEvent* Event) {
    TQtMainForm::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        Activated();
}

void TQtMainView::closeEvent(QCloseEvent* Event) {
    if (Controller && !Controller->FormClose()) {
        Event->ignore();
        return;
    }
    Event->accept();
}

bool TQtMainView::eventFilter(QObject* Watched, QEvent* Event) {
    // A double-click anywhere on the list signs its first selected row, as
    // the design's list reports it, not only one on a row.
    if (Watched == lst->viewport() && Event->type() == QEvent::MouseButtonDblClick) {
        Forward(&TMainDlg::lstDblClick);
        return true;
    }
    return TQtMainForm::eventFilter(Watched, Event);
}

int TQtMainView::ShowMessageBox(const std::string& Text, const std::string& Caption,
                                std::uint32_t Style) {
    return Desktop.Ask(this, MessageForStyle(Text, Caption, Style));
}

void TQtMainView::SetCaption(const std::string& Caption) {
    setWindowTitle(FromText(Caption));
}

QLineEdit* TQtMainView::LineEditOf(TMainField Field) const {
    switch (Field) {
    case TMainField::signtool_txt:
        return signtool_txt;
    case TMainField::certifpath_txt:
        return certifpath_txt;
    case TMainField::password_txt:
        return password_txt;
    case TMainField::timestamp_txt:
        return timestamp_txt->lineEdit();
    }
    return signtool_txt;
}

std::string TQtMainView::FieldText(TMainField Field) const {
    return ToText(LineEditOf(Field)->text());
}

void TQtMainView::SetFieldText(TMainField Field, const std::string& Text) {
    if (Field == TMainField::timestamp_txt) {
        const QSignalBlocker Blocker(timestamp_txt);
        timestamp_txt->setEditText(FromText(Text));
        return;
    }
    QLineEdit* Edit = LineEditOf(Field);
    const QSignalBlocker Blocker(Edit);
    Edit->setText(FromText(Text));
}

void TQtMainView::SetFieldEnabled(TMainField Field, bool Enabled) {
    if (Field == TMainField::timestamp_txt)
        timestamp_txt->setEnabled(Enabled);
    else
        LineEditOf(Field)->setEnabled(Enabled);
}

bool TQtMainView::Checked(TMainCheck Box) const {
    return (Box == TMainCheck::timestamp_chk ? timestamp_chk : password_chk)->isChecked();
}

void TQtMainView::SetChecked(TMainCheck Box, bool Checked) {
    QCheckBox* Check = Box == TMainCheck::timestamp_chk ? timestamp_chk : password_chk;
    const QSignalBlocker Blocker(Check);
    Check->setChecked(Checked);
}

int TQtMainView::DigestIndex(TMainDigestList List) const {
    return (List == TMainDigestList::timeDigest_cmb ? timeDigest_cmb : certDigest_cmb)
        ->currentIndex();
}

void TQtMainView::SetDigestIndex(TMainDigestList List, int Index) {
    QComboBox* Combo = List == TMainDigestList::timeDigest_cmb ? timeDigest_cmb : certDigest_cmb;
    const QSignalBlocker Blocker(Combo);
    Combo->setCurrentIndex(Index >= 0 && Index < Combo->count() ? Index : -1);
}

void TQtMainView::SetDownloadLinkVisible(bool Visible) {
    downloadSDK_lbl->setVisible(Visible);
}

int TQtMainView::RowCount() const {
    return lst->rowCount();
}

void TQtMainView::AddRow(const std::string& Caption, TSignStatus Status) {
    const int Row = lst->rowCount();
    lst->insertRow(Row);
    auto* Item = new QTableWidgetItem(FromText(Caption));
    Item->setToolTip(Item->text());
    lst->setItem(Row, 0, Item);
    SetRowStatus(Row, Status);
}

void TQtMainView::DeleteRow(int Index) {
    lst->removeRow(Index);
}

void TQtMainView::DeleteAllRows() {
    lst->setRowCount(0);
}

std::string TQtMainView::RowCaption(int Index) const {
    const QTableWidgetItem* Item = lst->item(Index, 0);
    return Item ? ToText(Item->text()) : std::string();
}

bool TQtMainView::RowSelected(int Index) const {
    return lst->selectionModel()->isRowSelected(Index, QModelIndex());
}

void TQtMainView::SetRowStatus(int Index, TSignStatus Status) {
    QTableWidgetItem* Item = lst->item(Index, 0);
    if (!Item)
        return;
    const int Picture = Status >= ssPending && Status <= ssFailed ? Status : ssPending;
    Item->setData(Qt::UserRole, static_cast<int>(Status));
    Item->setIcon(status_imglst[static_cast<size_t>(Picture)]);
}

TSignStatus TQtMainView::RowStatus(int Index) const {
    const QTableWidgetItem* Item = lst->item(Index, 0);
    return Item ? static_cast<TSignStatus>(Item->data(Qt::UserRole).toInt()) : ssPending;
}

void TQtMainView::ScrollRowIntoView(int Index) {
    if (QTableWidgetItem* Item = lst->item(Index, 0))
        lst->scrollToItem(Item, QAbstractItemView::EnsureVisible);
}

// The batch keeps the thread busy, so these paint at once instead of waiting
// for the event loop; input stays queued until the batch ends.
void TQtMainView::RedrawList() {
    lst->viewport()->repaint();
}

void TQtMainView::AddLogText(const std::string& Text) {
    QString Lines = FromText(Text);
    Lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Lines.replace(u'\r', u'\n');
    QTextCursor End(Memo1->document());
    End.movePosition(QTextCursor::End);
    End.insertText(Lines + u'\n');
    Memo1->moveCursor(QTextCursor::End);
    if (isVisible())
        Memo1->viewport()->repaint();
}

void TQtMainView::ClearLog() {
    Memo1->clear();
}

void TQtMainView::RedrawLog() {
    Memo1->viewport()->repaint();
}

void TQtMainView::SetProgressBarMax(int Max) {
    // Qt draws a busy indicator for the range 0 to 0 (a batch of one file);
    // the Windows bar draws an empty one, and so does a range of 0 to 1.
    pb->setRange(0, std::max(Max, 1));
}

void TQtMainView::SetProgressBarPosition(int Position) {
    pb->setValue(Position);
    if (isVisible())
        pb->repaint();
}

void TQtMainView::SetCheckForUpdateEnabled(bool Enabled) {
    Checkforupdate1->setEnabled(Enabled);
}

std::optional<std::string> TQtMainView::ExecuteOpenDialog(const std::string& Filter) {
    // The one shared dialog remembers the last choice, but offers it only
    // where the filter shows it: a certificate is never the Add default.
    QString FileName = FromText(OpenDialogStartName(ToText(LastFileName), Filter));
    if (!Desktop.OpenFile(this, QtFileFilter(Filter), FileName))
        return std::nullopt;
    LastFileName = FileName;
    return ToText(FileName);
}

void TQtMainView::ShowMessage(const std::string& Text) {
    ShowMessageBox(Text, AppInfo::Title, MB_OK_Flag);
}

void TQtMainView::OpenAddress(const std::string& Address) {
    Desktop.OpenAddress(FromText(Address));
}

void TQtMainView::OpenAddressEx(const std::string& Address) {
    Desktop.OpenAddress(FromText(Address));
}

void TQtMainView::ShowAbout() {
    if (OnShowAbout)
        OnShowAbout();
}

void TQtMainView::CloseWindow() {
    close();
}

IUiDispatcher& TQtMainView::Dispatcher() {
    return UiDispatcher;
}

std::unique_ptr<ITaskbarPort> TQtMainView::CreateTaskbarPort() {
    return CreateLauncherTaskbarPort();
}
