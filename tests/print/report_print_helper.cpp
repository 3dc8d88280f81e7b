// SPDX-License-Identifier: GPL-3.0-or-later

// The program side of the task report's end-to-end printer test.
//
//   report_print_helper print QUEUE TITLE a4|landscape|custom FOLDER
//       Makes a database whose report is exactly three pages, presses the print settings
//       window's "Print" with the paper chosen, on the queue. Each job is titled TITLE-page so
//       that the queue's files can be told apart (the window itself leaves titles empty).
//       Writes the pages as the report lays them out to FOLDER/page-1.png .. page-3.png at 72
//       pixels per inch, and one line: the number of pages and of jobs sent.
//   report_print_helper match FOLDER FILE
//       Writes the number of the page in FOLDER that the one-page PDF FILE shows, turned a
//       quarter either way if the sheet was turned; 0 when none is clearly it.

#include "preview/PageCanvas.h"
#include "preview/Preview.h"
#include "printing/Unit18.h"
#include "printing/Unit19.h"
#include "store/DmUnit.h"
#include "store/records/TaskArrays.h"
#include "tests/SqlFile.h"
#include "tests/ui/WindowControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTransform>
#include <cstdio>
#include <limits>
#include <string>

namespace {

void Sql(const std::string& database, const std::string& sql) {
    TSqlFile(database).Exec(sql);
}

// Tasks in three categories, named so that the pages of perPage tasks look unlike each other:
// short names on the first, long ones on the second.
void InsertTasks(const std::string& database, int count, int perPage) {
    const std::string first = std::to_string(perPage);
    const std::string second = std::to_string(2 * perPage);
    Sql(database, "DELETE FROM t_task");
    Sql(database, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(count) +
                      ") INSERT INTO t_task (id, strName, intCategory, intPriority) SELECT i, "
                      "CASE WHEN i <= " +
                      first + " THEN 'Short ' || i WHEN i <= " + second +
                      " THEN 'A much longer name for task ' || i || ', which runs on and on'"
                      " ELSE 'Last ' || i END, 1 + i % 3, i % 2 FROM n");
}

// The paper of the case, and one table in list order with a category column.
void ChooseOptions(TForm18& settings, const QString& paper) {
    CheckBox5(settings)->click();
    if (paper == "landscape")
        RadioButton2(settings)->setChecked(true);
    if (paper == "custom") {
        ComboBox1(settings)->setCurrentIndex(6);
        Edit1(settings)->setText("25.00");
        Edit2(settings)->setText("18.00");
    }
}

// The page the control holds, at 72 pixels per inch.
QImage PageAt72(TPrintPreview& control) {
    const QSize pixels(control.PaperWidth(), control.PaperHeight());
    const QSize points(qRound(pixels.width() * 72.0 / control.logicalDpiX()),
                       qRound(pixels.height() * 72.0 / control.logicalDpiY()));
    QImage image(points, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    PlayPicture(painter, control.Page(1), pixels, QRectF(QPointF(0, 0), points));
    return image;
}

int Print(const QStringList& arguments) {
    const QString& queue = arguments[2];
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    if (printer.printerName() != queue) {
        std::fprintf(stderr, "no print queue %s\n", qPrintable(queue));
        return 1;
    }
    QTemporaryDir home;
    TDM dm(home.path().toStdString());
    dm.DataModuleCreate();
    DM = &dm;

    TForm19 preview;
    TTaskArrays tasks(dm);
    TForm18 settings(tasks, preview);
    settings.show();
    ChooseOptions(settings, arguments[4]);

    // How many tasks a page holds on this paper: a report of several pages printed to a file.
    InsertTasks(dm.DatabasePath(), 200, 200);
    tasks.Load(0, -1, -1);
    QTemporaryDir trial;
    QPrinter file(QPrinter::HighResolution);
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(trial.filePath("trial.pdf"));
    PrintPreview1(preview)->SetPrinter(&file);
    BitBtn1(settings)->click();
    const int perPage = preview.Layout.PageLastTask[0] + 1;
    InsertTasks(dm.DatabasePath(), 2 * perPage + 1, perPage);
    tasks.Load(0, -1, -1);

    PrintPreview1(preview)->SetPrinter(&printer);
    int jobs = 0;
    QObject::connect(PrintPreview1(preview), &TPrintPreview::BeforePrint, [&] {
        PrintPreview1(preview)->SetPrintJobTitle(arguments[3] + "-" + QString::number(++jobs));
    });
    BitBtn1(settings)->click();

    const QDir folder(arguments[5]);
    for (int page = 1; page <= preview.Layout.PageCount; ++page) {
        preview.DrawReportPage(page);
        PageAt72(*PrintPreview1(preview)).save(folder.filePath(QString("page-%1.png").arg(page)));
    }
    std::printf("%d %d\n", preview.Layout.PageCount, jobs);
    return 0;
}

// The mean difference of grey levels of two images of about the same size, one scaled to the
// other (the sizes in points round apart by a pixel); the largest for other sizes.
double Difference(const QImage& printed, const QImage& expected) {
    const QSize gap = printed.size() - expected.size();
    if (std::abs(gap.width()) > 2 || std::abs(gap.height()) > 2)
        return std::numeric_limits<double>::max();
    // At a quarter of the size, where a pixel's shift between the two renderings washes out
    // and the lines of text still tell one page from another.
    const QSize small = expected.size() / 4;
    const QImage a = printed.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = expected.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return sum / (double(a.width()) * a.height());
}

int Match(const QStringList& arguments) {
    const QDir folder(arguments[2]);
    QTemporaryDir work;
    QProcess render;
    render.start("pdftoppm",
                 {"-r", "72", "-singlefile", "-png", arguments[3], work.filePath("printed")});
    if (!render.waitForFinished(30000) || render.exitCode() != 0)
        return 1;
    const QImage printed(work.filePath("printed.png"));
    // Best and second best over the pages, each as laid out or turned a quarter either way.
    double best = std::numeric_limits<double>::max();
    double second = best;
    int bestPage = 0;
    for (int page = 1;; ++page) {
        const QImage expected(folder.filePath(QString("page-%1.png").arg(page)));
        if (expected.isNull())
            break;
        double score = std::numeric_limits<double>::max();
        for (int turn : {0, 90, -90}) {
            const QImage turned = expected.transformed(QTransform().rotate(turn));
            score = std::min(score, Difference(printed, turned));
        }
        std::fprintf(stderr, "page %d differs by %.2f\n", page, score);
        if (score < best) {
            second = best;
            best = score;
            bestPage = page;
        } else {
            second = std::min(second, score);
        }
    }
    std::printf("%d\n", best < second / 2 ? bestPage : 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 6 && arguments[1] == "print")
        return Print(arguments);
    if (arguments.size() == 4 && arguments[1] == "match")
        return Match(arguments);
    std::fprintf(stderr, "usage: report_print_helper print QUEUE TITLE a4|landscape|custom FOLDER"
                         " | match FOLDER FILE\n");
    return 2;
}
