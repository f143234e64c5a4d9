#include "app/WorkInputFilter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVariant>

namespace tervalo::app {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

bool aliveDuringWork(const QObject* object) {
    for (; object; object = object->parent()) {
        if (object->property(kAliveDuringWork).toBool()) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool WorkInputFilter::eventFilter(QObject* watched, QEvent* event) {
    // Window-system windows pass their input on to the widget under it, where it is judged.
    if (!isUserInput(event->type()) || watched->isWindowType() || aliveDuringWork(watched)) {
        return false;
    }
    // A close event starts out accepted: ignoring it keeps the window open.
    event->ignore();
    return true;
}

WorkInputFilter::Active::Active(WorkInputFilter& filter) : m_filter(filter) {
    if (m_filter.m_depth++ == 0) {
        QCoreApplication::instance()->installEventFilter(&m_filter);
    }
}

WorkInputFilter::Active::~Active() {
    if (--m_filter.m_depth == 0) {
        QCoreApplication::instance()->removeEventFilter(&m_filter);
    }
}

}  // namespace tervalo::app
