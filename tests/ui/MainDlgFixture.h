// A controller over the fake window and services, started up the way a
// front-end starts it.
#pragma once

#include "tests/ui/FakeMainView.h"
#include "tests/ui/FakeServices.h"
#include "ui/U_MainDlg.h"

#include <gtest/gtest.h>

class MainDlgTest : public ::testing::Test {
protected:
    TFakeMainView View;
    TFakeServices Services;
    std::unique_ptr<TMainDlg> Dlg;

    // A configured user: the tool and certificate exist and are stored.
    void ConfigureSigning() {
        Services.Settings["SignTool"] = "tools/signtool.exe";
        Services.Settings["Certificate"] = "keys/code.pfx";
        Services.ExistingFiles = {"tools/signtool.exe", "keys/code.pfx"};
    }

    void Start() {
        Dlg = std::make_unique<TMainDlg>(View, Services);
        ASSERT_TRUE(Dlg->Guard([&] { Dlg->FormCreate(); }));
        Dlg->Guard([&] { Dlg->AppEvtActivate(); });
    }

    void AddRows(int Count) {
        for (int Index = 1; Index <= Count; ++Index)
            View.AddRow("C:\\build\\file" + std::to_string(Index) + ".exe", ssPending);
    }

    std::vector<TSignStatus> Statuses() const {
        std::vector<TSignStatus> Result;
        for (const auto& Row : View.Rows)
            Result.push_back(Row.Status);
        return Result;
    }
};
