// The desktop seam answered by a test: message boxes and file dialogs are
// recorded and answered from queues, shell calls are recorded, nothing modal
// ever appears.
#pragma once

#include "ui/win32/Win32Desktop.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class TScriptedDesktop : public IWin32Desktop {
public:
    struct TBox {
        std::string Text, Caption;
        UINT Style;
    };
    struct TDialog {
        std::string Filter; // as handed to the dialog (double-NUL form)
        std::string StartName;
    };

    std::vector<TBox> Boxes;
    std::deque<int> BoxAnswers; // IDOK when empty
    std::vector<TDialog> Dialogs;
    std::deque<std::optional<std::string>> FileAnswers; // cancel when empty
    std::vector<std::string> Opened;

    int ShowMessageBox(HWND, const std::string& Text, const std::string& Caption,
                       UINT Style) override {
        Boxes.push_back({Text, Caption, Style});
        if (BoxAnswers.empty())
            return IDOK;
        const int Answer = BoxAnswers.front();
        BoxAnswers.pop_front();
        return Answer;
    }
    bool OpenFile(HWND, const std::string& Filter, std::string& FileName) override {
        Dialogs.push_back({Filter, FileName});
        if (FileAnswers.empty() || !FileAnswers.front()) {
            if (!FileAnswers.empty())
                FileAnswers.pop_front();
            return false;
        }
        FileName = *FileAnswers.front();
        FileAnswers.pop_front();
        return true;
    }
    void OpenAddress(HWND, const std::string& Address) override { Opened.push_back(Address); }
    void OpenAddressEx(const std::string& Address) override { Opened.push_back(Address); }
};
