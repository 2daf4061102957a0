#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

namespace xq::gui {

// Tells when the machine's mount table changes: a diskette, card or stick was mounted or unmounted,
// a device plugged in or removed. The kernel marks the table's file with an exceptional condition
// (POLLPRI) on every change, so nothing is read or polled in between.
class MountWatch : public QObject {
    Q_OBJECT
  public:
    explicit MountWatch(const QString& mountTable = QStringLiteral("/proc/self/mounts"),
                        QObject* parent = nullptr);
    ~MountWatch() override;
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    // False where the table cannot be watched: the drive list is then read again only when it
    // drops down or comes into view.
    bool watching() const { return notifier_ != nullptr; }

  signals:
    void changed();

  private:
    int descriptor_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace xq::gui
