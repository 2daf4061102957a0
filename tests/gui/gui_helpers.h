#pragma once

#include <functional>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace xq::test {

// Runs `inspect` on the next modal message box as soon as it is shown, e.g. to read it and press
// one of its buttons.
inline void whenMessageBoxShows(std::function<void(QMessageBox&)> inspect) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect = std::move(inspect)] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            inspect(*box);
        }
    });
    timer->start();
}

}  // namespace xq::test
