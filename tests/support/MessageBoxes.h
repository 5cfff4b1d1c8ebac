#pragma once

// Modal message boxes in tests of the wizard window: answering the next one,
// and catching any that no test step expects.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <functional>

// Hands the next modal message box to the action once it is shown; the
// action must close it.
inline void onNextMessageBox(const std::function<void(QMessageBox*)>& action)
{
    QTimer::singleShot(0, [=] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            action(box);
        else
            onNextMessageBox(action);
    });
}

// Answers the next modal message box with the given button; records its text
// when asked to.
inline void answerNextMessageBox(QMessageBox::StandardButton answer, QString* text = nullptr)
{
    onNextMessageBox([=](QMessageBox* box) {
        if (text)
            *text = box->text();
        box->button(answer)->click();
    });
}

// Records and closes every message box that no test step answers, so that
// a failure shows instead of a hang.
class UnexpectedBoxes {
public:
    UnexpectedBoxes()
    {
        watch_.setInterval(200);
        QObject::connect(&watch_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_.append(box->text());
                box->reject();
            }
        });
        watch_.start();
    }
    QString texts() const { return texts_.join(QLatin1Char('\n')); }

private:
    QTimer watch_;
    QStringList texts_;
};
