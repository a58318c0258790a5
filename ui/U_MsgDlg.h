// The program's message boxes: a button set and a kind (caption and icon)
// turned into MessageBoxA's style, over a port the window provides.
#pragma once

#include <cstdint>
#include <string>

// A message box (the platform's MessageBoxA), owned by the window that
// provides it; returns the platform's answer code unchanged.
class IMsgBoxPort {
public:
    virtual ~IMsgBoxPort() = default;
    virtual int ShowMessageBox(const std::string& Text, const std::string& Caption,
                               std::uint32_t Style) = 0;
};

enum TMsgButtons { mbsOk = 0, mbsYesNo = 1, mbsYesNoCancel = 2, mbsOkCancel = 3 };
enum TMsgKind { mkMessage = 0, mkWarning = 1, mkError = 2, mkQuestion = 3, mkInformation = 4 };

// The platform's style flags and answer codes.
inline constexpr std::uint32_t MB_OK_Flag = 0x00;
inline constexpr std::uint32_t MB_OKCANCEL_Flag = 0x01;
inline constexpr std::uint32_t MB_YESNOCANCEL_Flag = 0x03;
inline constexpr std::uint32_t MB_YESNO_Flag = 0x04;
inline constexpr std::uint32_t MB_ICONERROR_Flag = 0x10;
inline constexpr std::uint32_t MB_ICONQUESTION_Flag = 0x20;
inline constexpr std::uint32_t MB_ICONWARNING_Flag = 0x30;
inline constexpr std::uint32_t MB_ICONINFORMATION_Flag = 0x40;
inline constexpr int IDOK_Answer = 1;
inline constexpr int IDCANCEL_Answer = 2;
inline constexpr int IDYES_Answer = 6;
inline constexpr int IDNO_Answer = 7;

// The five captions, one per kind.
extern const std::string MsgCaptionMessage;
extern const std::string MsgCaptionWarning;
extern const std::string MsgCaptionError;
extern const std::string MsgCaptionQuestion;
extern const std::string MsgCaptionInformation;

// The style and caption a button set and kind give; values outside the
// tables add no flag (and an empty caption for the kind).
std::uint32_t MsgButtonsFlag(int Buttons);
std::uint32_t MsgKindFlag(int Kind);
const std::string& MsgKindCaption(int Kind);

int ShowMsgBox(IMsgBoxPort& Owner, const std::string& Text, int Buttons, int Kind);
// ShowMsgBox with Yes/No and the question kind; compare with IDYES_Answer.
int AskYesNo(IMsgBoxPort& Owner, const std::string& Text);
