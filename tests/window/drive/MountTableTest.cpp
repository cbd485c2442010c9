#include "MountTable.h"

#include "ArchiveFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <filesystem>
#include <fstream>

Q_DECLARE_METATYPE(DriveRoot::Kind)

namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// A sysfs of three disks: sdb removable with partition sdb1, sda fixed with sda2, sdc a
// removable disk without partitions.
void MakeSysfs(const fs::path& sys)
{
    const fs::path block = sys / "devices/pci0/block";
    WriteText(block / "sda/removable", "0\n");
    WriteText(block / "sda/sda2/partition", "2\n");
    WriteText(block / "sdb/removable", "1\n");
    WriteText(block / "sdb/sdb1/partition", "1\n");
    WriteText(block / "sdc/removable", "1\n");
    fs::create_directories(sys / "class/block");
    for (const char* link : {"sda/sda2", "sdb/sdb1", "sdc"})
        fs::create_directory_symlink(fs::path("../../devices/pci0/block") / link,
                                     sys / "class/block" / fs::path(link).filename());
}

}  // namespace

class MountTableTest : public QObject {
    Q_OBJECT
private slots:
    void parsesFieldsAndUndoesEscapes();

    void filterKeepsVolumesThatCanHoldADisc_data();
    void filterKeepsVolumesThatCanHoldADisc();

    void kindFollowsFileSystemDeviceAndSysfs_data();
    void kindFollowsFileSystemDeviceAndSysfs();

    void volumesCarryLabelsAndSkipWhatIsNoFolder();
    void volumeOfAPathIsTheLongestMountAboveIt_data();
    void volumeOfAPathIsTheLongestMountAboveIt();

    void systemSourceListsTheRootAndWatches();
};

void MountTableTest::parsesFieldsAndUndoesEscapes()
{
    const QByteArray table = "/dev/sr0 /media/user/GAME\\040DISC iso9660 ro,nosuid 0 0\n"
                             "\n"
                             "//server/share /mnt/back\\134slash\\011tab cifs rw 0 0\n"
                             "broken-line\n"
                             "proc /proc proc rw 0 0";
    const QList<MountEntry> entries = ParseMountTable(table);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].device, QByteArray("/dev/sr0"));
    QCOMPARE(entries[0].mountPoint, QStringLiteral("/media/user/GAME DISC"));
    QCOMPARE(entries[0].type, QByteArray("iso9660"));
    QCOMPARE(entries[1].mountPoint, QStringLiteral("/mnt/back\\slash\ttab"));
    QCOMPARE(entries[2].mountPoint, QStringLiteral("/proc"));
}

