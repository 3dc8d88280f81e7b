// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "printing/PrintJob.h"
#include "printing/ReportLayout.h"

#include <QImage>
#include <QString>
#include <array>

class TPrintPreview;

// The pictures the report draws, kept as the images the page recording takes, so that each
// is converted for the page once and not for every row.
struct TReportPictures {
    TReportPictures();

    QImage HighPriority;
    QImage Reminder;
    // Category icons 1 to 10.
    std::array<QImage, 10> Categories;
    // The icon of a category icon number; null for a number outside 1 to 10.
    const QImage* CategoryPicture(int number) const;
};

// What a page shows besides the tasks.
struct TPageTexts {
    QString Date;
    QString Footer;
};

// Draws report page 1 .. PageCount on the preview's page canvas, which is open for it: title,
// date, rule line, the page's tasks under their headings, footer and page number.
void DrawPageContents(TPrintPreview& preview, const TReportLayout& layout, const TPrintJob& job,
                      const TReportPictures& pictures, const TPageTexts& texts, int page);
