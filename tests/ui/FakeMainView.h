// A window that records what the controller asks of it and answers from
// scripts: the dialog, the message boxes and the taskbar.
#pragma once

#include "core/UiDispatcher.h"
#include "ui/MainView.h"
#include "ui/U_TaskBarProgressUnit.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct TFakeRow {
    std::string Caption;
    TSignStatus Status = ssPending;
    bool Selected = false;
};

struct TFakeMessageBox {
    std::string Text, Caption;
    std::uint32_t Style = 0;
};

// Work posted to the user-interface thread (from any thread), run when the
// test says so.
class TFakeDispatcher : public IUiDispatcher {
public:
    void Post(std::function<void()> Work) override {
        {
            std::lock_guard<std::mutex> Lock(Mutex);
            Queue.push_back(std::move(Work));
        }
        Posted.notify_all();
    }
    // Runs what is queued, first waiting up to Limit for something to arrive;
    // false when nothing came.
    bool WaitAndRun(std::chrono::seconds Limit = std::chrono::seconds(0)) {
        std::deque<std::function<void()>> Ready;
        {
            std::unique_lock<std::mutex> Lock(Mutex);
            Posted.wait_for(Lock, Limit, [&] { return !Queue.empty(); });
            Ready.swap(Queue);
        }
        for (auto& Work : Ready)
            Work();
        return !Ready.empty();
    }

private:
    std::mutex Mutex;
    std::condition_variable Posted;
    std::deque<std::function<void()>> Queue;
};

class TFakeMainView : public IMainView {
public:
    // What reaches the taskbar: "value C/T", "state F", "released".
    std::vector<std::string> Taskbar;
    bool HasTaskbar = true;
    // Every call that changes the window, in order (fields and rows aside);
    // a log-pane addition is "Log " and its text.
    std::vector<std::string> Events;

    std::string Caption;
    std::map<TMainField, std::string> Fields;
    std::map<TMainField, bool> Enabled;
    std::map<TMainCheck, bool> Checks{{TMainCheck::timestamp_chk, true},
                                      {TMainCheck::password_chk, false}};
    std::map<TMainDigestList, int> Digests{{TMainDigestList::timeDigest_cmb, 0},
                                           {TMainDigestList::certDigest_cmb, 0}};
    std::optional<bool> DownloadLinkVisible; // unset: never touched
    std::vector<TFakeRow> Rows;
    std::vector<std::string> LogAdditions; // Memo1 since its last clearing
    int ProgressMax = 100, ProgressPosition = 0;
    bool CheckForUpdateEnabled = true;

    std::deque<std::optional<std::string>> DialogAnswers; // empty: cancelled
    std::vector<std::string> DialogFilters;
    std::vector<std::string> Messages; // the simple message dialog
    std::vector<TFakeMessageBox> Boxes;
    std::deque<int> BoxAnswers; // empty: IDOK
    std::vector<std::string> Opened, OpenedEx;
    int AboutShown = 0, CloseRequests = 0;
    TFakeDispatcher UiThread;

    void SelectRows(std::initializer_list<int> Indexes) {
        for (int Index : Indexes)
            Rows.at(static_cast<std::size_t>(Index)).Selected = true;
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> Result;
        for (const auto& Row : Rows)
            Result.push_back(Row.Caption);
        return Result;
    }

