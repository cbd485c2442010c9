// Renders the application icon at one size for the icon theme. Nearest-neighbour scaling
// keeps the 16-colour pixel art sharp instead of blurring it.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s ICON.xpm SIZE OUT.png\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    const int size = std::atoi(argv[2]);
    if (source.isNull() || size <= 0) {
        std::fprintf(stderr, "%s: cannot read %s or bad size %s\n", argv[0], argv[1], argv[2]);
        return 1;
    }
    const QImage scaled = source.convertToFormat(QImage::Format_ARGB32)
                              .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!scaled.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
