#include "QtDispatcher.h"

#include <QMetaObject>

void TQtDispatcher::Post(std::function<void()> Work) {
    // A queued call to a receiver that lives on the GUI thread is delivered
    // by that thread's event loop; posting it is thread-safe.
    QMetaObject::invokeMethod(&Receiver, std::move(Work), Qt::QueuedConnection);
}
