// The fake services of the ui tests with one real piece: the file list is
// loaded from and saved to a real file.
#pragma once

#include "settings/FileListFile.h"
#include "tests/ui/FakeServices.h"

class TRealListServices : public TFakeServices {
public:
    std::string ListPath;
    std::vector<std::string> LoadFileList() override {
        TFakeServices::LoadFileList();
        return LoadFileListFile(ListPath);
    }
    void SaveFileList(const std::vector<std::string>& Captions) override {
        TFakeServices::SaveFileList(Captions);
        SaveFileListFile(ListPath, Captions);
    }
};
