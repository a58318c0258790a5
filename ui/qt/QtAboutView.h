// The About window: TQtAboutForm's widgets as the IAboutView of the
// controller's TAboutDlg, which fills the texts and answers the links.
#pragma once

#include "ui/U_about.h"
#include "ui/qt/QtAboutForm.h"
#include "ui/qt/QtDesktop.h"

#include <functional>
#include <string>

class TQtAboutView : public TQtAboutForm, public IAboutView {
    Q_OBJECT
public:
    // Guard runs each forwarded click and shows an error that escapes it.
    using TGuard = std::function<void(const std::function<void()>&)>;

    TQtAboutView(QWidget* Owner, IQtDesktop& Desktop, std::string ExePath,
                 TAboutDlg::TVersionText VersionText, TGuard Guard);

    // IAboutView
    void SetCaption(const std::string& Caption) override;
    void SetAppNameText(const std::string& Text) override;
    void SetVersionText(const std::string& Text) override;
    bool ShowModal() override;
    void OpenAddress(const std::string& Address) override;

    TAboutDlg Logic;

private:
    IQtDesktop& Desktop;
    TGuard Guard;
};
