#include "DriveComboBox.h"

#include "ArchiveFixture.h"
#include "Dialogs.h"
#include "MountTable.h"
#include "RecordingDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTest>
#include <QWheelEvent>

#include <sched.h>
#include <sys/mount.h>

Q_DECLARE_METATYPE(DriveRoot)

namespace {

// Volumes the test edits; `Changed()` plays the kernel's signal.
class FakeMounts : public MountSource {
public:
    QList<DriveRoot> volumes;
    DriveRoot home{QStringLiteral("/home/user"), QString(), DriveRoot::Kind::Fixed};
    std::function<void()> changed;

    QList<DriveRoot> Volumes() override { return volumes; }
    void Watch(std::function<void()> callback) override { changed = std::move(callback); }
    DriveRoot VolumeOf(const QString&) override { return home; }
    void Changed() { changed(); }
};

DriveRoot Volume(const QString& path, const QString& label = QString(), DriveRoot::Kind kind = DriveRoot::Kind::Fixed)
{
    return {path, label, kind};
}

QStringList Texts(const QComboBox& box)
{
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

// The texts of the places, checking on the way that a separator and the two choosers
// close the list.
QStringList PlaceTexts(const QComboBox& box)
{
    QStringList texts = Texts(box);
    if (texts.size() < 3 || texts.takeLast() != TDriveComboBox::ImageChooserText() ||
        texts.takeLast() != TDriveComboBox::FolderChooserText() || !texts.takeLast().isEmpty())
        return {QStringLiteral("the list does not end in a separator and the two choosers")};
    return texts;
}

// Picks item `row` as a user does: in the open list, confirmed with Return.
void PickInPopup(QComboBox& box, int row)
{
    box.showPopup();
    QAbstractItemView* view = box.view();
    view->setCurrentIndex(box.model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

void Pick(QComboBox& box, const QString& text)
{
    PickInPopup(box, box.findText(text));
}

QString DriveOf(const TDriveComboBox& box)
{
    return QString::fromStdString(box.Drive());
}

}  // namespace

class DriveComboBoxTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void itemShowsIconAndTextByKind_data();
    void itemShowsIconAndTextByKind();
    void startsOnTheCurrentDirectorysVolumeEvenWhenUnlisted();
    void startsOnTheCurrentDirectorysVolumeOfTheSystem();

    void refreshFollowsTheTableAndKeepsTheChoice_data();
    void refreshFollowsTheTableAndKeepsTheChoice();
    void volumeThatWentAwayLeavesOnceAnotherIsChosen();

    void choosersAddAndSelectOrGoBack_data();
    void choosersAddAndSelectOrGoBack();
    void selectRootAddsOnce();

    void steppingOnTheClosedBoxOpensNoChooser_data();
    void steppingOnTheClosedBoxOpensNoChooser();

    void volumeMountedWhileRunningIsListed();

private:
    std::unique_ptr<TDriveComboBox> MakeBox(QList<DriveRoot> volumes);

    std::unique_ptr<RecordingDialogs> dialogs_;
    FakeMounts* mounts_ = nullptr;
};

QtMessageHandler testLogger = nullptr;

// The offscreen platform says for every open list that it cannot raise it or grab the
// keyboard; nothing else is dropped.
void QuietPopups(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QLatin1String("This plugin does not support")))
        return;
    testLogger(type, context, text);
}

void DriveComboBoxTest::initTestCase()
{
    testLogger = qInstallMessageHandler(QuietPopups);
}

void DriveComboBoxTest::init()
{
    dialogs_.reset();  // the old recorder uninstalls itself first
    dialogs_ = std::make_unique<RecordingDialogs>();
}

void DriveComboBoxTest::cleanup()
{
    dialogs_.reset();
}

std::unique_ptr<TDriveComboBox> DriveComboBoxTest::MakeBox(QList<DriveRoot> volumes)
{
    auto mounts = std::make_unique<FakeMounts>();
    mounts->volumes = std::move(volumes);
    mounts_ = mounts.get();
    auto box = std::make_unique<TDriveComboBox>(std::move(mounts), nullptr);
    box->show();
    if (!QTest::qWaitForWindowExposed(box.get()))
        qWarning("drive selector not exposed");
    return box;
}

