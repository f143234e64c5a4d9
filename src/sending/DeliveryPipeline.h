#pragma once

#include "platform/WorkerThread.h"
#include "sending/PreparedReminder.h"
#include "state/SendJournal.h"
#include "transport/smtp/SmtpOutcome.h"

#include <QDateTime>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace tervalo::sending {

// What came of a reminder the pipeline delivered.
struct DeliveredReminder {
    int position = 0;  // as handed over
    QString address;
    PreparedReminder reminder;
    transport::SmtpOutcome outcome;
    // The journal could not be written: a message with no record was withdrawn, or an accepted
    // message's record could not be completed. None when the journal kept up.
    std::exception_ptr journalError;
};

// Hands a bulk run's reminders to the SMTP server on a thread of its own, so the run makes the next
// debtor ready while the server takes the last reminder; at most two reminders are with it at once.
// A reminder handed over while another is in flight is held: it goes to the server as far as its end
// mark and waits there until `release`, which the run gives once it has concluded the one before
// (recorded its send date). So a kill never leaves more than one accepted reminder without its send
// date. Each reminder is recorded in the journal (when there is one): stored as unsure when it starts
// for the server, which is after the one before was completed, so a kill leaves at most one record
// unsure; its end mark waits until the record is on the disk, and the record is completed with the
// server's reply, or taken back when the reminder was withdrawn before its end mark. A reminder whose
// record cannot be stored or flushed is withdrawn: nothing leaves without its record.
class DeliveryPipeline {
public:
    // Delivers one reminder and says how far it came; asks `mayCommit` before the end mark goes out
    // (before anything on a new session) and withdraws the reminder when it answers false. Runs on
    // the pipeline's thread.
    using Transmit = std::function<transport::SmtpOutcome(const PreparedReminder& reminder,
                                                          const std::function<bool()>& mayCommit)>;

    // `now` gives each journal record its time.
    DeliveryPipeline(Transmit transmit, state::SendJournal* journal, std::function<QDateTime()> now);
    // Withdraws a held reminder and waits for the one in flight.
    ~DeliveryPipeline();
    DeliveryPipeline(const DeliveryPipeline&) = delete;
    DeliveryPipeline& operator=(const DeliveryPipeline&) = delete;

    // Hands a reminder over: in flight at once when none is, else held. There is never more than one
    // held reminder.
    void deliver(int position, const QString& address, PreparedReminder reminder);
    // True while a reminder is in flight.
    bool busy() const { return m_inFlight != nullptr; }
    // Waits for the reminder in flight, calling `whileWaiting` every 50 ms meanwhile, and returns what
    // came of it; none when there is none. Passes on what the transmission threw.
    std::optional<DeliveredReminder> conclude(const std::function<void()>& whileWaiting);
    // The held reminder, if any, may commit: it is in flight from now on. Only once the one before
    // was concluded.
    void release();
    // The held reminder, if any, withdrawn before its end mark and given back.
    std::optional<PreparedReminder> withdraw();

private:
    struct Flight;

    std::unique_ptr<Flight> start(int position, const QString& address, PreparedReminder reminder, bool held);
    void store(Flight& flight);
    bool recordDurable(Flight& flight);
    void complete(Flight& flight);

    Transmit m_transmit;
    state::SendJournal* m_journal;
    std::function<QDateTime()> m_now;
    std::unique_ptr<Flight> m_inFlight;
    std::unique_ptr<Flight> m_held;
    platform::WorkerThread m_thread;
};

}  // namespace tervalo::sending
