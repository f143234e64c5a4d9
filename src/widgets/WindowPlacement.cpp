#include "widgets/WindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace tervalo::app {

namespace {

std::map<QString, QRect>* g_places = nullptr;

const QString kKeeperName = QStringLiteral("windowPlacement");

// The window manager's frame around a window's client area, as far as it is known yet.
QMargins frameOf(const QWidget* window) {
    const QRect client = window->geometry();
    const QRect frame = window->frameGeometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Places its window each time it is shown, and remembers the place each time it is hidden. Events
// the window system sends (restoring from the taskbar) change nothing.
class PlacementKeeper : public QObject {
public:
    PlacementKeeper(QWidget* window, QSize firstSize, FirstSize rule)
        : QObject(window), m_window(window), m_firstSize(firstSize), m_rule(rule) {
        setObjectName(kKeeperName);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && !event->spontaneous()) {
            if (event->type() == QEvent::Show) {
                place();
            } else if (event->type() == QEvent::Hide) {
                rememberWindowPlacement(m_window);
            }
        }
        return false;
    }

private:
    void place() {
        if (m_window->layout() != nullptr) {
            m_window->layout()->activate();
        }
        std::optional<QRect> stored;
        if (g_places != nullptr) {
            if (auto found = g_places->find(m_window->objectName()); found != g_places->end()) {
                stored = found->second;
            }
        }
        QWidget* owner = m_window->parentWidget() != nullptr ? m_window->parentWidget()->window() : nullptr;
        const bool onOwner = owner != nullptr && owner->isVisible();
        QScreen* screen = nullptr;
        if (stored) {
            screen = QGuiApplication::screenAt(stored->center());
        } else if (onOwner) {
            screen = owner->screen();
        }
        if (screen == nullptr) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen == nullptr) {
            return;
        }
        const QRect available = screen->availableGeometry();
        const QPoint centre = onOwner ? owner->geometry().center() : available.center();
        // The frame is known once a window has been shown; until then the owner's is the best guess.
        QMargins frame = frameOf(m_window);
        if (frame.isNull() && onOwner) {
            frame = frameOf(owner);
        }
        QSize minimum = m_window->minimumSizeHint().expandedTo(m_window->minimumSize());
        QSize wanted =
            m_rule == FirstSize::Exactly ? m_firstSize : m_window->sizeHint().expandedTo(m_firstSize);
        // Wrapped texts need more lines on a narrower window, which the minimum size does not know.
        if (m_window->hasHeightForWidth()) {
            const int width = qMin((stored ? stored->width() : wanted.width()), available.width());
            const int needed = m_window->heightForWidth(qMax(width, minimum.width()));
            minimum.setHeight(qMax(minimum.height(), needed));
            wanted.setHeight(qMax(wanted.height(), needed));
        }
        m_window->setGeometry(placeWindow(stored, wanted, minimum, centre, available, frame));
    }

    QWidget* m_window;
    QSize m_firstSize;
    FirstSize m_rule;
};

}  // namespace

void keepWindowPlacement(QWidget* window, QSize firstSize, FirstSize rule) {
    new PlacementKeeper(window, firstSize, rule);
}

void useWindowPlacements(std::map<QString, QRect>* places) {
    g_places = places;
}

void rememberWindowPlacement(const QWidget* window) {
    if (g_places == nullptr ||
        window->findChild<QObject*>(kKeeperName, Qt::FindDirectChildrenOnly) == nullptr) {
        return;
    }
    const bool enlarged = (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    const QRect place = enlarged ? window->normalGeometry() : window->geometry();
    if (place.isValid()) {
        (*g_places)[window->objectName()] = place;
    }
}

QRect placeWindow(const std::optional<QRect>& stored, QSize wanted, QSize minimum, QPoint centre,
                  const QRect& available, const QMargins& frame) {
    const QRect room = available.marginsRemoved(frame);
    const QSize size = (stored ? stored->size() : wanted).expandedTo(minimum).boundedTo(room.size());
    QRect place(QPoint(), size);
    if (stored) {
        place.moveTopLeft(stored->topLeft());
    } else {
        place.moveCenter(centre);
    }
    place.moveLeft(qBound(room.left(), place.left(), room.right() + 1 - size.width()));
    place.moveTop(qBound(room.top(), place.top(), room.bottom() + 1 - size.height()));
    return place;
}

}  // namespace tervalo::app
