#include "MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Undoes the kernel's octal escapes ("\040" for a space) in one field of the table.
QByteArray Unescape(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](int at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            out.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

// udev writes unsafe characters of a label as "\xHH" in the link's name.
QString DecodeUdevName(const QString& name)
{
    const QByteArray raw = QFile::encodeName(name);
    QByteArray out;
    for (int i = 0; i < raw.size(); ++i) {
        bool ok = false;
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            const int byte = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(byte));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

bool IsUnder(const QString& path, const QString& top)
{
    if (top == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == top || path.startsWith(top + QLatin1Char('/'));
}

QString CanonicalDevice(const QByteArray& device)
{
    const QString path = QFile::decodeName(device);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool IsNetworkType(const QByteArray& type)
{
    static const QSet<QByteArray> kNetwork = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "afs", "ceph", "glusterfs", "davfs",
        "fuse.sshfs", "fuse.glusterfs", "fuse.rclone", "fuse.s3fs", "fuse.davfs2"};
    return kNetwork.contains(type);
}

// Whether sysfs flags the disk of block device `name` (a disk or one of its partitions)
// as removable.
bool IsRemovable(const QString& name, const QString& sys)
{
    QString disk = QFileInfo(sys + QLatin1String("/class/block/") + name).canonicalFilePath();
    if (disk.isEmpty())
        return false;
    if (QFileInfo::exists(disk + QLatin1String("/partition")))
        disk = QFileInfo(disk).path();
    QFile flag(disk + QLatin1String("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
}

DriveRoot RootOf(const MountEntry& entry, const DeviceTree& tree, const QHash<QString, QString>& labels)
{
    DriveRoot root;
    root.path = entry.mountPoint;
    root.kind = KindOf(entry, tree);
    // A network volume has no label of its own; its remote name tells the user more.
    root.label = root.kind == DriveRoot::Kind::Network ? QString::fromUtf8(entry.device)
                                                       : labels.value(CanonicalDevice(entry.device));
    return root;
}

}  // namespace

QList<MountEntry> ParseMountTable(const QByteArray& text)
{
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        entries.append({Unescape(fields[0]), QFile::decodeName(Unescape(fields[1])), Unescape(fields[2])});
    }
    return entries;
}

bool CanHoldDisc(const MountEntry& entry)
{
    static const QSet<QByteArray> kPseudo = {
        "proc", "sysfs", "cgroup", "cgroup2", "devpts", "devtmpfs", "securityfs", "pstore", "bpf",
        "tracefs", "debugfs", "mqueue", "hugetlbfs", "configfs", "fusectl", "binfmt_misc", "autofs",
        "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs", "rootfs", "ramfs"};
    if (kPseudo.contains(entry.type))
        return false;
    // A container's root is an overlay and holds the user's files; elsewhere overlays are
    // the layers of container engines.
    if (entry.type == "overlay" && entry.mountPoint != QLatin1String("/"))
        return false;
    const QString& at = entry.mountPoint;
    if (IsUnder(at, QStringLiteral("/run")))
        return IsUnder(at, QStringLiteral("/run/media")) && at != QLatin1String("/run/media");
    for (const char* top : {"/proc", "/sys", "/dev", "/var/run", "/var/lock", "/snap"}) {
        if (IsUnder(at, QLatin1String(top)))
            return false;
    }
    return !at.isEmpty();
}

DriveRoot::Kind KindOf(const MountEntry& entry, const DeviceTree& tree)
{
    if (entry.type == "iso9660" || entry.type == "udf")
        return DriveRoot::Kind::Optical;
    if (IsNetworkType(entry.type))
        return DriveRoot::Kind::Network;
    const QString device = CanonicalDevice(entry.device);
    if (!device.startsWith(QLatin1String("/dev/")))
        return DriveRoot::Kind::Fixed;
    const QString name = QFileInfo(device).fileName();
    if (name.startsWith(QLatin1String("sr")) || name.startsWith(QLatin1String("scd")))
        return DriveRoot::Kind::Optical;
    return IsRemovable(name, tree.sys) ? DriveRoot::Kind::Removable : DriveRoot::Kind::Fixed;
}

QHash<QString, QString> LabelsByDevice(const QString& byLabelDir)
{
    QHash<QString, QString> labels;
    const QDir dir(byLabelDir);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString device = QFileInfo(dir.filePath(name)).canonicalFilePath();
        if (!device.isEmpty())
            labels.insert(device, DecodeUdevName(name));
    }
    return labels;
}

QList<DriveRoot> DiscVolumes(const QList<MountEntry>& entries, const DeviceTree& tree)
{
    // The last mount on a mount point covers the earlier ones.
    QList<MountEntry> visible;
    for (const MountEntry& entry : entries) {
        visible.removeIf([&](const MountEntry& e) { return e.mountPoint == entry.mountPoint; });
        visible.append(entry);
    }
    const QHash<QString, QString> labels = LabelsByDevice(tree.byLabel);
    QList<DriveRoot> roots;
    for (const MountEntry& entry : visible) {
        if (!CanHoldDisc(entry))
            continue;
        const DriveRoot root = RootOf(entry, tree, labels);
        if (root.kind != DriveRoot::Kind::Network && !QFileInfo(root.path).isDir())
            continue;
        roots.append(root);
    }
    return roots;
}

DriveRoot VolumeOf(const QString& path, const QList<MountEntry>& entries, const DeviceTree& tree)
{
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(path);
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : entries) {
        if (IsUnder(canonical, entry.mountPoint) && (!best || entry.mountPoint.size() >= best->mountPoint.size()))
            best = &entry;
    }
    if (!best)
        return {};
    return RootOf(*best, tree, LabelsByDevice(tree.byLabel));
}

ProcMountSource::ProcMountSource(const QString& tablePath) : tablePath_(tablePath) {}

ProcMountSource::~ProcMountSource()
{
    notifier_.reset();
    if (watchFd_ >= 0)
        ::close(watchFd_);
}

QList<MountEntry> ProcMountSource::ReadTable() const
{
    QFile table(tablePath_);
    if (!table.open(QIODevice::ReadOnly))
        return {};
    return ParseMountTable(table.readAll());
}

QList<DriveRoot> ProcMountSource::Volumes()
{
    return DiscVolumes(ReadTable());
}

DriveRoot ProcMountSource::VolumeOf(const QString& path)
{
    return ::VolumeOf(path, ReadTable());
}

void ProcMountSource::Watch(std::function<void()> changed)
{
    if (!notifier_) {
        watchFd_ = ::open(QFile::encodeName(tablePath_).constData(), O_RDONLY | O_CLOEXEC);
        if (watchFd_ < 0)
            return;
        // The kernel flags every mount and unmount as an exceptional condition (POLLPRI)
        // on an open mount table; nothing needs to be read to see the next one.
        notifier_ = std::make_unique<QSocketNotifier>(watchFd_, QSocketNotifier::Exception);
    }
    notifier_->disconnect();
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [changed = std::move(changed)] { changed(); });
}

bool ProcMountSource::Watching() const
{
    return notifier_ && notifier_->isEnabled();
}

std::unique_ptr<MountSource> SystemMountSource()
{
    return std::make_unique<ProcMountSource>();
}
