#include "ui/U_MsgDlg.h"

const std::string MsgCaptionMessage = "Message";
const std::string MsgCaptionWarning = "Warning";
const std::string MsgCaptionError = "Error";
const std::string MsgCaptionQuestion = "Question";
const std::string MsgCaptionInformation = "Information";

namespace {
const std::string NoCaption;
}

std::uint32_t MsgButtonsFlag(int Buttons) {
    switch (Buttons) {
    case mbsYesNo:
        return MB_YESNO_Flag;
    case mbsYesNoCancel:
        return MB_YESNOCANCEL_Flag;
    case mbsOkCancel:
        return MB_OKCANCEL_Flag;
    default: // mbsOk and anything outside the table: OK alone
        return MB_OK_Flag;
    }
}

std::uint32_t MsgKindFlag(int Kind) {
    switch (Kind) {
    case mkWarning:
        return MB_ICONWARNING_Flag;
    case mkError:
        return MB_ICONERROR_Flag;
    case mkQuestion:
        return MB_ICONQUESTION_Flag;
    case mkInformation:
        return MB_ICONINFORMATION_Flag;
    default:
        return 0;
    }
}

const std::string& MsgKindCaption(int Kind) {
    switch (Kind) {
    case mkMessage:
        return MsgCaptionMessage;
    case mkWarning:
        return MsgCaptionWarning;
    case mkError:
        return MsgCaptionError;
    case mkQuestion:
        return MsgCaptionQuestion;
    case mkInformation:
        return MsgCaptionInformation;
    default:
        return NoCaption;
    }
}

int ShowMsgBox(IMsgBoxPort& Owner, const std::string& Text, int Buttons, int Kind) {
    return Owner.ShowMessageBox(Text, MsgKindCaption(Kind),
                                MsgButtonsFlag(Buttons) | MsgKindFlag(Kind));
}

int AskYesNo(IMsgBoxPort& Owner, const std::string& Text) {
    return ShowMsgBox(Owner, Text, mbsYesNo, mkQuestion);
}
