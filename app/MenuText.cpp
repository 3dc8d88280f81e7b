// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/MenuText.h"

#include <QSet>

QStringList WithAccelerators(const QStringList& captions) {
    QSet<QChar> taken;
    QStringList result;
    for (const QString& caption : captions) {
        QString text;
        bool marked = false;
        for (const QChar c : caption) {
            if (!marked && c.isLetterOrNumber() && !taken.contains(c.toUpper())) {
                taken.insert(c.toUpper());
                text += '&';
                marked = true;
            }
            text += c == '&' ? QStringLiteral("&&") : QString(c);
        }
        result << text;
    }
    return result;
}
