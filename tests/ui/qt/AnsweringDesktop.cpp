#include "tests/ui/qt/AnsweringDesktop.h"

int TAnsweringDesktop::Ask(QWidget*, const TQtMessage& Message) {
    Messages.push_back(
        {Message.Caption.toStdString(), Message.Text.toStdString(), Message.Icon, Message.Buttons});
    if (WhileAsked)
        WhileAsked(Messages.back());
    QMessageBox::StandardButton Pressed = QMessageBox::NoButton;
    if (!Answers.empty()) {
        Pressed = Answers.front();
        Answers.pop_front();
    }
    return AnswerCode(Pressed, Message.Buttons);
}

bool TAnsweringDesktop::OpenFile(QWidget*, const QString& Filter, QString& FileName) {
    FileDialogs.push_back({Filter.toStdString(), FileName.toStdString()});
    if (Files.empty())
        return false;
    std::optional<std::string> Chosen = Files.front();
    Files.pop_front();
    if (!Chosen)
        return false;
    FileName = QString::fromStdString(*Chosen);
    return true;
}

void TAnsweringDesktop::OpenAddress(const QString& Address) {
    OpenedAddresses.push_back(Address.toStdString());
}