void DriveComboBoxTest::itemShowsIconAndTextByKind_data()
{
    QTest::addColumn<DriveRoot>("root");
    QTest::addColumn<QString>("text");

    using K = DriveRoot::Kind;
    QTest::newRow("fixed without label") << Volume("/", "", K::Fixed) << "/";
    QTest::newRow("optical with label") << Volume("/media/user/GAME DISC", "GAME DISC", K::Optical)
                                        << "/media/user/GAME DISC [GAME DISC]";
    QTest::newRow("removable with label") << Volume("/media/stick", "STICK", K::Removable) << "/media/stick [STICK]";
    QTest::newRow("network shows the remote") << Volume("/mnt/share", "//server/share", K::Network)
                                              << "/mnt/share [//server/share]";
    QTest::newRow("folder shows its path") << Volume("/data/disc copy", "", K::Folder) << "/data/disc copy";
    QTest::newRow("image shows its file name") << Volume("/data/images/DISC2.iso", "", K::Image) << "DISC2.iso";
}

void DriveComboBoxTest::itemShowsIconAndTextByKind()
{
    QFETCH(DriveRoot, root);
    QFETCH(QString, text);

    auto box = MakeBox({});
    box->SelectRoot(root);
    QCOMPARE(box->currentText(), text);
    QVERIFY(!box->itemIcon(box->currentIndex()).isNull());
    QCOMPARE(DriveOf(*box), root.path);
    QCOMPARE(box->Chosen().kind, root.kind);
}

void DriveComboBoxTest::startsOnTheCurrentDirectorysVolumeEvenWhenUnlisted()
{
    auto box = MakeBox({Volume("/"), Volume("/media/cd", "GAME", DriveRoot::Kind::Optical)});
    QCOMPARE(PlaceTexts(*box), QStringList({"/", "/home/user", "/media/cd [GAME]"}));
    QCOMPARE(box->currentText(), QStringLiteral("/home/user"));
    QCOMPARE(DriveOf(*box), QStringLiteral("/home/user"));
    QVERIFY(dialogs_->NothingOpened());
}

void DriveComboBoxTest::startsOnTheCurrentDirectorysVolumeOfTheSystem()
{
    // /proc is a volume the filter skips, and always there.
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
    TDriveComboBox box;
    QDir::setCurrent(before);

    QCOMPARE(DriveOf(box), QStringLiteral("/proc"));
    QCOMPARE(box.currentText(), QStringLiteral("/proc"));
    QVERIFY(PlaceTexts(box).contains(QStringLiteral("/")));
}

void DriveComboBoxTest::refreshFollowsTheTableAndKeepsTheChoice_data()
{
    QTest::addColumn<QList<DriveRoot>>("before");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QList<DriveRoot>>("after");
    QTest::addColumn<QStringList>("listed");

    const auto a = Volume("/mnt/a"), b = Volume("/mnt/b");
    QTest::newRow("volume appears, home stays chosen")
        << QList<DriveRoot>{b} << "/home/user" << QList<DriveRoot>{a, b} << QStringList{"/home/user", "/mnt/a", "/mnt/b"};
    QTest::newRow("volume appears before the chosen one")
        << QList<DriveRoot>{b} << "/mnt/b" << QList<DriveRoot>{a, b} << QStringList{"/home/user", "/mnt/a", "/mnt/b"};
    QTest::newRow("chosen volume goes away and stays")
        << QList<DriveRoot>{a, b} << "/mnt/a" << QList<DriveRoot>{b} << QStringList{"/home/user", "/mnt/a", "/mnt/b"};
    QTest::newRow("another volume goes away")
        << QList<DriveRoot>{a, b} << "/mnt/a" << QList<DriveRoot>{a} << QStringList{"/home/user", "/mnt/a"};
    QTest::newRow("disc changed on the chosen mount point")
        << QList<DriveRoot>{Volume("/mnt/a", "DISC1")} << "/mnt/a" << QList<DriveRoot>{Volume("/mnt/a", "DISC2")}
        << QStringList{"/home/user", "/mnt/a [DISC2]"};
}