void MountTableTest::filterKeepsVolumesThatCanHoldADisc_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<bool>("kept");

    QTest::newRow("root disk") << QByteArray("ext4") << "/" << true;
    QTest::newRow("container root") << QByteArray("overlay") << "/" << true;
    QTest::newRow("container engine layer") << QByteArray("overlay") << "/var/lib/docker/overlay2/x/merged" << false;
    QTest::newRow("optical disc") << QByteArray("iso9660") << "/media/cdrom0" << true;
    QTest::newRow("stick under /run/media") << QByteArray("vfat") << "/run/media/user/STICK" << true;
    QTest::newRow("network share") << QByteArray("nfs4") << "/srv/share" << true;
    QTest::newRow("sshfs") << QByteArray("fuse.sshfs") << "/home/user/remote" << true;
    QTest::newRow("tmpfs on /tmp") << QByteArray("tmpfs") << "/tmp" << true;
    QTest::newRow("a sibling of /run") << QByteArray("ext4") << "/runner" << true;
    QTest::newRow("proc") << QByteArray("proc") << "/proc" << false;
    QTest::newRow("sysfs") << QByteArray("sysfs") << "/sys" << false;
    QTest::newRow("cgroup2") << QByteArray("cgroup2") << "/sys/fs/cgroup" << false;
    QTest::newRow("devtmpfs") << QByteArray("devtmpfs") << "/dev" << false;
    QTest::newRow("devpts") << QByteArray("devpts") << "/dev/pts" << false;
    QTest::newRow("tmpfs on /dev/shm") << QByteArray("tmpfs") << "/dev/shm" << false;
    QTest::newRow("tmpfs on /run") << QByteArray("tmpfs") << "/run" << false;
    QTest::newRow("tmpfs on /run/user") << QByteArray("tmpfs") << "/run/user/1000" << false;
    QTest::newRow("binfmt_misc") << QByteArray("binfmt_misc") << "/proc/sys/fs/binfmt_misc" << false;
    QTest::newRow("mqueue") << QByteArray("mqueue") << "/dev/mqueue" << false;
    QTest::newRow("hugetlbfs") << QByteArray("hugetlbfs") << "/dev/hugepages" << false;
    QTest::newRow("debugfs") << QByteArray("debugfs") << "/sys/kernel/debug" << false;
    QTest::newRow("fusectl") << QByteArray("fusectl") << "/sys/fs/fuse/connections" << false;
    QTest::newRow("autofs anywhere") << QByteArray("autofs") << "/mnt/auto" << false;
    QTest::newRow("snap package") << QByteArray("squashfs") << "/snap/core/123" << false;
    QTest::newRow("old /var/run") << QByteArray("tmpfs") << "/var/run/lock" << false;
}

void MountTableTest::filterKeepsVolumesThatCanHoldADisc()
{
    QFETCH(QByteArray, type);
    QFETCH(QString, mountPoint);
    QFETCH(bool, kept);
    QCOMPARE(CanHoldDisc({"device", mountPoint, type}), kept);
}

void MountTableTest::kindFollowsFileSystemDeviceAndSysfs_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<DriveRoot::Kind>("kind");

    using K = DriveRoot::Kind;
    QTest::newRow("iso9660 image on a loop") << QByteArray("iso9660") << QByteArray("/dev/loop0") << K::Optical;
    QTest::newRow("udf") << QByteArray("udf") << QByteArray("/dev/sr0") << K::Optical;
    QTest::newRow("any file system on sr0") << QByteArray("hfsplus") << QByteArray("/dev/sr0") << K::Optical;
    QTest::newRow("nfs") << QByteArray("nfs4") << QByteArray("server:/export") << K::Network;
    QTest::newRow("cifs") << QByteArray("cifs") << QByteArray("//server/share") << K::Network;
    QTest::newRow("9p") << QByteArray("9p") << QByteArray("C:\\") << K::Network;
    QTest::newRow("sshfs") << QByteArray("fuse.sshfs") << QByteArray("user@host:") << K::Network;
    QTest::newRow("partition of a removable disk") << QByteArray("vfat") << QByteArray("/dev/sdb1") << K::Removable;
    QTest::newRow("removable disk without partitions") << QByteArray("vfat") << QByteArray("/dev/sdc") << K::Removable;
    QTest::newRow("partition of a fixed disk") << QByteArray("ext4") << QByteArray("/dev/sda2") << K::Fixed;
    QTest::newRow("device unknown to sysfs") << QByteArray("ext4") << QByteArray("/dev/vdz9") << K::Fixed;
    QTest::newRow("overlay") << QByteArray("overlay") << QByteArray("overlay") << K::Fixed;
}

void MountTableTest::kindFollowsFileSystemDeviceAndSysfs()
{
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, device);
    QFETCH(DriveRoot::Kind, kind);

    fixture::TempDir dir;
    MakeSysfs(dir / "sys");
    DeviceTree tree;
    tree.sys = Q(dir / "sys");
    QCOMPARE(KindOf({device, "/mnt/x", type}, tree), kind);
}

