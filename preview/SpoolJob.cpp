// SPDX-License-Identifier: GPL-3.0-or-later
#include "preview/SpoolJob.h"

#include <QPageLayout>
#include <cstdlib>

#ifdef TOLVEK_CUPS
#include <cups/cups.h>
#endif

namespace {

#ifdef TOLVEK_CUPS
// The name of the sheet the queue has of the given size (in hundredths of a millimetre, as the
// spooler counts), to half a point; empty when it has none. Of the sheets of one size the
// spooler picks the one a print usually gets (with margins, not borderless).
QByteArray SheetOfSize(cups_dest_t* dest, int width, int length) {
    constexpr int halfPoint = 18;
    QByteArray name;
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (!info)
        return name;
    cups_size_t sheet;
    if (cupsGetDestMediaBySize(CUPS_HTTP_DEFAULT, dest, info, width, length,
                               CUPS_MEDIA_FLAGS_DEFAULT, &sheet) &&
        std::abs(sheet.width - width) <= halfPoint && std::abs(sheet.length - length) <= halfPoint)
        name = sheet.media;
    cupsFreeDestInfo(info);
    return name;
}

// Asks for a sheet of the pages' size, in the whole points the file holds them in: by the
// name of the queue's own sheet of that size, so that a printer takes it from its trays; else
// by the size itself. A queue handed only a size close to one of its own rounds the sheet to
// that one (ISO B4 for a B4 a millimetre higher), and a queue's size may go by a standard
// name and still be a point or two off it (an A5 of 421 points).
int AddSheet(cups_dest_t* dest, const QSize& points, int count, cups_option_t** options) {
    const QByteArray named = dest ? SheetOfSize(dest, qRound(points.width() * 2540.0 / 72),
                                                qRound(points.height() * 2540.0 / 72))
                                  : QByteArray();
    if (!named.isEmpty()) {
        count = cupsRemoveOption("PageSize", count, options);
        return cupsAddOption("media", named.constData(), count, options);
    }
    const QByteArray size =
        QString("Custom.%1x%2").arg(points.width()).arg(points.height()).toLatin1();
    count = cupsAddOption("media", size.constData(), count, options);
    return cupsAddOption("PageSize", size.constData(), count, options);
}
#endif

} // namespace

TSpoolJob::TSpoolJob(const QPrinter& printer) : queue_(printer.printerName()) {
    device_.setOutputFormat(QPrinter::PdfFormat);
    device_.setOutputFileName(folder_.filePath("job.pdf"));
    device_.setResolution(printer.resolution());
    device_.setPageLayout(printer.pageLayout());
    device_.setFullPage(printer.fullPage());
    device_.setColorMode(printer.colorMode());
    device_.setCreator(printer.creator());
    device_.setDocName(printer.docName());
}

std::unique_ptr<TSpoolJob> TSpoolJob::For([[maybe_unused]] const QPrinter& printer) {
#ifdef TOLVEK_CUPS
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        return std::unique_ptr<TSpoolJob>(new TSpoolJob(printer));
#endif
    return nullptr;
}

QString TSpoolJob::Submit() {
#ifdef TOLVEK_CUPS
    // A queue may be named with one of its instances, "queue/instance".
    const QByteArray name = queue_.section('/', 0, 0).toLocal8Bit();
    const QByteArray instance = queue_.section('/', 1).toLocal8Bit();
    int count = 0;
    cups_option_t* options = nullptr;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    // The settings the user keeps for the queue go with the job, as with every other program.
    if (dest)
        for (int i = 0; i < dest->num_options; ++i)
            count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
    count = AddSheet(dest, device_.pageLayout().pageSize().sizePoints(), count, &options);
    if (dest)
        cupsFreeDests(1, dest);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.constData(),
                                   device_.outputFileName().toLocal8Bit().constData(),
                                   device_.docName().toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        return "The printer " + queue_ +
               " did not take the print job: " + QString::fromUtf8(cupsLastErrorString());
#endif
    return QString();
}
