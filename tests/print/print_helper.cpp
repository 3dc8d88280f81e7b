// SPDX-License-Identifier: GPL-3.0-or-later

// The program side of the real printer test: prints a recorded two-page document on a
// print queue, and checks the PDF file that the queue's back end wrote.
//
//   print_helper print QUEUE TITLE   prints, then writes the form name the queue was given
//   print_helper check FILE          exits 0 when FILE holds the two pages as printed

#include "preview/Preview.h"

#include <QApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Page 1 has a black block at its top left, page 2 at its bottom right, each 40 by 30 mm
// and 20 mm from the corner, and a line of text.
void DrawPage(QPainter& canvas, int page) {
    const QRect block = page == 1 ? QRect(2000, 2000, 4000, 3000) : QRect(15000, 24700, 4000, 3000);
    canvas.fillRect(block, Qt::black);
    canvas.setFont(QFont("Arial", 20));
    canvas.drawText(QPoint(2000, 14000), QString("Tolvek printer test, page %1").arg(page));
}

int Print(const QString& queue, const QString& title) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    if (printer.printerName() != queue) {
        std::fprintf(stderr, "no print queue %s\n", qPrintable(queue));
        return 1;
    }
    TPrintPreview preview;
    preview.SetPrinter(&printer);
    preview.SetPrintJobTitle(title);
    preview.BeginDoc();
    DrawPage(*preview.PageCanvas(), 1);
    preview.NewPage();
    DrawPage(*preview.PageCanvas(), 2);
    preview.EndDoc();
    preview.PrintAllPages();
    std::printf("%s\n", qPrintable(preview.FormName()));
    return 0;
}

bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 100;
}

int Check(const QString& pdf) {
    QTemporaryDir folder;
    QProcess render;
    // 72 pixels per inch: a pixel per point, A4 is 595 by 842.
    render.start("pdftoppm", {"-r", "72", "-png", pdf, folder.filePath("page")});
    if (!render.waitForFinished(30000) || render.exitCode() != 0) {
        std::fprintf(stderr, "pdftoppm failed on %s\n", qPrintable(pdf));
        return 1;
    }
    const QImage pages[] = {QImage(folder.filePath("page-1.png")),
                            QImage(folder.filePath("page-2.png"))};
    if (QImage(folder.filePath("page-3.png")).width() > 0) {
        std::fprintf(stderr, "more than two pages\n");
        return 1;
    }
    int failures = 0;
    for (int page = 0; page < 2; ++page) {
        const QImage& image = pages[page];
        std::printf("page %d: %d x %d pixels\n", page + 1, image.width(), image.height());
        if (image.width() != 595 || image.height() != 842) {
            std::fprintf(stderr, "page %d is not A4 portrait\n", page + 1);
            ++failures;
            continue;
        }
        // The block's middle, 40 mm and 35 mm from the corner (113 and 99 points).
        const bool topLeft = Dark(image, 113, 99);
        const bool bottomRight = Dark(image, 595 - 113, 842 - 99);
        if (topLeft != (page == 0) || bottomRight != (page == 1) || Dark(image, 297, 421)) {
            std::fprintf(stderr, "page %d does not show what was drawn on it\n", page + 1);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments[1] == "print")
        return Print(arguments[2], arguments[3]);
    if (arguments.size() == 3 && arguments[1] == "check")
        return Check(arguments[2]);
    std::fprintf(stderr, "usage: print_helper print QUEUE TITLE | check FILE\n");
    return 2;
}
