#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Answers the modal dialogs that the code under test opens, one scripted answer
// per dialog, from inside the dialog's own event loop. A dialog that appears
// when no answer is left is recorded and closed, so a test fails instead of
// hanging on it.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget* modal)>;

    ModalAnswers()
    {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] { look(); });
        poll_.start();
    }

    /// Queues the answer to the next modal dialog that appears.
    void then(Answer answer) { answers_.push_back(std::move(answer)); }

    /// Answers not yet used.
    std::size_t unused() const { return answers_.size(); }
    /// Modal dialogs that appeared with no answer left, by window title.
    const std::vector<std::string>& unexpected() const { return unexpected_; }

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == answered_.data() || !modal->isVisible()) return;
        answered_ = modal;
        if (answers_.empty()) {
            unexpected_.push_back(modal->windowTitle().toStdString());
            modal->close();
            return;
        }
        // Answered from a fresh event, not from inside this timer's slot: Qt does not
        // run a timer again while its slot is still busy, so a box that the answer
        // itself opens would otherwise never be seen.
        QTimer::singleShot(0, modal,
                           [answer = std::move(answers_.front()), modal = QPointer<QWidget>(modal)] {
                               answer(modal);
                               // An answer cut short by a failed assertion must not leave the test hanging.
                               if (modal && modal->isVisible()) modal->close();
                           });
        answers_.pop_front();
    }

    QTimer poll_;
    QPointer<QWidget> answered_;
    std::deque<Answer> answers_;
    std::vector<std::string> unexpected_;
};

/// Processes events until `condition` holds or `timeout_ms` passes; returns the condition.
inline bool wait_until(const std::function<bool()>& condition, int timeout_ms = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout_ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
