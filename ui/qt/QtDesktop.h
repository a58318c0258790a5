// What the windows ask of the desktop: modal message boxes, the open-file
// dialog and opening addresses. The program uses TQtDesktop; tests pass an
// answering object instead, so no test waits on a modal window or starts a
// browser.
#pragma once

#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <string>

struct TQtMessage {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons Buttons = QMessageBox::Ok;
};

class IQtDesktop {
public:
    virtual ~IQtDesktop() = default;
    // Shows the message modally; returns the answer code of the button chosen.
    virtual int Ask(QWidget* Owner, const TQtMessage& Message) = 0;
    // A single-selection open-file dialog with Qt's filter list. FileName
    // holds the file chosen last (the dialog opens on it) and receives the
    // chosen file; false when the user cancels.
    virtual bool OpenFile(QWidget* Owner, const QString& Filter, QString& FileName) = 0;
    // Opens a web page, a mail link or a file with the desktop's program for
    // it; the outcome is ignored.
    virtual void OpenAddress(const QString& Address) = 0;
};

class TQtDesktop : public IQtDesktop {
public:
    int Ask(QWidget* Owner, const TQtMessage& Message) override;
    bool OpenFile(QWidget* Owner, const QString& Filter, QString& FileName) override;
    void OpenAddress(const QString& Address) override;
};

// The box MessageBoxA's style asks for: the buttons of its low four bits and
// the icon of the next four.
TQtMessage MessageForStyle(const std::string& Text, const std::string& Caption,
                           std::uint32_t Style);

// Widens a message box so that the window frame has room for its whole
// caption beside the frame's icon and buttons: a short text alone makes a box
// so narrow that the frame cuts its caption to "...". Call after the text,
// icon and buttons are set.
void MakeCaptionFit(QMessageBox& Box);
// The width MakeCaptionFit gives a box at least: the caption in the bold face
// of the box's font, centred between room for three title-bar controls on
// each side.
int CaptionFitWidth(const QMessageBox& Box);

// What Ctrl+C in a message box puts on the clipboard, as Windows does and Qt
// does only there: the caption, the text and the buttons between lines of
// dashes.
QString CopiedBoxText(const QMessageBox& Box);
// Lets Ctrl+C copy CopiedBoxText of the box.
void AddCopyShortcut(QMessageBox& Box);

// The answer codes (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7) come from U_MsgDlg.h.

// The answer code of a message box's result; a box closed without a button
// answers as Windows does: Cancel where there is one, else OK for a lone OK,
// else No.
int AnswerCode(QMessageBox::StandardButton Pressed, QMessageBox::StandardButtons Offered);

// "Name|*.a;*.b;|Other|x.exe" becomes "Name (*.a *.A *.b *.B);;Other (x.exe x X.EXE)":
// Windows matches names without regard to case, so each pattern is offered
// in upper case too; "*.*" (any file on Windows) becomes "*"; a file named
// exactly "x.exe" also matches its Linux form without the suffix.
QString QtFileFilter(const std::string& WindowsFilter);
