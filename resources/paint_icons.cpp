// SPDX-License-Identifier: GPL-3.0-or-later

// Paints the program icon at the sizes of the desktop's icon theme, with the same painting as
// the windows' icon, so that the menu entry and the windows show one picture:
//
//     paint_icons OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER/tolvek-organizer-SIZE.png for each size.

#include "resources/Pictures.h"
#include "store/settings/ProgramInfo.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: paint_icons OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(".")) {
        std::fprintf(stderr, "paint_icons: cannot make %s\n", argv[1]);
        return 1;
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString path = folder.filePath(QString("%1-%2.png").arg(ProgramFileName).arg(size));
        if (!ProgramIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "paint_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
