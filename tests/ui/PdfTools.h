// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// PDF files read back with the poppler tools (Debian package poppler-utils).

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>

// The standard output of a program that ran to success, else empty.
inline QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The size of every page of the file, in points.
inline QList<QSizeF> PdfPageSizes(const QString& path) {
    static const QRegularExpression line(R"(^Page +\d+ size: +([\d.]+) x ([\d.]+) pts)",
                                         QRegularExpression::MultilineOption);
    QList<QSizeF> sizes;
    for (const QRegularExpressionMatch& match :
         line.globalMatch(RunTool("pdfinfo", {"-f", "1", "-l", "99999", path})))
        sizes.append(QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()));
    return sizes;
}

// The text of one page (from 1), or of every page for 0, laid out as on the page.
inline QString PdfText(const QString& path, int page = 0) {
    QStringList arguments{"-layout"};
    if (page > 0)
        arguments << "-f" << QString::number(page) << "-l" << QString::number(page);
    return RunTool("pdftotext", arguments << path << "-");
}
