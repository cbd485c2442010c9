#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <memory>

#include "ArchiveFixture.h"
#include "DriveComboBox.h"
#include "RadioGroup.h"
#include "RecordingDialogs.h"
#include "TextLines.h"
#include "Unit1.h"

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// The ten controls that a pass locks, then those it never locks.
const QStringList kLockable = {"Button3", "Edit1",   "Label4",  "DriveComboBox1", "Label2",
                               "ListBox1", "Label1", "Button2", "Button1",        "RadioGroup1"};
const QStringList kNeverLocked = {"Button4", "Label3", "Bevel1", "ProgressBar1"};

}  // namespace

class FormTests : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingDialogs> dialogs;
    std::unique_ptr<TForm1> form;

    QWidget* Control(const QString& name) { return form->findChild<QWidget*>(name); }
    double Scale() { return form->logicalDpiY() / 120.0; }
    QRect Scaled(const QRect& r)
    {
        const double s = Scale();
        return QRect(qRound(r.x() * s), qRound(r.y() * s), qRound(r.width() * s), qRound(r.height() * s));
    }

private slots:
    void init()
    {
        dialogs = std::make_unique<RecordingDialogs>();
        form = std::make_unique<TForm1>();
    }
    void cleanup()
    {
        form.reset();
        dialogs.reset();
    }

    void startsReadyWithNothingChosen()
    {
        QCOMPARE(Form1, form.get());
        QCOMPARE(form->windowTitle(), U("ミルドア動画分割"));
        QCOMPARE(form->Label3->text(), U("処理の設定をして下さい..."));
        QCOMPARE(form->ListBox1->count(), 0);
        QCOMPARE(form->RadioGroup1->ItemIndex(), -1);
        QVERIFY(!form->RadioGroup1->Button(0)->isChecked());
        QVERIFY(!form->RadioGroup1->Button(1)->isChecked());
        QCOMPARE(form->Edit1->text(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/");
        for (const QString& name : kLockable + kNeverLocked) QVERIFY2(Control(name)->isEnabled(), qPrintable(name));

        QCOMPARE(form->ProgressBar1->minimum(), 0);
        QCOMPARE(form->ProgressBar1->maximum(), 100);
        QCOMPARE(form->ProgressBar1->value(), 0);
        QVERIFY(!form->ProgressBar1->isTextVisible());
        QCOMPARE(form->ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(dialogs->boxes.isEmpty());
    }

    void sizeIsFixedAndOnlyMinimisable()
    {
        QCOMPARE(form->size(), Scaled(QRect(0, 0, 348, 307)).size());
        if (form->logicalDpiY() == 96) QCOMPARE(form->size(), QSize(278, 246));
        QCOMPARE(form->minimumSize(), form->size());
        QCOMPARE(form->maximumSize(), form->size());
        QVERIFY(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(form->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    }

    void fontIsTheDesignedGothicScaled()
    {
        const QFont font = form->font();
        QCOMPARE(font.families(), (QStringList{U("ＭＳ Ｐゴシック"), "IPAPGothic", "Noto Sans CJK JP"}));
        QCOMPARE(font.pixelSize(), qRound(15 * Scale()));
        QCOMPARE(form->Button1->font(), font);
    }

    void controlsSitWhereDesignedScaledToTheScreen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("designed");
        QTest::newRow("drive selector") << "DriveComboBox1" << QRect(8, 32, 145, 21);
        QTest::newRow("movie list") << "ListBox1" << QRect(160, 32, 185, 177);
        QTest::newRow("disc selector") << "RadioGroup1" << QRect(8, 64, 145, 65);
        QTest::newRow("split all") << "Button1" << QRect(8, 136, 145, 33);
        QTest::newRow("split selected") << "Button2" << QRect(8, 176, 145, 33);
        QTest::newRow("progress bar") << "ProgressBar1" << QRect(8, 280, 337, 25);
        QTest::newRow("browse") << "Button3" << QRect(280, 216, 65, 25);
        QTest::newRow("output field") << "Edit1" << QRect(56, 216, 217, 23);
        QTest::newRow("about") << "Button4" << QRect(280, 8, 65, 22);
        QTest::newRow("bevel") << "Bevel1" << QRect(8, 248, 337, 26);
    }
    void controlsSitWhereDesignedScaledToTheScreen()
    {
        QFETCH(QString, name);
        QFETCH(QRect, designed);
        QCOMPARE(Control(name)->geometry(), Scaled(designed));
    }

    void textsAreNotClipped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("designedTopLeft");
        QTest::newRow("drive label") << "Label1" << QPoint(8, 16);
        QTest::newRow("list label") << "Label2" << QPoint(160, 16);
        QTest::newRow("output label") << "Label4" << QPoint(8, 216);
        QTest::newRow("split all") << "Button1" << QPoint(8, 136);
        QTest::newRow("split selected") << "Button2" << QPoint(8, 176);
        QTest::newRow("browse") << "Button3" << QPoint(280, 216);
        QTest::newRow("about") << "Button4" << QPoint(280, 8);
    }
    void textsAreNotClipped()
    {
        QFETCH(QString, name);
        QFETCH(QPoint, designedTopLeft);
        QWidget* control = Control(name);
        QCOMPARE(control->pos(), Scaled(QRect(designedTopLeft, QSize())).topLeft());
        const QString text = control->property("text").toString();
        const QRect needed = control->fontMetrics().boundingRect(text);
        QVERIFY2(needed.width() <= control->width() && control->fontMetrics().height() <= control->height(),
                 qPrintable(QString("%1 needs %2x%3, has %4x%5")
                                .arg(text)
                                .arg(needed.width())
                                .arg(control->fontMetrics().height())
                                .arg(control->width())
                                .arg(control->height())));
    }

    void onlyTheSelectorsHaveHints_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hint");
        QTest::newRow("drive selector") << "DriveComboBox1" << U("ゲームCDの入っているドライブを選択して下さい");
        QTest::newRow("disc selector") << "RadioGroup1" << U("ターゲットのDISCを選択して下さい");
        for (const QString& name : QStringList{"Label1", "Label2", "Label3", "Label4", "ListBox1", "Button1",
                                               "Button2", "Button3", "Button4", "Edit1", "ProgressBar1", "Bevel1"}) {
            QTest::newRow(qPrintable(name)) << name << QString();
        }
    }
    void onlyTheSelectorsHaveHints()
    {
        QFETCH(QString, name);
        QFETCH(QString, hint);
        QCOMPARE(Control(name)->toolTip(), hint);
    }

    void tabGoesThroughTheControlsInTheirOrder()
    {
        QStringList order;
        QWidget* widget = form->DriveComboBox1;
        do {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled()) {
                QString name = widget->objectName();
                if (widget->parentWidget() == form->RadioGroup1) name = "RadioGroup1";
                if (order.isEmpty() || order.last() != name) order << name;
            }
            widget = widget->nextInFocusChain();
        } while (widget != form->DriveComboBox1);
        QCOMPARE(order, (QStringList{"DriveComboBox1", "ListBox1", "RadioGroup1", "Button1", "Button2", "Button3",
                                     "Edit1", "Button4"}));
    }

    void lockingDisablesTheTenInputControlsOnly()
    {
        form->LockControls(true);
        for (const QString& name : kLockable) QVERIFY2(!Control(name)->isEnabled(), qPrintable(name));
        for (const QString& name : kNeverLocked) QVERIFY2(Control(name)->isEnabled(), qPrintable(name));
        form->LockControls(false);
        for (const QString& name : kLockable + kNeverLocked) QVERIFY2(Control(name)->isEnabled(), qPrintable(name));
    }

    // Each step is "set N" (code), "click N" (the user), "disable" or "enable".
    void radioGroupSelectsAndClicksOnlyOnAChange_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<int>>("clickedWith");
        QTest::newRow("nothing selected at start") << QStringList{} << -1 << QList<int>{};
        QTest::newRow("setting an index clicks with it") << QStringList{"set 1"} << 1 << QList<int>{1};
        QTest::newRow("setting it again does nothing") << QStringList{"set 1", "set 1"} << 1 << QList<int>{1};
        QTest::newRow("setting while disabled still clicks") << QStringList{"disable", "set 0"} << 0 << QList<int>{0};
        QTest::newRow("a user's click on a new item clicks") << QStringList{"click 0"} << 0 << QList<int>{0};
        QTest::newRow("a user's click on the selected item does not")
            << QStringList{"set 0", "click 0"} << 0 << QList<int>{0};
        QTest::newRow("code and user take turns") << QStringList{"set 0", "click 1", "set 0"} << 0
                                                  << QList<int>{0, 1, 0};
        QTest::newRow("clearing clicks nothing") << QStringList{"set 1", "set -1"} << -1 << QList<int>{1};
        QTest::newRow("an index past the end takes the last item") << QStringList{"set 7"} << 1 << QList<int>{1};
    }
    void radioGroupSelectsAndClicksOnlyOnAChange()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, index);
        QFETCH(QList<int>, clickedWith);

        TRadioGroup group;
        group.SetItems({"DISC1", "DISC2"});
        group.resize(120, 60);
        group.show();
        QList<int> seen;
        // The handler must already see the new index: it runs inside the change.
        connect(&group, &TRadioGroup::Click, this, [&] { seen << group.ItemIndex(); });

        for (const QString& step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == "set") group.SetItemIndex(words[1].toInt());
            if (words[0] == "click") QTest::mouseClick(group.Button(words[1].toInt()), Qt::LeftButton);
            if (words[0] == "disable") group.setEnabled(false);
        }

        QCOMPARE(group.ItemIndex(), index);
        QCOMPARE(seen, clickedWith);
        for (int i = 0; i < 2; ++i) QCOMPARE(group.Button(i)->isChecked(), i == index);
    }

    void discSelectorLoadsTheTitlesAndDropsTheSelection_data()
    {
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<int>("disc");
        QTest::newRow("DISC1") << QList<int>{0} << 1;
        QTest::newRow("DISC2") << QList<int>{1} << 2;
        QTest::newRow("DISC2 then DISC1") << QList<int>{1, 0} << 1;
        QTest::newRow("DISC1 then DISC2") << QList<int>{0, 1} << 2;
    }
    void discSelectorLoadsTheTitlesAndDropsTheSelection()
    {
        QFETCH(QList<int>, choices);
        QFETCH(int, disc);
        form->show();
        for (int choice : choices) {
            if (form->ListBox1->count() > 3) {
                form->ListBox1->item(1)->setSelected(true);
                form->ListBox1->item(3)->setSelected(true);
            }
            QTest::mouseClick(form->RadioGroup1->Button(choice), Qt::LeftButton);
        }

        QCOMPARE(form->RadioGroup1->ItemIndex(), disc - 1);
        QCOMPARE(form->ListBox1->count(), MovieCount(disc));
        for (int i = 0; i < MovieCount(disc); ++i) {
            QCOMPARE(form->ListBox1->item(i)->text(), QString::fromStdString(fixture::Title(disc, i)));
        }
        QVERIFY(form->ListBox1->selectedItems().isEmpty());
    }

    void listLoadsOneItemALine_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("line feeds") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("no final line end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("CR alone") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("empty line kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("empty text") << QByteArray("") << QStringList{};
        QTest::newRow("UTF-8") << QByteArray("オープニング\n") << QStringList{U("オープニング")};
    }
    void listLoadsOneItemALine()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, items);
        QCOMPARE(TextLines(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))), items);
    }

    void browseSetsTheChosenFolderAndASlash_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("field");
        QTest::newRow("a folder") << "/home/user/movies" << "/home/user/movies/";
        QTest::newRow("the root") << "/" << "//";
        QTest::newRow("Japanese and signs") << U("/tmp/動画 & <mine>") << U("/tmp/動画 & <mine>/");
        QTest::newRow("cancelled leaves the field") << QString() << "/typed by hand";
    }
    void browseSetsTheChosenFolderAndASlash()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        form->Edit1->setText("/typed by hand");
        dialogs->folderAnswer = chosen;
        QTest::mouseClick(form->Button3, Qt::LeftButton);
        QCOMPARE(dialogs->choosers, QStringList{U("folder|出力先のフォルダを選択して下さい")});
        QCOMPARE(form->Edit1->text(), field);
        QCOMPARE(form->OutputFolderText(), field.toStdString());
    }

    void aboutShowsTheVersionBox()
    {
        QTest::mouseClick(form->Button4, Qt::LeftButton);
        QCOMPARE(dialogs->boxes.size(), 1);
        const auto& box = dialogs->boxes[0];
        QCOMPARE(box.caption, U("バージョン情報"));
        QCOMPARE(box.icon, Dialogs::Icon::Information);
        const QStringList lines = box.text.split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], U("ミルドア動画分割ツール for Windows"));
        QCOMPARE(lines[1], QString(18, ' ') + "ver 0.00 1999/09/04");
        QVERIFY(lines[2].startsWith(QString(16, ' ')) && lines[2].size() > 16 && lines[2][16] != ' ');
        QCOMPARE(lines[3], QString());
    }

    void statusLineShowsOneLineAsItStands_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("shown");
        QTest::newRow("done") << U("完了") << U("完了");
        QTest::newRow("line end dropped") << "making /o/a.cpk 2,365,440bytes\n" << "making /o/a.cpk 2,365,440bytes";
        QTest::newRow("ampersand and angle brackets")
            << "making /o/a&b <i>.cpk 1,000bytes\n" << "making /o/a&b <i>.cpk 1,000bytes";
    }
    void statusLineShowsOneLineAsItStands()
    {
        QFETCH(QString, status);
        QFETCH(QString, shown);
        form->SetStatusText(status.toStdString());
        QCOMPARE(form->Label3->text(), shown);
        QCOMPARE(form->Label3->textFormat(), Qt::PlainText);
        QCOMPARE(form->StatusText(), status);
    }

    void statusLineSpansTheBevelAndElidesTheMiddle()
    {
        const QRect bevel = form->Bevel1->geometry();
        QVERIFY(bevel.contains(form->Label3->geometry()));
        QVERIFY(form->Label3->width() > bevel.width() * 9 / 10);

        const std::string status = "making /" + std::string(300, 'x') + "/a.cpk 23,695,360bytes\n";
        form->SetStatusText(status);
        const QString shown = form->Label3->text();
        QVERIFY2(shown.startsWith("making /") && shown.endsWith("23,695,360bytes") && shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        QVERIFY(form->Label3->fontMetrics().horizontalAdvance(shown) <= form->Label3->width());
    }

    // Each step is "max N", "pos N", or "pump" after the repaint interval has passed.
    void progressBarKeepsItsContract_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("barValue");
        QTest::newRow("a movie's start shows 0") << QStringList{"max 7", "pos 0"} << 0 << 0;
        QTest::newRow("its end shows the maximum") << QStringList{"max 7", "pos 0", "pos 3", "pos 7"} << 7 << 7;
        QTest::newRow("a lower maximum keeps the asked position")
            << QStringList{"max 100", "pos 100", "max 3", "pos 0"} << 0 << 0;
        QTest::newRow("a position past the maximum stops there") << QStringList{"max 5", "pos 9"} << 5 << 5;
        QTest::newRow("a pump catches the bar up") << QStringList{"max 10", "pos 0", "pos 4", "pump"} << 4 << 4;
    }
    void progressBarKeepsItsContract()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, position);
        QFETCH(int, barValue);
        for (const QString& step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == "max") form->SetProgressMax(words[1].toInt());
            if (words[0] == "pos") form->SetProgressPosition(words[1].toInt());
            if (words[0] == "pump") {
                QThread::msleep(60);
                form->PumpEvents();
            }
        }
        QCOMPARE(form->ProgressPosition(), position);
        QCOMPARE(form->ProgressBar1->value(), barValue);
        QCOMPARE(form->ProgressBar1->maximum(), form->ProgressMax());
    }

    void messagesGoThroughTheSeamWithTheirIcon_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("icon");
        QTest::newRow("exclamation") << 0x30 << static_cast<int>(Dialogs::Icon::Warning);
        QTest::newRow("information") << 0x40 << static_cast<int>(Dialogs::Icon::Information);
        QTest::newRow("stop") << 0x10 << static_cast<int>(Dialogs::Icon::Critical);
    }
    void messagesGoThroughTheSeamWithTheirIcon()
    {
        QFETCH(int, flags);
        QFETCH(int, icon);
        form->ShowMessage("file error:/media/cd/mildor4\n", "エラー！", static_cast<ExtractionHost::MessageIcon>(flags));
        QCOMPARE(dialogs->Lines(), QStringList{U("エラー！|file error:/media/cd/mildor4\n")});
        QCOMPARE(static_cast<int>(dialogs->boxes[0].icon), icon);
    }
};

QTEST_MAIN(FormTests)
#include "form_tests.moc"
