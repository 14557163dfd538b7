// modalwatcher.h - lets a test answer the modal boxes and dialogs the window opens.
#pragma once

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>

namespace tolvex::qt::test {

/// What a test saw of a message box.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool okButton = false;   // the one button is the standard OK button
    bool centred = false;    // centred on the screen (to the pixel)
    bool titleFits = false;  // wide enough for the title beside a window manager's buttons
};

inline SeenBox Describe(QWidget* widget) {
    SeenBox seen;
    seen.title = widget->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(widget)) {
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
        }
        seen.okButton = box->buttons().size() == 1 &&
                        box->standardButton(box->buttons().constFirst()) == QMessageBox::Ok;
    }
    const QRect screen = widget->screen()->geometry();
    const QPoint offset = widget->frameGeometry().center() - screen.center();
    seen.centred = qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1;
    const QFontMetrics metrics = widget->fontMetrics();
    seen.titleFits =
        widget->width() >= metrics.horizontalAdvance(seen.title) + 6 * metrics.height();
    return seen;
}

/// Answers the modal windows the program opens, one queued answer per window, in order:
/// each answer is called from the event loop that its modal window runs.
class ModalWatcher {
  public:
    ModalWatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Poll(); });
    }

    void Answer(std::function<void(QWidget*)> answer) {
        answers_.push_back(std::move(answer));
        timer_.start();
    }

    /// Records the next message box and closes it with its first button.
    void Record(SeenBox* seen) {
        Answer([seen](QWidget* widget) {
            *seen = Describe(widget);
            if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                box->buttons().constFirst()->click();
            } else {
                widget->close();
            }
        });
    }

    int Answered() const { return answered_; }

  private:
    void Poll() {
        if (answers_.empty()) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        auto answer = std::move(answers_.front());
        answers_.pop_front();
        ++answered_;
        answer(modal);
    }

    QTimer timer_;
    std::deque<std::function<void(QWidget*)>> answers_;
    int answered_ = 0;
};

}  // namespace tolvex::qt::test