void MountTableTest::volumesCarryLabelsAndSkipWhatIsNoFolder()
{
    fixture::TempDir dir;
    WriteText(dir / "dev/sr0", "");
    WriteText(dir / "dev/sdb1", "");
    fs::create_directories(dir / "dev/disk/by-label");
    fs::create_symlink("../../sr0", dir / "dev/disk/by-label/GAME\\x20DISC");
    fs::create_symlink("../../sdb1", dir / "dev/disk/by-label/STICK");
    for (const char* folder : {"cd", "stick", "plain"})
        fs::create_directories(dir / "mnt" / folder);
    WriteText(dir / "etc/hosts", "");
    DeviceTree tree;
    tree.sys = Q(dir / "sys");
    tree.byLabel = Q(dir / "dev/disk/by-label");

    const QString mnt = Q(dir / "mnt");
    const QList<MountEntry> entries = {
        {QFile::encodeName(Q(dir / "dev/sr0")), mnt + "/cd", "iso9660"},
        {QFile::encodeName(Q(dir / "dev/sdb1")), mnt + "/stick", "ext4"},
        {"tmpfs", mnt + "/plain", "tmpfs"},
        {"/dev/vda", Q(dir / "etc/hosts"), "ext4"},
        {"server:/export", mnt + "/not-there", "nfs4"},
        // A second mount on the same point covers the first one.
        {"tmpfs", mnt + "/stick", "tmpfs"},
    };
    const QList<DriveRoot> volumes = DiscVolumes(entries, tree);

    QCOMPARE(volumes.size(), 4);
    QCOMPARE(volumes[0].path, mnt + "/cd");
    QCOMPARE(volumes[0].label, QStringLiteral("GAME DISC"));
    QCOMPARE(volumes[0].kind, DriveRoot::Kind::Optical);
    QCOMPARE(volumes[1].path, mnt + "/plain");
    QCOMPARE(volumes[1].label, QString());
    QCOMPARE(volumes[2].path, mnt + "/not-there");
    QCOMPARE(volumes[2].label, QStringLiteral("server:/export"));
    QCOMPARE(volumes[2].kind, DriveRoot::Kind::Network);
    QCOMPARE(volumes[3].path, mnt + "/stick");
    QCOMPARE(volumes[3].label, QString());
}

void MountTableTest::volumeOfAPathIsTheLongestMountAboveIt_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("volume");

    QTest::newRow("on the root") << "/no-such-folder/file" << "/";
    QTest::newRow("on a nested mount") << "/no-such-disc/sub/deeper" << "/no-such-disc/sub";
    QTest::newRow("the mount point itself") << "/no-such-disc" << "/no-such-disc";
    QTest::newRow("a name that only starts alike") << "/no-such-disc2/x" << "/";
    QTest::newRow("a filtered volume") << "/proc/self" << "/proc";
}

void MountTableTest::volumeOfAPathIsTheLongestMountAboveIt()
{
    QFETCH(QString, path);
    QFETCH(QString, volume);
    const QList<MountEntry> entries = {{"/dev/vda", "/", "ext4"},
                                       {"/dev/sr0", "/no-such-disc", "iso9660"},
                                       {"/dev/sdb1", "/no-such-disc/sub", "vfat"},
                                       {"proc", "/proc", "proc"}};
    QCOMPARE(VolumeOf(path, entries).path, volume);
}

void MountTableTest::systemSourceListsTheRootAndWatches()
{
    ProcMountSource source;
    QList<QString> paths;
    for (const DriveRoot& root : source.Volumes())
        paths.append(root.path);
    QVERIFY2(paths.contains(QStringLiteral("/")), qPrintable(paths.join(QLatin1Char(' '))));
    QVERIFY(!paths.contains(QStringLiteral("/proc")));

    const DriveRoot home = source.VolumeOf(QDir::currentPath());
    QVERIFY(!home.path.isEmpty());
    QVERIFY(QDir::currentPath().startsWith(home.path));

    QVERIFY(!source.Watching());
    source.Watch([] {});
    QVERIFY(source.Watching());
}

QTEST_GUILESS_MAIN(MountTableTest)
#include "MountTableTest.moc"
