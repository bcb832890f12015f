#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One inotify instance (Linux only; elsewhere open() fails) read through a socket notifier on the main
// thread's event loop: no thread and no polling, the process sleeps until the kernel has an event.
class InotifyWatcher : public QObject
{
    Q_OBJECT
public:
    // The kernel's event bits (the values of IN_OPEN and friends), so users need no Linux header.
    enum Event : quint32 {
        Created = 0x100,
        Deleted = 0x200,
        AttributesChanged = 0x4,
        MovedFrom = 0x40,
        MovedTo = 0x80,
        Opened = 0x20,
        ClosedAfterWrite = 0x8,
        ClosedReadOnly = 0x10,
        WatchRemoved = 0x8000, // IN_IGNORED: the watched file is gone
        OnlyDirectory = 0x1000000,
    };

    explicit InotifyWatcher(QObject* parent = nullptr);
    ~InotifyWatcher() override;

    // False with the reason in `error` when the kernel refuses an instance.
    bool open(QString* error);
    void close();
    bool isOpen() const { return m_fd >= 0; }

    // The watch descriptor, or -1 with the reason in `error`.
    int addWatch(const QString& path, quint32 mask, QString* error = nullptr);
    void removeWatch(int descriptor);

Q_SIGNALS:
    // `name` is the entry's name for events on a watched directory, empty otherwise.
    void eventReceived(int descriptor, quint32 mask, const QByteArray& name);
    // The kernel's queue overflowed: events were lost and watchers must resynchronise.
    void overflowed();

private:
    void readEvents();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
