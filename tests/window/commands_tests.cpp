#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "Archive.h"
#include "ArchiveFixture.h"
#include "DriveComboBox.h"
#include "ExtractMovie.h"
#include "RadioGroup.h"
#include "RecordingDialogs.h"
#include "Unit1.h"

namespace fs = std::filesystem;

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// What a drive may hold in these tests.
enum Drive { NoArchive = 0, Disc1 = 1, Disc2 = 2, OddLength = 3 };

const QStringList kLockable = {"Button3", "Edit1",   "Label4",  "DriveComboBox1", "Label2",
                               "ListBox1", "Label1", "Button2", "Button1",        "RadioGroup1"};

}  // namespace

class CommandTests : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingDialogs> dialogs;
    std::unique_ptr<fixture::TempDir> drive;
    std::unique_ptr<fixture::TempDir> output;
    std::unique_ptr<TForm1> form;

    fs::path ArchivePath() const { return drive->path() / "mildor4"; }
    QString OutputFolder() const { return QString::fromStdString(output->path().string()) + "/"; }

    void InsertDisc(int content)
    {
        if (content == Disc1 || content == Disc2) QVERIFY(fixture::WriteArchive(ArchivePath(), content));
        if (content == OddLength) QVERIFY(fixture::WriteArchive(ArchivePath(), kDisc2, DiscCatalogue::Disc2ArchiveSize - 1));
    }

    // The names of the files in the output folder.
    QStringList Written() const
    {
        QStringList names;
        for (const auto& entry : fs::directory_iterator(output->path())) {
            names << QString::fromStdString(entry.path().filename().string());
        }
        names.sort();
        return names;
    }

    void VerifyMovies(DiscId disc, const QList<int>& movies)
    {
        QStringList expected;
        for (int i : movies) {
            const std::string name = fixture::Title(disc, i) + ".cpk";
            expected << QString::fromStdString(name);
            const std::string diff = fixture::CompareMovie(ArchivePath(), disc, i, output->path() / name);
            QVERIFY2(diff.empty(), diff.c_str());
        }
        expected.sort();
        QCOMPARE(Written(), expected);
    }

    void VerifyUnlocked()
    {
        for (const QString& name : kLockable + QStringList{"Button4"}) {
            QVERIFY2(form->findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
        }
    }

    QStringList EnabledLockable()
    {
        QStringList enabled;
        for (const QString& name : kLockable) {
            if (form->findChild<QWidget*>(name)->isEnabled()) enabled << name;
        }
        return enabled;
    }

private slots:
    void init()
    {
        dialogs = std::make_unique<RecordingDialogs>();
        drive = std::make_unique<fixture::TempDir>();
        output = std::make_unique<fixture::TempDir>();
        form = std::make_unique<TForm1>();
        form->DriveComboBox1->SelectRoot(
            {QString::fromStdString(drive->path().string()), QString(), DriveRoot::Kind::Folder});
        form->Edit1->setText(OutputFolder());
        form->show();
    }
    void cleanup()
    {
        form.reset();
        output.reset();
        drive.reset();
        dialogs.reset();
    }

    // Expected boxes are "caption|text"; %1 stands for the archive path.
    void commandChecksItsInputsAndCopiesTheSelectedMovies_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("chosenDisc");
        QTest::addColumn<bool>("emptyField");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("completes");

        const QString emptyField = U("警告！|出力先を設定して下さい。");
        const QString noDiscChosen = U("警告！|DISCを選択して下さい。");
        const QString fileError = U("エラー！|file error:%1\n");
        const QString wrongDisc = U("エラー！|ディスクが違います！");
        const QString cannotSplit = U("エラー！|error:分割できません\n");

        QTest::newRow("split all with an empty field") << 1 << 2 << -1 << true << QList<int>{}
                                                       << QStringList{emptyField} << false;
        QTest::newRow("split all without a disc") << 1 << 0 << -1 << false << QList<int>{}
                                                  << QStringList{fileError} << false;
        QTest::newRow("split all with an archive of another length")
            << 1 << 3 << 1 << false << QList<int>{} << QStringList{cannotSplit} << false;
        QTest::newRow("split selected with no disc chosen") << 2 << 2 << -1 << false << QList<int>{}
                                                            << QStringList{noDiscChosen} << false;
        QTest::newRow("split selected asks for the disc before the field")
            << 2 << 2 << -1 << true << QList<int>{} << QStringList{noDiscChosen} << false;
        QTest::newRow("split selected with an empty field") << 2 << 2 << 1 << true << QList<int>{1}
                                                            << QStringList{emptyField} << false;
        QTest::newRow("split selected with the other disc") << 2 << 2 << 0 << false << QList<int>{1}
                                                            << QStringList{wrongDisc} << false;
        QTest::newRow("split selected without a disc") << 2 << 0 << 1 << false << QList<int>{1}
                                                       << QStringList{fileError, wrongDisc} << false;
        QTest::newRow("split selected with nothing selected")
            << 2 << 2 << 1 << false << QList<int>{} << QStringList{} << true;
        QTest::newRow("split selected copies just the two selected")
            << 2 << 2 << 1 << false << QList<int>{1, 8} << QStringList{} << true;
        QTest::newRow("split selected on DISC1") << 2 << 1 << 0 << false << QList<int>{3} << QStringList{} << true;
    }
    void commandChecksItsInputsAndCopiesTheSelectedMovies()
    {
        QFETCH(int, button);
        QFETCH(int, content);
        QFETCH(int, chosenDisc);
        QFETCH(bool, emptyField);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, boxes);
        QFETCH(bool, completes);

        InsertDisc(content);
        form->RadioGroup1->SetItemIndex(chosenDisc);
        for (int i : selected) form->ListBox1->item(i)->setSelected(true);
        if (emptyField) form->Edit1->clear();
        // What a previous pass left: an early exit must not touch it.
        form->SetStatusText("before\n");
        form->SetProgressMax(10);
        form->SetProgressPosition(10);

        (button == 1 ? form->Button1 : form->Button2)->click();

        const QString archive = QString::fromStdString(ArchivePath().string());
        for (QString& box : boxes) box.replace("%1", archive);
        QCOMPARE(dialogs->Lines(), boxes);
        for (const auto& box : dialogs->boxes) QCOMPARE(box.icon, Dialogs::Icon::Warning);
        if (completes) {
            QCOMPARE(form->Label3->text(), U("完了"));
            QCOMPARE(form->ProgressPosition(), 0);
            QCOMPARE(form->ProgressBar1->value(), 0);
            VerifyMovies(chosenDisc + 1, selected);
        } else {
            QCOMPARE(form->StatusText(), QString("before\n"));
            QCOMPARE(form->ProgressPosition(), 10);
            QCOMPARE(form->ProgressBar1->value(), 10);
            QCOMPARE(Written(), QStringList{});
        }
        QCOMPARE(form->RadioGroup1->ItemIndex(), chosenDisc);
        VerifyUnlocked();
    }

    // The one whole-disc pass of the suite: DISC2 in the drive while DISC1 is chosen.
    void splitAllFollowsTheDiscInTheDriveAndLocksWhileCopying()
    {
        InsertDisc(Disc2);
        form->RadioGroup1->SetItemIndex(0);
        QCOMPARE(form->ListBox1->count(), 30);

        QStringList enabledDuringCopy{"not pumped"};
        QString statusDuringCopy;
        int aboutBoxesDuringCopy = -1;
        QTimer::singleShot(0, form.get(), [&] {
            enabledDuringCopy = EnabledLockable();
            statusDuringCopy = form->StatusText();
            // About stays usable: its box opens in the middle of the pass.
            QVERIFY(form->Button4->isEnabled());
            form->Button4->click();
            aboutBoxesDuringCopy = static_cast<int>(dialogs->boxes.size());
        });

        form->Button1->click();

        QCOMPARE(enabledDuringCopy, QStringList{});
        QVERIFY2(statusDuringCopy.startsWith("making " + OutputFolder()), qPrintable(statusDuringCopy));
        QCOMPARE(aboutBoxesDuringCopy, 1);
        QCOMPARE(dialogs->boxes.size(), 1);
        QCOMPARE(dialogs->boxes[0].caption, U("バージョン情報"));

        QCOMPARE(form->RadioGroup1->ItemIndex(), 1);
        QCOMPARE(form->ListBox1->count(), 19);
        QList<int> all;
        for (int i = 0; i < 19; ++i) all << i;
        VerifyMovies(kDisc2, all);
        QCOMPARE(form->Label3->text(), U("完了"));
        QCOMPARE(form->ProgressPosition(), 0);
        QCOMPARE(form->ProgressBar1->value(), 0);
        VerifyUnlocked();
    }

    void aMovieCopiedThroughTheWindowLeavesTheBarFullAndItsStatus()
    {
        InsertDisc(Disc2);
        form->RadioGroup1->SetItemIndex(1);
        const std::string archive = BuildArchivePath(drive->path().string());

        QCOMPARE(ExtractMovie(*form, kDisc2, 8, archive), kMovieWritten);

        const int blocks = static_cast<int>((MovieSize(kDisc2, 8) + CopyBlockSize - 1) / CopyBlockSize);
        QCOMPARE(form->ProgressMax(), blocks);
        QCOMPARE(form->ProgressPosition(), blocks);
        QCOMPARE(form->ProgressBar1->maximum(), blocks);
        QCOMPARE(form->ProgressBar1->value(), blocks);
        QCOMPARE(form->StatusText(),
                 "making " + OutputFolder() + QString::fromStdString(fixture::Title(kDisc2, 8)) + ".cpk 2,365,440bytes\n");
        VerifyMovies(kDisc2, {8});
    }

    void closingDuringAPassEndsTheProgramAfterIt()
    {
        InsertDisc(Disc2);
        form->RadioGroup1->SetItemIndex(1);
        form->ListBox1->item(1)->setSelected(true);
        form->ListBox1->item(8)->setSelected(true);

        bool closedAtOnce = true;
        bool visibleAfterRequest = false;
        QTimer::singleShot(0, form.get(), [&] {
            closedAtOnce = form->close();
            visibleAfterRequest = form->isVisible();
        });

        form->Button2->click();

        QVERIFY(!closedAtOnce);
        QVERIFY(visibleAfterRequest);
        VerifyMovies(kDisc2, {1, 8});
        QCOMPARE(form->Label3->text(), U("完了"));
        QVERIFY(!form->isVisible());
    }

    void closingWhenIdleClosesAtOnce()
    {
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
    }
};

QTEST_MAIN(CommandTests)
#include "commands_tests.moc"
