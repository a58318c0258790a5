#include "ui/qt/QtDesktop.h"

#include "ui/U_MsgDlg.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QShortcut>
#include <QSpacerItem>
#include <QStringList>
#include <QStyle>
#include <QUrl>

int AnswerCode(QMessageBox::StandardButton Pressed, QMessageBox::StandardButtons Offered) {
    switch (Pressed) {
    case QMessageBox::Ok:
        return IDOK_Answer;
    case QMessageBox::Cancel:
        return IDCANCEL_Answer;
    case QMessageBox::Yes:
        return IDYES_Answer;
    case QMessageBox::No:
        return IDNO_Answer;
    default:
        break;
    }
    if (Offered & QMessageBox::Cancel)
        return IDCANCEL_Answer;
    if (Offered == QMessageBox::Ok)
        return IDOK_Answer;
    return IDNO_Answer;
}

int TQtDesktop::Ask(QWidget* Owner, const TQtMessage& Message) {
    QMessageBox Box(Message.Icon, Message.Caption, Message.Text, Message.Buttons, Owner);
    Box.setWindowModality(Qt::ApplicationModal);
    MakeCaptionFit(Box);
    AddCopyShortcut(Box);
    const int Result = Box.exec();
    return AnswerCode(static_cast<QMessageBox::StandardButton>(Result), Message.Buttons);
}

int CaptionFitWidth(const QMessageBox& Box) {
    QFont Face = Box.font();
    Face.setBold(true);
    // Window managers centre the caption on a bar that holds an icon and up
    // to three buttons, each about as wide as the bar is high: room for
    // three of them on either side.
    const int Control = Box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &Box);
    return QFontMetrics(Face).horizontalAdvance(Box.windowTitle()) + 6 * Control;
}

void MakeCaptionFit(QMessageBox& Box) {
    // The box sizes itself from its layout, so the room is a spacer across
    // the layout's width; the layout owns it.
    auto* Grid = qobject_cast<QGridLayout*>(Box.layout());
    if (!Grid)
        return;
    Grid->addItem(
        new QSpacerItem(CaptionFitWidth(Box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
        Grid->rowCount(), 0, 1, Grid->columnCount());
}

QString CopiedBoxText(const QMessageBox& Box) {
    const QString Line = QStringLiteral("---------------------------\n");
    QString Buttons;
    for (const QAbstractButton* Button : Box.buttons())
        Buttons += Button->text().remove(u'&') + QStringLiteral("   ");
    return Line + Box.windowTitle() + u'\n' + Line + Box.text() + u'\n' + Line + Buttons + u'\n' +
           Line;
}

void AddCopyShortcut(QMessageBox& Box) {
    auto* Copy = new QShortcut(QKeySequence::Copy, &Box);
    QObject::connect(Copy, &QShortcut::activated, &Box,
                     [&Box] { QGuiApplication::clipboard()->setText(CopiedBoxText(Box)); });
}

bool TQtDesktop::OpenFile(QWidget* Owner, const QString& Filter, QString& FileName) {
    const QString Chosen = QFileDialog::getOpenFileName(Owner, QString(), FileName, Filter);
    if (Chosen.isEmpty())
        return false;
    FileName = Chosen;
    return true;
}

void TQtDesktop::OpenAddress(const QString& Address) {
    // Tolerant parsing keeps escapes such as %28 of the documentation address.
    const QUrl Url = Address.contains(QStringLiteral(":")) ? QUrl(Address, QUrl::TolerantMode)
                                                           : QUrl::fromLocalFile(Address);
    QDesktopServices::openUrl(Url);
}

TQtMessage MessageForStyle(const std::string& Text, const std::string& Caption,
                           std::uint32_t Style) {
    TQtMessage Message;
    Message.Caption = QString::fromLocal8Bit(Caption);
    // The message box shows line breaks; Windows' CR of a CR LF or LF CR pair
    // would show as a stray character.
    QString Shown = QString::fromLocal8Bit(Text);
    Shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    Shown.replace(u'\r', u'\n');
    Message.Text = Shown;
    switch (Style & 0x0F) {
    case MB_OKCANCEL_Flag:
        Message.Buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MB_YESNOCANCEL_Flag:
        Message.Buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MB_YESNO_Flag:
        Message.Buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    default:
        Message.Buttons = QMessageBox::Ok;
        break;
    }
    switch (Style & 0xF0) {
    case MB_ICONERROR_Flag:
        Message.Icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION_Flag:
        Message.Icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING_Flag:
        Message.Icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION_Flag:
        Message.Icon = QMessageBox::Information;
        break;
    default:
        Message.Icon = QMessageBox::NoIcon;
        break;
    }
    return Message;
}

namespace {
QStringList QtPatterns(const QString& WindowsPatterns) {
    QStringList Result;
    auto AddOnce = [&Result](const QString& Pattern) {
        if (!Pattern.isEmpty() && !Result.contains(Pattern))
            Result << Pattern;
    };
    for (const QString& Pattern : WindowsPatterns.split(u';', Qt::SkipEmptyParts)) {
        if (Pattern == QStringLiteral("*.*")) {
            AddOnce(QStringLiteral("*"));
            continue;
        }
        AddOnce(Pattern);
        const bool Wildcard = Pattern.contains(u'*') || Pattern.contains(u'?');
        if (!Wildcard && Pattern.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
            AddOnce(Pattern.chopped(4));
        AddOnce(Pattern.toUpper());
    }
    return Result;
}
} // namespace

QString QtFileFilter(const std::string& WindowsFilter) {
    const QStringList Parts = QString::fromLocal8Bit(WindowsFilter).split(u'|');
    QStringList Filters;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2)
        Filters << Parts[I] + QStringLiteral(" (") + QtPatterns(Parts[I + 1]).join(u' ') +
                       QStringLiteral(")");
    return Filters.join(QStringLiteral(";;"));
}
