#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <string>

#include "DiscCatalogue.h"
#include "ExtractionHost.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class TDriveComboBox;
class TRadioGroup;

// The program's one window: the drive and disc choice, the movie list, the output folder,
// the two split commands, and the status line and progress bar that the copy reports to.
class TForm1 : public QWidget, public ExtractionHost {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    TDriveComboBox* DriveComboBox1;
    QLabel* Label1;
    QLabel* Label2;
    QListWidget* ListBox1;
    TRadioGroup* RadioGroup1;
    QPushButton* Button1;
    QPushButton* Button2;
    QProgressBar* ProgressBar1;
    QFrame* Bevel1;
    QLabel* Label3;
    QPushButton* Button3;
    QLineEdit* Edit1;
    QLabel* Label4;
    QPushButton* Button4;

    void RadioGroup1Click();
    void Button3Click();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void FormCreate();

    // true disables the ten input controls for a pass; About, the status line and the
    // progress bar are never locked.
    void LockControls(bool locked);

    // The status text as last set, before it was fitted into the line.
    QString StatusText() const { return statusText_; }

    std::string OutputFolderText() override;
    std::string MovieListItem(int index) override;
    void SetStatusText(const std::string& text) override;
    void SetProgressMax(int max) override;
    int ProgressMax() override { return progressMax_; }
    void SetProgressPosition(int position) override;
    int ProgressPosition() override { return progressPosition_; }
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void PumpEvents() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyFormScale();
    void ShowStatus(const QString& text);
    void ShowProgress();
    void LoadTitles(DiscId disc);
    void Warn(const QString& text, const QString& caption);
    void EndPass();

    QString statusText_;
    int progressMax_ = 100;
    int progressPosition_ = 0;
    QElapsedTimer sinceProgressShown_;
    bool passRunning_ = false;
    bool closeRequested_ = false;
};

extern TForm1* Form1;
