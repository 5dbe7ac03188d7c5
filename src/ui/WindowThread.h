#pragma once
// Calls from a worker thread to the window thread, the one way the dialogs take them: a widget
// is touched only on the thread that owns it.

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>
#include <utility>

namespace sg {

// True on the thread that owns `object` (the window thread for a widget).
inline bool OnThreadOf(const QObject* object) {
    return QThread::currentThread() == object->thread();
}

// Runs `call` at once on object's thread, else queues it there and returns without waiting.
template <typename Call>
void PostToThreadOf(QObject* object, Call call) {
    if (OnThreadOf(object)) {
        call();
        return;
    }
    QMetaObject::invokeMethod(object, std::move(call), Qt::QueuedConnection);
}

// Runs `call` on object's thread while the caller waits, and returns what it returns. Only for
// a caller whose window thread never waits for it in turn.
template <typename Call>
auto CallOnThreadOf(QObject* object, Call call) -> std::invoke_result_t<Call&> {
    using Result = std::invoke_result_t<Call&>;
    if (OnThreadOf(object)) {
        return call();
    }
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(object, call, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            object, [&result, &call] { result = call(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

}  // namespace sg
