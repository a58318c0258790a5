// IUiDispatcher over Qt's event loop: work posted from any thread runs later
// on the thread that created the dispatcher (the GUI thread). Work still
// queued when the dispatcher is destroyed is dropped, never run.
#pragma once

#include "core/UiDispatcher.h"

#include <QObject>

#include <exception>

class TQtDispatcher : public IUiDispatcher {
public:
    void Post(std::function<void()> Work) override;

    // Where an error escaping posted work goes (the window's top-level error
    // box); set on the GUI thread before work is posted. Without it the
    // error is dropped, since nothing may escape into Qt's event loop.
    std::function<void(const std::exception&)> OnError;

private:
    QObject Receiver;
};
