#include "sending/DeliveryPipeline.h"

#include "sending/ReminderJournal.h"

#include <chrono>
#include <future>

namespace tervalo::sending {

struct DeliveryPipeline::Flight {
    int position = 0;
    QString address;
    PreparedReminder reminder;
    transport::SmtpOutcome outcome;  // written by the pipeline's thread before `done` is ready
    std::future<void> done;
    // Given once to a held reminder: true sends it, false withdraws it.
    bool held = false;
    std::promise<bool> goAhead;
    state::SendJournal::Pending record;  // stored by the pipeline's thread
    std::exception_ptr journalError;

    void decide(bool go) {
        if (held) {
            held = false;
            goAhead.set_value(go);
        }
    }
};

DeliveryPipeline::DeliveryPipeline(Transmit transmit, state::SendJournal* journal,
                                   std::function<QDateTime()> now)
    : m_transmit(std::move(transmit)), m_journal(journal), m_now(std::move(now)) {}

DeliveryPipeline::~DeliveryPipeline() {
    withdraw();
    if (m_inFlight) {
        m_inFlight->done.wait();
    }
}

void DeliveryPipeline::deliver(int position, const QString& address, PreparedReminder reminder) {
    if (m_inFlight) {
        m_held = start(position, address, std::move(reminder), true);
    } else {
        m_inFlight = start(position, address, std::move(reminder), false);
    }
}

std::unique_ptr<DeliveryPipeline::Flight> DeliveryPipeline::start(int position, const QString& address,
                                                                  PreparedReminder reminder, bool held) {
    auto flight = std::make_unique<Flight>();
    flight->position = position;
    flight->address = address;
    flight->reminder = std::move(reminder);
    flight->held = held;
    Flight& f = *flight;
    std::function<bool()> mayCommit;
    if (held || m_journal != nullptr) {
        std::shared_future<bool> decision;
        if (held) {
            decision = f.goAhead.get_future().share();
        }
        mayCommit = [this, &f, decision] {
            return (!decision.valid() || decision.get()) && recordDurable(f);
        };
    }
    f.done = m_thread.run([this, &f, mayCommit] {
        // The record goes to the disk while the message goes to the server. It is stored only now,
        // after the reminder before was completed on this thread, so a kill leaves at most one unsure.
        store(f);
        if (f.journalError) {
            f.outcome.withdrawn = true;
        } else {
            f.outcome = m_transmit(f.reminder, mayCommit);
        }
        complete(f);
    });
    return flight;
}

void DeliveryPipeline::store(Flight& f) {
    if (m_journal == nullptr) {
        return;
    }
    try {
        state::JournalRecord record = f.reminder.record;
        record.time = m_now();
        f.record = m_journal->store(record);
    } catch (const state::JournalError&) {
        f.journalError = std::current_exception();
    }
}

bool DeliveryPipeline::recordDurable(Flight& f) {
    if (m_journal == nullptr) {
        return true;
    }
    try {
        m_journal->awaitDurable(f.record);
        return true;
    } catch (const state::JournalError&) {
        f.journalError = std::current_exception();
        return false;
    }
}

void DeliveryPipeline::complete(Flight& f) {
    if (f.record.id == 0) {
        return;
    }
    try {
        if (f.outcome.withdrawn) {
            m_journal->discard(f.record.id);
        } else {
            m_journal->finish(f.record.id, JournalResultOf(f.outcome), f.outcome.reply);
        }
    } catch (const state::JournalError&) {
        f.journalError = std::current_exception();
    }
}

std::optional<DeliveredReminder> DeliveryPipeline::conclude(const std::function<void()>& whileWaiting) {
    if (!m_inFlight) {
        return std::nullopt;
    }
    while (m_inFlight->done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        whileWaiting();
    }
    const std::unique_ptr<Flight> flight = std::move(m_inFlight);
    flight->done.get();
    return DeliveredReminder{flight->position, flight->address, std::move(flight->reminder), flight->outcome,
                             flight->journalError};
}

void DeliveryPipeline::release() {
    if (m_held && !m_inFlight) {
        m_held->decide(true);
        m_inFlight = std::move(m_held);
    }
}

std::optional<PreparedReminder> DeliveryPipeline::withdraw() {
    if (!m_held) {
        return std::nullopt;
    }
    const std::unique_ptr<Flight> flight = std::move(m_held);
    flight->decide(false);
    flight->done.wait();
    return std::move(flight->reminder);
}

}  // namespace tervalo::sending