void DriveComboBoxTest::refreshFollowsTheTableAndKeepsTheChoice()
{
    QFETCH(QList<DriveRoot>, before);
    QFETCH(QString, chosen);
    QFETCH(QList<DriveRoot>, after);
    QFETCH(QStringList, listed);

    auto box = MakeBox(before);
    PickInPopup(*box, box->findData(chosen));
    QCOMPARE(DriveOf(*box), chosen);

    mounts_->volumes = after;
    mounts_->Changed();

    QCOMPARE(PlaceTexts(*box), listed);
    QCOMPARE(DriveOf(*box), chosen);
    QCOMPARE(box->itemData(box->currentIndex()).toString(), chosen);
    QVERIFY(dialogs_->NothingOpened());
}

void DriveComboBoxTest::volumeThatWentAwayLeavesOnceAnotherIsChosen()
{
    auto box = MakeBox({Volume("/mnt/a"), Volume("/mnt/b")});
    Pick(*box, "/mnt/b");
    mounts_->volumes = {Volume("/mnt/a")};
    mounts_->Changed();
    QVERIFY(PlaceTexts(*box).contains("/mnt/b"));

    Pick(*box, "/mnt/a");
    mounts_->Changed();
    QCOMPARE(PlaceTexts(*box), QStringList({"/home/user", "/mnt/a"}));
    QCOMPARE(DriveOf(*box), QStringLiteral("/mnt/a"));
}

void DriveComboBoxTest::choosersAddAndSelectOrGoBack_data()
{
    QTest::addColumn<bool>("image");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QStringList>("listed");

    const QStringList volumes{"/home/user", "/mnt/a", "/mnt/b"};
    QTest::newRow("folder chosen") << false << "/data/disc copy" << "/data/disc copy" << "/data/disc copy"
                                   << volumes + QStringList{"/data/disc copy"};
    QTest::newRow("folder cancelled") << false << "" << "/mnt/b" << "/mnt/b" << volumes;
    QTest::newRow("folder that is a listed volume") << false << "/mnt/a/" << "/mnt/a" << "/mnt/a" << volumes;
    QTest::newRow("image chosen") << true << "/data/images/DISC2.bin" << "DISC2.bin" << "/data/images/DISC2.bin"
                                  << volumes + QStringList{"DISC2.bin"};
    QTest::newRow("image cancelled") << true << "" << "/mnt/b" << "/mnt/b" << volumes;
}

void DriveComboBoxTest::choosersAddAndSelectOrGoBack()
{
    QFETCH(bool, image);
    QFETCH(QString, answer);
    QFETCH(QString, text);
    QFETCH(QString, drive);
    QFETCH(QStringList, listed);

    auto box = MakeBox({Volume("/mnt/a"), Volume("/mnt/b")});
    Pick(*box, "/mnt/b");
    dialogs_->folderAnswer = dialogs_->fileAnswer = answer;
    Pick(*box, image ? TDriveComboBox::ImageChooserText() : TDriveComboBox::FolderChooserText());

    QCOMPARE(dialogs_->choosers.size(), 1);
    const QStringList opened = dialogs_->choosers.value(0).split('|');
    QCOMPARE(opened.value(0), image ? QStringLiteral("file") : QStringLiteral("folder"));
    QVERIFY(!opened.value(1).isEmpty());
    if (image) {
        QVERIFY(opened.value(2).contains("(*.iso *.bin *.img *.cue)"));
        QVERIFY(opened.value(2).contains("(*)"));
    }
    QCOMPARE(PlaceTexts(*box), listed);
    QCOMPARE(box->currentText(), text);
    QCOMPARE(DriveOf(*box), drive);
    if (image && !answer.isEmpty())
        QCOMPARE(box->itemData(box->currentIndex(), Qt::ToolTipRole).toString(), answer);

    // A folder or image stays listed and chosen while the volumes come and go.
    mounts_->volumes = {Volume("/mnt/0"), Volume("/mnt/b")};
    mounts_->Changed();
    QCOMPARE(box->currentText(), text);
    QCOMPARE(DriveOf(*box), drive);
    QCOMPARE(dialogs_->choosers.size(), 1);
}