    int ShowMessageBox(const std::string& Text, const std::string& BoxCaption,
                       std::uint32_t Style) override {
        Boxes.push_back({Text, BoxCaption, Style});
        Events.push_back("MessageBox " + Text);
        if (BoxAnswers.empty())
            return 1;
        const int Answer = BoxAnswers.front();
        BoxAnswers.pop_front();
        return Answer;
    }
    void SetCaption(const std::string& Text) override { Caption = Text; }
    std::string FieldText(TMainField Field) const override {
        const auto Found = Fields.find(Field);
        return Found == Fields.end() ? std::string() : Found->second;
    }
    void SetFieldText(TMainField Field, const std::string& Text) override { Fields[Field] = Text; }
    void SetFieldEnabled(TMainField Field, bool Value) override { Enabled[Field] = Value; }
    bool Checked(TMainCheck Box) const override { return Checks.at(Box); }
    void SetChecked(TMainCheck Box, bool Value) override { Checks[Box] = Value; }
    int DigestIndex(TMainDigestList List) const override { return Digests.at(List); }
    void SetDigestIndex(TMainDigestList List, int Index) override {
        Digests[List] = Index >= 0 && Index < 2 ? Index : -1;
    }
    void SetDownloadLinkVisible(bool Visible) override { DownloadLinkVisible = Visible; }
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    void AddRow(const std::string& RowCaption, TSignStatus Status) override {
        Rows.push_back({RowCaption, Status, false});
    }
    void DeleteRow(int Index) override { Rows.erase(Rows.begin() + Index); }
    void DeleteAllRows() override { Rows.clear(); }
    std::string RowCaption(int Index) const override {
        return Rows.at(static_cast<std::size_t>(Index)).Caption;
    }
    bool RowSelected(int Index) const override {
        return Rows.at(static_cast<std::size_t>(Index)).Selected;
    }
    void SetRowStatus(int Index, TSignStatus Status) override {
        Rows.at(static_cast<std::size_t>(Index)).Status = Status;
        Events.push_back("SetRowStatus " + std::to_string(Index) + " " + std::to_string(Status));
    }
    void ScrollRowIntoView(int Index) override {
        Events.push_back("ScrollRowIntoView " + std::to_string(Index));
    }
    void RedrawList() override { Events.push_back("RedrawList"); }
    void AddLogText(const std::string& Text) override {
        LogAdditions.push_back(Text);
        Events.push_back("Log " + Text);
    }
    void ClearLog() override {
        LogAdditions.clear();
        Events.push_back("ClearLog");
    }
    void RedrawLog() override { Events.push_back("RedrawLog"); }
    void SetProgressBarMax(int Max) override {
        ProgressMax = Max;
        Events.push_back("ProgressMax " + std::to_string(Max));
    }
    void SetProgressBarPosition(int Position) override {
        ProgressPosition = Position;
        Events.push_back("ProgressPosition " + std::to_string(Position));
    }
    void SetCheckForUpdateEnabled(bool Value) override { CheckForUpdateEnabled = Value; }
    std::optional<std::string> ExecuteOpenDialog(const std::string& Filter) override {
        DialogFilters.push_back(Filter);
        if (DialogAnswers.empty())
            return std::nullopt;
        auto Answer = DialogAnswers.front();
        DialogAnswers.pop_front();
        return Answer;
    }
    // The certificate picker: what it offered, and the answer it gives.
    std::vector<std::vector<TStoreCertificate>> PickerOffers;
    std::optional<std::string> PickerAnswer;
    std::optional<std::string>
    ChooseStoreCertificate(const std::vector<TStoreCertificate>& Certificates) override {
        PickerOffers.push_back(Certificates);
        return PickerAnswer;
    }
    void ShowMessage(const std::string& Text) override {
        Messages.push_back(Text);
        Events.push_back("Message " + Text);
    }
    void OpenAddress(const std::string& Address) override { Opened.push_back(Address); }
    void OpenAddressEx(const std::string& Address) override { OpenedEx.push_back(Address); }
    void ShowAbout() override { ++AboutShown; }
    void CloseWindow() override { ++CloseRequests; }
    IUiDispatcher& Dispatcher() override { return UiThread; }
    std::unique_ptr<ITaskbarPort> CreateTaskbarPort() override {
        if (!HasTaskbar)
            return nullptr;
        return std::make_unique<TRecordingTaskbar>(Taskbar);
    }

    // Records what the taskbar receives into the view's list.
    class TRecordingTaskbar : public ITaskbarPort {
    public:
        explicit TRecordingTaskbar(std::vector<std::string>& Record) : Record(Record) {}
        ~TRecordingTaskbar() override { Record.push_back("released"); }
        TRecordingTaskbar(const TRecordingTaskbar&) = delete;
        TRecordingTaskbar& operator=(const TRecordingTaskbar&) = delete;
        void SetProgressValue(std::int64_t Completed, std::int64_t Total) override {
            Record.push_back("value " + std::to_string(Completed) + "/" + std::to_string(Total));
        }
        void SetProgressState(std::uint32_t Flags) override {
            Record.push_back("state " + std::to_string(Flags));
        }

    private:
        std::vector<std::string>& Record;
    };
};
