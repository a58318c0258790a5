#include "ui/qt/QtDispatcher.h"

#include <QMetaObject>

void TQtDispatcher::Post(std::function<void()> Work) {
    // A queued call to a receiver that lives on the GUI thread is delivered
    // by that thread's event loop; posting it is thread-safe.
    QMetaObject::invokeMethod(
        &Receiver,
        [this, Work = std::move(Work)] {
            try {
                Work();
            } catch (const std::exception& Error) {
                if (OnError)
                    OnError(Error);
            }
        },
        Qt::QueuedConnection);
}
