#pragma once

#include "DriveComboBox.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>

class QSocketNotifier;

// One line of the kernel's mount table, with its escapes undone.
struct MountEntry {
    QByteArray device;
    QString mountPoint;
    QByteArray type;
};

// Parses the text of /proc/self/mounts (or /etc/mtab): device, mount point, type and
// options a line, where space, tab, newline and backslash appear as octal escapes.
QList<MountEntry> ParseMountTable(const QByteArray& text);

// False for the kernel's pseudo file systems and the mounts it keeps under /proc, /sys,
// /dev and /run (but for /run/media, where some desktops mount removable discs).
bool CanHoldDisc(const MountEntry& entry);

// Where the system describes block devices; tests point these at a tree of their own.
struct DeviceTree {
    QString sys = QStringLiteral("/sys");
    QString byLabel = QStringLiteral("/dev/disk/by-label");
};

// The kind of volume a mount is: optical by file system or device, network by file
// system, removable as sysfs reports the device's disk, else fixed.
DriveRoot::Kind KindOf(const MountEntry& entry, const DeviceTree& tree = {});

// The volume labels of the block devices, keyed by the device's canonical path.
QHash<QString, QString> LabelsByDevice(const QString& byLabelDir);

// The volumes of `entries` that can hold a disc, one a mount point (the last mount on
// it wins, as it covers the others). A mount point that is not a folder (a file bound
// into a container) is skipped; network mounts are not touched at all, so a stalled
// server cannot freeze the window.
QList<DriveRoot> DiscVolumes(const QList<MountEntry>& entries, const DeviceTree& tree = {});

// The volume holding `path` as the entries describe it, filter or not: the longest mount
// point above the canonical path. Its path is empty when none is.
DriveRoot VolumeOf(const QString& path, const QList<MountEntry>& entries, const DeviceTree& tree = {});

// The mount source of the running system: it reads `tablePath` and, when watching,
// re-reads it whenever the kernel flags a change of the mount table on it.
class ProcMountSource : public MountSource {
public:
    explicit ProcMountSource(const QString& tablePath = QStringLiteral("/proc/self/mounts"));
    ~ProcMountSource() override;

    QList<DriveRoot> Volumes() override;
    DriveRoot VolumeOf(const QString& path) override;
    void Watch(std::function<void()> changed) override;

    // True while a notifier is waiting for changes of the table.
    bool Watching() const;

private:
    QList<MountEntry> ReadTable() const;

    QString tablePath_;
    int watchFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};
