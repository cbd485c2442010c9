#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>

#include "ArchiveFixture.h"
#include "DiscImage.h"
#include "DiscImageFixtures.h"
#include "DriveComboBox.h"
#include "RadioGroup.h"
#include "RecordingDialogs.h"
#include "Unit1.h"

namespace fs = std::filesystem;

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

}  // namespace

// A user picks a CD image in the drive selector and splits from it as from a drive.
class WindowImageTests : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingDialogs> dialogs;
    std::unique_ptr<fixture::TempDir> output;
    std::unique_ptr<TForm1> form;

    // Picks "ディスクイメージを指定..." in the open list and answers the chooser with `image`.
    void ChooseImage(const fs::path& image)
    {
        dialogs->fileAnswer = Q(image);
        TDriveComboBox* box = form->DriveComboBox1;
        box->showPopup();
        box->view()->setCurrentIndex(box->model()->index(box->findText(TDriveComboBox::ImageChooserText()), 0));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QCOMPARE(QString::fromStdString(box->Drive()), Q(image));
        QCOMPARE(box->currentText(), Q(image.filename()));
    }

    QStringList Written() const
    {
        QStringList names;
        for (const auto& entry : fs::directory_iterator(output->path())) names << Q(entry.path().filename());
        return names;
    }

private slots:
    void initTestCase() { InstallDiscImageReader(); }

    void init()
    {
        dialogs = std::make_unique<RecordingDialogs>();
        output = std::make_unique<fixture::TempDir>();
        form = std::make_unique<TForm1>();
        form->Edit1->setText(Q(output->path()) + "/");
        form->show();
    }

    void cleanup()
    {
        form.reset();
        output.reset();
        dialogs.reset();
    }

    void splitAllFromAnImageWritesEveryMovieByteExact_data()
    {
        QTest::addColumn<QString>("image");
        QTest::newRow("iso") << Q(images::Disc2Iso());
        QTest::newRow("raw bin without cue") << Q(images::Disc2Bin());
    }

    void splitAllFromAnImageWritesEveryMovieByteExact()
    {
        QFETCH(QString, image);
        form->RadioGroup1->SetItemIndex(0);
        ChooseImage(image.toStdString());

        form->Button1->click();

        QCOMPARE(dialogs->Lines(), QStringList());
        QCOMPARE(form->RadioGroup1->ItemIndex(), 1);
        QCOMPARE(form->ListBox1->count(), 19);
        QCOMPARE(form->StatusText(), U("完了"));
        QCOMPARE(form->ProgressBar1->value(), 0);
        QCOMPARE(Written().size(), 19);
        for (int i = 0; i < 19; ++i) {
            const std::string diff = fixture::CompareMovie(images::Disc2Archive(), kDisc2, i,
                                                           output->path() / (fixture::Title(kDisc2, i) + ".cpk"));
            QVERIFY2(diff.empty(), diff.c_str());
        }
        QVERIFY(form->Button1->isEnabled());
    }

    void splitSelectedWithTheOtherDiscsImageCopiesNothing()
    {
        ChooseImage(images::Disc2Iso());
        form->RadioGroup1->SetItemIndex(0);
        form->ListBox1->item(0)->setSelected(true);

        form->Button2->click();

        QCOMPARE(dialogs->Lines(), QStringList{U("エラー！|ディスクが違います！")});
        QCOMPARE(Written(), QStringList());
        QVERIFY(form->Button2->isEnabled());
    }

    void aFileThatIsNoImageIsLikeADriveWithoutTheDisc()
    {
        const fs::path notAnImage = output->path() / "notes.iso";
        std::ofstream(notAnImage) << std::string(100000, 'x');
        ChooseImage(notAnImage);
        fs::create_directory(output->path() / "out");
        form->Edit1->setText(Q(output->path() / "out") + "/");

        form->Button1->click();

        QCOMPARE(dialogs->Lines(), QStringList{U("エラー！|file error:") + Q(notAnImage) + "/mildor4\n"});
        QVERIFY(fs::is_empty(output->path() / "out"));
    }
};

QTEST_MAIN(WindowImageTests)
#include "WindowImageTest.moc"
