// SPDX-License-Identifier: GPL-3.0-or-later
// Printing without a printer: what the command would have printed, saved as a PDF file.

#include "printing/Unit19.h"

#include "preview/Preview.h"
#include "printing/SaveFileName.h"
#include "uikit/MessageBox.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// The control prints on the PDF printer for as long as this lives.
class TPdfHandOver {
public:
    TPdfHandOver(TPrintPreview& control, QPrinter& pdf) : control_(control) {
        control_.SetPrinter(&pdf);
    }
    ~TPdfHandOver() { control_.SetPrinter(nullptr); }
    TPdfHandOver(const TPdfHandOver&) = delete;
    TPdfHandOver& operator=(const TPdfHandOver&) = delete;

private:
    TPrintPreview& control_;
};

// Copies the finished file to where the user wants it. A file already there is replaced only
// once the whole copy is written. The reason when it cannot be, else empty.
QString CopyFile(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    target.write(source.readAll());
    if (!target.commit())
        return target.errorString();
    return QString();
}

} // namespace

void TForm19::SaveInsteadOfPrinting(bool wholeReport) {
    QWidget* owner = MessageOwner();
    ShowErrorBox(owner, "Can not find printer, job canceled!");
    // A document left open on the control makes no file either.
    if (PrintPreview1->DocumentState() != dsIdle)
        return;
    if (!AskConfirm(owner, "Save the report as a PDF file instead?"))
        return;
    const QString fileName =
        AskSaveFileName(owner, "Save the report as a PDF file", QDir::home().filePath("Tasks.pdf"),
                        "PDF files (*.pdf)");
    if (fileName.isEmpty())
        return;
    // The file is written aside first, so that a failing write leaves the one the user chose
    // as it was.
    QTemporaryDir folder;
    QString reason = folder.errorString();
    if (folder.isValid()) {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(folder.filePath("Tasks.pdf"));
        PrintToPdf(pdf, wholeReport);
        reason = CopyFile(pdf.outputFileName(), fileName);
    }
    if (!reason.isEmpty())
        ShowErrorBox(owner, "Error, can not write " + fileName + ": " + reason);
}

// The same pages on the same paper as the printer would get them. The whole report is one
// document; afterwards the control holds its last page, as after "Print all" on a printer.
void TForm19::PrintToPdf(QPrinter& pdf, bool wholeReport) {
    const TPdfHandOver handOver(*PrintPreview1, pdf);
    if (!wholeReport) {
        PrintPreview1->PrintAllPages();
        return;
    }
    try {
        DrawWholeReport();
        PrintPreview1->PrintAllPages();
    } catch (...) {
        DrawReportPage(Layout.PageCount);
        throw;
    }
    DrawReportPage(Layout.PageCount);
}
