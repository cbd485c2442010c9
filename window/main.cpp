#include <QIcon>

#include "Application.h"
#include "DiscImage.h"
#include "Unit1.h"

int main(int argc, char* argv[])
{
    TApplication application(argc, argv);
    try {
        TApplication::setDesktopFileName("io.github.cpksplit.CpkSplit");
        TApplication::setWindowIcon(QIcon(":/cpksplit.xpm"));
        InstallDiscImageReader();

        TForm1 form;
        form.show();
        TApplication::exec();
    } catch (const std::exception& error) {
        TApplication::ShowException(error);
    }
    return 0;
}
