// IUiDispatcher over Qt's event loop: work posted from any thread runs later
// on the thread that created the dispatcher (the GUI thread). Work still
// queued when the dispatcher is destroyed is dropped, never run.
#pragma once

#include "UiDispatcher.h"

#include <QObject>

class TQtDispatcher : public IUiDispatcher {
public:
    void Post(std::function<void()> Work) override;

private:
    QObject Receiver;
};
