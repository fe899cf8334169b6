#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

// Answers modal windows as they open, the way a user at the screen would:
// records each one, then runs the next scripted answer on it. Without a
// script left, a message box gets its escape button and a dialog is rejected.
class ModalAnswerer : public QObject {
public:
    using Answer = std::function<void(QWidget *)>;
    struct Seen {
        QString className;
        QString title;
        QString text;  // a message box's text
    };

    QList<Seen> seen;
    QList<Answer> script;

    ModalAnswerer()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::look);
        m_timer.start();
    }

    static Answer press(QMessageBox::StandardButton button)
    {
        return [button](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->button(button))
                box->button(button)->click();
            else if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        };
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Seen &s : seen)
            all.append(s.text);
        return all;
    }

protected:
    // The program's dialogs are made once and shown again: hidden, a window
    // is new the next time it comes up.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == m_last)
            m_last = nullptr;
        return false;
    }

private:
    void look()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == m_last)
            return;
        m_last = w;
        w->installEventFilter(this);
        auto *box = qobject_cast<QMessageBox *>(w);
        seen.append({QString::fromLatin1(w->metaObject()->className()), w->windowTitle(), box ? box->text() : QString()});
        const Answer answer = script.isEmpty() ? Answer() : script.takeFirst();
        // Let the window finish showing before it is answered.
        QTimer::singleShot(0, w, [w, answer, box] {
            if (answer)
                answer(w);
            else if (box)
                box->escapeButton() ? box->escapeButton()->click() : box->reject();
            else if (auto *dialog = qobject_cast<QDialog *>(w))
                dialog->reject();
        });
    }

    QTimer m_timer;
    QPointer<QWidget> m_last;
};