void DriveComboBoxTest::selectRootAddsOnce()
{
    auto box = MakeBox({Volume("/mnt/a")});
    const DriveRoot folder = Volume("/data/copy", "", DriveRoot::Kind::Folder);
    box->SelectRoot(folder);
    Pick(*box, "/mnt/a");
    box->SelectRoot(folder);
    QCOMPARE(PlaceTexts(*box), QStringList({"/home/user", "/mnt/a", "/data/copy"}));
    QCOMPARE(DriveOf(*box), QStringLiteral("/data/copy"));
}

void DriveComboBoxTest::steppingOnTheClosedBoxOpensNoChooser_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("drive");

    QTest::newRow("arrow down past the last place") << "down" << "/mnt/b";
    QTest::newRow("page down") << "pagedown" << "/mnt/b";
    QTest::newRow("end") << "end" << "/mnt/b";
    QTest::newRow("wheel down") << "wheeldown" << "/mnt/b";
    QTest::newRow("arrow up still steps") << "up" << "/mnt/a";
    QTest::newRow("wheel up still steps") << "wheelup" << "/mnt/a";
    QTest::newRow("index set by the program") << "program" << "/mnt/b";
}

void DriveComboBoxTest::steppingOnTheClosedBoxOpensNoChooser()
{
    QFETCH(QString, input);
    QFETCH(QString, drive);

    auto box = MakeBox({Volume("/mnt/a"), Volume("/mnt/b")});
    Pick(*box, "/mnt/b");
    dialogs_->folderAnswer = dialogs_->fileAnswer = "/data/never";
    const auto send = [&] {
        if (input == "program")
            return box->setCurrentIndex(box->findText(TDriveComboBox::FolderChooserText()));
        if (input.startsWith("wheel")) {
            const QPoint at = box->rect().center();
            QWheelEvent wheel(at, box->mapToGlobal(at), QPoint(), QPoint(0, input == "wheelup" ? 120 : -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            return void(QApplication::sendEvent(box.get(), &wheel));
        }
        const Qt::Key key = input == "down" ? Qt::Key_Down
                            : input == "pagedown" ? Qt::Key_PageDown
                            : input == "end"      ? Qt::Key_End
                                                  : Qt::Key_Up;
        QTest::keyClick(box.get(), key);
    };
    send();
    if (input != "up" && input != "wheelup")
        send();

    QTRY_COMPARE(box->currentText(), drive);
    QVERIFY2(dialogs_->NothingOpened(), qPrintable(dialogs_->choosers.join(' ')));
    QCOMPARE(DriveOf(*box), drive);
}

void DriveComboBoxTest::volumeMountedWhileRunningIsListed()
{
    // A private mount namespace lets the test mount without touching the machine; it
    // needs root, so elsewhere the fake source's tests above stand in.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        QSKIP("needs the right to make a private mount namespace");
    fixture::TempDir dir;
    const QString mountPoint = QString::fromStdString(dir.path().string());

    TDriveComboBox box;
    const std::string drive = box.Drive();
    QVERIFY(box.findData(mountPoint) < 0);

    if (::mount("cpksplit-test", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a tmpfs here");
    QTRY_VERIFY(box.findData(mountPoint) >= 0);
    Pick(box, mountPoint);
    QCOMPARE(DriveOf(box), mountPoint);

    QCOMPARE(::umount(dir.path().c_str()), 0);
    QTest::qWait(200);
    QVERIFY(box.findData(mountPoint) >= 0);
    QCOMPARE(DriveOf(box), mountPoint);

    box.setCurrentIndex(box.findData(QString::fromStdString(drive)));
    QCOMPARE(::mount("cpksplit-test", dir.path().c_str(), "tmpfs", 0, "size=64k"), 0);
    QCOMPARE(::umount(dir.path().c_str()), 0);
    QTRY_VERIFY(box.findData(mountPoint) < 0);
}

QTEST_MAIN(DriveComboBoxTest)
#include "DriveComboBoxTest.moc"
