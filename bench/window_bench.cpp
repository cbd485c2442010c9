// One whole-disc split through the real window, timed from the click on "全て分割" to
// "完了", three times in a row to show that memory does not grow with the work. Prints
// one line for bench: "seconds=<first split> peak_kb=<peak RSS> after1_kb=... after3_kb=...".
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <fstream>
#include <string>

#include "DriveComboBox.h"
#include "Unit1.h"

namespace {

long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_bench DISC_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    TForm1 form;
    form.show();
    QApplication::processEvents();
    form.DriveComboBox1->SelectRoot({QString::fromLocal8Bit(argv[1]), QString(), DriveRoot::Kind::Folder});
    form.Edit1->setText(QString::fromLocal8Bit(argv[2]) + "/");

    double firstSeconds = 0;
    long afterFirstKb = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        form.Button1->click();
        if (run == 0) firstSeconds = timer.nsecsElapsed() / 1e9;
        if (form.StatusText() != QString::fromUtf8("完了")) {
            std::fprintf(stderr, "the split did not finish: %s\n", form.StatusText().toUtf8().constData());
            return 1;
        }
        if (run == 0) afterFirstKb = StatusKb("VmRSS:");
    }
    std::printf("seconds=%.4f peak_kb=%ld after1_kb=%ld after3_kb=%ld\n", firstSeconds, StatusKb("VmHWM:"),
                afterFirstKb, StatusKb("VmRSS:"));
    return 0;
}
