// Build-time helper: writes each picture of the program's .ico as
// <prefix>-<size>.png, for the desktop's icon theme.
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <icon.ico> <output prefix>\n", argv[0]);
        return 2;
    }
    QImageReader Reader(QString::fromLocal8Bit(argv[1]));
    int Written = 0;
    do {
        const QImage Image = Reader.read();
        if (Image.isNull())
            break;
        const QString Name =
            QStringLiteral("%1-%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(Image.width());
        if (!Image.save(Name, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(Name));
            return 1;
        }
        ++Written;
    } while (Reader.jumpToNextImage());
    if (Written == 0) {
        std::fprintf(stderr, "no picture read from %s: %s\n", argv[1],
                     qPrintable(Reader.errorString()));
        return 1;
    }
    return 0;
}
