#pragma once

#include <QObject>

namespace tervalo::app {

// A widget with this dynamic property set to true, and everything inside it, stays usable while
// long work runs (the bulk run's "Zpět" button, which stops the run).
inline constexpr char kAliveDuringWork[] = "tervaloAliveDuringWork";

// While long work lets the event loop run (UserInterface::processEvents), the windows repaint but
// take no user input: mouse buttons, keys, shortcuts, the wheel, context menus and close requests
// are discarded, not deferred, so nothing the user did meanwhile runs after the work either. Widgets
// marked kAliveDuringWork are exempt. Installed on the application for the length of one pass.
class WorkInputFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The filter in force for the lifetime of the object; passes may nest.
    class Active {
    public:
        explicit Active(WorkInputFilter& filter);
        ~Active();
        Active(const Active&) = delete;
        Active& operator=(const Active&) = delete;

    private:
        WorkInputFilter& m_filter;
    };

private:
    int m_depth = 0;
};

}  // namespace tervalo::app
