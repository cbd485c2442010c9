#include "Unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>

#include "Archive.h"
#include "Dialogs.h"
#include "DriveComboBox.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"
#include "RadioGroup.h"
#include "TextLines.h"
#include "ui_Unit1.h"

TForm1* Form1 = nullptr;

namespace {

// The archive path of the pass that is running, or of the last one.
std::string ArchivePath;

// The form description is laid out for 120 pixels per inch.
constexpr double kDesignDpi = 120.0;
constexpr int kDesignFontPixels = 15;
// Where the window opens; the form description's own position is not applied by uic.
constexpr QPoint kDesignPosition(244, 112);
// How often the progress bar repaints during a copy; the stored position is always exact.
constexpr qint64 kProgressIntervalMs = 30;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::string Native(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString FromNative(const std::string& bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    Form1 = this;

    Ui::TForm1 ui;
    ui.setupUi(this);
    DriveComboBox1 = ui.DriveComboBox1;
    Label1 = ui.Label1;
    Label2 = ui.Label2;
    ListBox1 = ui.ListBox1;
    RadioGroup1 = ui.RadioGroup1;
    Button1 = ui.Button1;
    Button2 = ui.Button2;
    ProgressBar1 = ui.ProgressBar1;
    Bevel1 = ui.Bevel1;
    Label3 = ui.Label3;
    Button3 = ui.Button3;
    Edit1 = ui.Edit1;
    Label4 = ui.Label4;
    Button4 = ui.Button4;

    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    ApplyFormScale();

    // The radio buttons take the group's place in the tab order.
    setTabOrder(ListBox1, RadioGroup1->Button(0));
    setTabOrder(RadioGroup1->Button(0), RadioGroup1->Button(1));
    setTabOrder(RadioGroup1->Button(1), Button1);

    // The user's documents folder: where a desktop user expects new files to go.
    Edit1->setText(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + "/");

    sinceProgressShown_.start();

    connect(RadioGroup1, &TRadioGroup::Click, this, &TForm1::RadioGroup1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

    FormCreate();
}

TForm1::~TForm1()
{
    if (Form1 == this) Form1 = nullptr;
}

// Scales the form description from its 120 dpi to the screen's, sets the font, and
// fits the labels to their texts.
void TForm1::ApplyFormScale()
{
    const double scale = logicalDpiY() / kDesignDpi;
    const auto scaled = [scale](int v) { return qRound(v * scale); };
    const auto scaledRect = [&](const QRect& r) {
        return QRect(scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height()));
    };

    QFont font;
    font.setFamilies({Text("ＭＳ Ｐゴシック"), "IPAPGothic", "Noto Sans CJK JP"});
    font.setPixelSize(scaled(kDesignFontPixels));
    setFont(font);

    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setGeometry(scaledRect(child->geometry()));
    }
    move(scaled(kDesignPosition.x()), scaled(kDesignPosition.y()));
    setFixedSize(scaledRect(rect()).size());

    for (QLabel* label : {Label1, Label2, Label4}) label->adjustSize();

    // The status line fills the bevel's inside, one line high, centred in it.
    const QRect bevel = Bevel1->geometry();
    const int inset = scaled(2);
    const int height = Label3->fontMetrics().height();
    Label3->setGeometry(bevel.x() + inset, bevel.y() + (bevel.height() - height) / 2, bevel.width() - 2 * inset,
                        height);
}

void TForm1::FormCreate()
{
    ShowStatus(Text("処理の設定をして下さい..."));
}

void TForm1::LockControls(bool locked)
{
    passRunning_ = locked;
    const bool enabled = !locked;
    for (QWidget* control : std::initializer_list<QWidget*>{Button3, Edit1, Label4, DriveComboBox1, Label2, ListBox1,
                                                            Label1, Button2, Button1, RadioGroup1}) {
        control->setEnabled(enabled);
    }
}

void TForm1::RadioGroup1Click()
{
    switch (RadioGroup1->ItemIndex()) {
    case 0: LoadTitles(kDisc1); break;
    case 1: LoadTitles(kDisc2); break;
    default: break;
    }
}

void TForm1::LoadTitles(DiscId disc)
{
    ListBox1->clear();
    ListBox1->addItems(TextLines(DiscTitles(disc)));
}

void TForm1::Button3Click()
{
    const QString folder = CurrentDialogs().ExistingFolder(this, Text("出力先のフォルダを選択して下さい"));
    // A cancelled chooser keeps what the field holds, which may be a typed path.
    if (folder.isEmpty()) return;
    Edit1->setText(folder);
    Edit1->setText(Edit1->text() + "/");
}

void TForm1::Button4Click()
{
    const QString text = Text("ミルドア動画分割ツール for Windows\n") + QString(18, ' ') +
                         "ver 0.00 1999/09/04\n" + QString(16, ' ') + "cpksplit contributors\n";
    CurrentDialogs().Message(this, text, Text("バージョン情報"), Dialogs::Icon::Information);
}

void TForm1::Button1Click()
{
    LockControls(true);
    if (Edit1->text().isEmpty()) {
        Warn(Text("出力先を設定して下さい。"), Text("警告！"));
        EndPass();
        return;
    }

    ArchivePath = BuildArchivePath(DriveComboBox1->Drive());
    const DiscId disc = IdentifyDisc(*this, ArchivePath);
    if (disc == kNoDisc) {
        EndPass();
        return;
    }

    // Split all follows the disc in the drive, whatever was chosen before.
    const int item = disc - 1;
    RadioGroup1->SetItemIndex(item);
    if (RadioGroup1->ItemIndex() == item) LoadTitles(disc);
    for (int i = 0; i < MovieCount(disc); ++i) ExtractMovie(*this, disc, i, ArchivePath);

    SetStatusText("完了");
    SetProgressPosition(0);
    EndPass();
}

void TForm1::Button2Click()
{
    const int item = RadioGroup1->ItemIndex();
    if (item < 0) {
        Warn(Text("DISCを選択して下さい。"), Text("警告！"));
        return;
    }
    if (Edit1->text().isEmpty()) {
        Warn(Text("出力先を設定して下さい。"), Text("警告！"));
        return;
    }
    LockControls(true);

    ArchivePath = BuildArchivePath(DriveComboBox1->Drive());
    const DiscId identified = IdentifyDisc(*this, ArchivePath);
    const DiscId chosen = item + 1;
    if (identified != chosen) {
        Warn(Text("ディスクが違います！"), Text("エラー！"));
        EndPass();
        return;
    }

    // The list holds the chosen disc's titles: the copy takes each output name from it.
    for (int i = 0; i < MovieCount(chosen); ++i) {
        const QListWidgetItem* title = ListBox1->item(i);
        if (title != nullptr && title->isSelected()) ExtractMovie(*this, chosen, i, ArchivePath);
    }

    SetStatusText("完了");
    SetProgressPosition(0);
    EndPass();
}

void TForm1::Warn(const QString& text, const QString& caption)
{
    CurrentDialogs().Message(this, text, caption, Dialogs::Icon::Warning);
}

void TForm1::EndPass()
{
    LockControls(false);
    // A close asked for during the pass takes effect now that every movie is done.
    if (closeRequested_) close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (passRunning_) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

std::string TForm1::OutputFolderText()
{
    return Native(Edit1->text());
}

std::string TForm1::MovieListItem(int index)
{
    const QListWidgetItem* item = ListBox1->item(index);
    return item != nullptr ? Native(item->text()) : std::string();
}

void TForm1::SetStatusText(const std::string& text)
{
    ShowStatus(FromNative(text));
}

// One line, drawn as it stands, shortened in the middle so that "making" and the byte
// count stay in view when the path is long.
void TForm1::ShowStatus(const QString& text)
{
    statusText_ = text;
    QString line = text;
    while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
    line.replace('\n', ' ').replace('\r', ' ');
    Label3->setText(Label3->fontMetrics().elidedText(line, Qt::ElideMiddle, Label3->width()));
}

void TForm1::SetProgressMax(int max)
{
    progressMax_ = max;
    progressPosition_ = qMin(progressPosition_, max);
    ShowProgress();
}

void TForm1::SetProgressPosition(int position)
{
    progressPosition_ = qBound(0, position, progressMax_);
    if (progressPosition_ == 0 || progressPosition_ == progressMax_) ShowProgress();
}

// Repainting the bar for every block would cost more than copying it, so during a copy
// the bar catches up with the stored position only a few dozen times a second.
void TForm1::PumpEvents()
{
    if (ProgressBar1->value() != progressPosition_ && sinceProgressShown_.hasExpired(kProgressIntervalMs)) {
        ShowProgress();
    }
    QCoreApplication::processEvents();
}

void TForm1::ShowProgress()
{
    // Lowering the maximum below the bar's value resets the bar, so the value comes after.
    if (ProgressBar1->maximum() != progressMax_) ProgressBar1->setMaximum(progressMax_);
    ProgressBar1->setValue(progressPosition_);
    sinceProgressShown_.start();
}

void TForm1::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon)
{
    Dialogs::Icon shown = Dialogs::Icon::Warning;
    if (icon == MessageIcon::Critical) shown = Dialogs::Icon::Critical;
    if (icon == MessageIcon::Information) shown = Dialogs::Icon::Information;
    CurrentDialogs().Message(this, FromNative(text), FromNative(caption), shown);
}
