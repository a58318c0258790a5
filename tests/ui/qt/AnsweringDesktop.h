// The desktop seam answered by the test: message boxes and file dialogs take
// queued answers (KeePassXC's setNextAnswer idea), addresses are recorded and
// never opened. A prompt without a queued answer is recorded and answered as
// a box closed without a button, or a cancelled dialog.
#pragma once

#include "ui/qt/QtDesktop.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct TAskedMessage {
    std::string Caption;
    std::string Text;
    QMessageBox::Icon Icon;
    QMessageBox::StandardButtons Buttons;
};

struct TAskedFile {
    std::string Filter;
    std::string StartName; // the file the dialog opened on
};

class TAnsweringDesktop : public IQtDesktop {
public:
    void SetNextAnswer(QMessageBox::StandardButton Button) { Answers.push_back(Button); }
    // A path to choose, or nothing to cancel.
    void SetNextFile(std::optional<std::string> Path) { Files.push_back(std::move(Path)); }

    int Ask(QWidget* Owner, const TQtMessage& Message) override;
    bool OpenFile(QWidget* Owner, const QString& Filter, QString& FileName) override;
    void OpenAddress(const QString& Address) override;

    std::vector<TAskedMessage> Messages;
    std::vector<TAskedFile> FileDialogs;
    std::vector<std::string> OpenedAddresses;
    // Runs inside each message box, while the handler waits on it.
    std::function<void(const TAskedMessage&)> WhileAsked;

private:
    std::deque<QMessageBox::StandardButton> Answers;
    std::deque<std::optional<std::string>> Files;
};
